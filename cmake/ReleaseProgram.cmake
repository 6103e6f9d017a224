# Release programs: what ships (reelbox.exe, tackon.exe, the native tackon) is compiled with its
# own options in every build type, so the trees the tests run - whatever CMAKE_BUILD_TYPE they
# use - hold the same program that goes into the archives.
#
#   reelbox_release_program(NAME FROM DEV_TARGET [WIN32] [NO_CXX_RUNTIME] [SIZE] [MAP]
#                           [SPEED_FOLDERS folder...])
#
# NAME is compiled from DEV_TARGET's sources and those of every library of this project it
# links, directly or through other libraries, with their include folders and definitions;
# other link items (system libraries) are linked as they are. DEV_TARGET stays the development
# build (the tree's build type, debug information). NAME is optimised (for size with SIZE),
# built without debug information, its unused sections dropped and stripped at link, with no
# link timestamp. NO_CXX_RUNTIME also builds it without exceptions, run-time type information
# or thread-safe statics. MAP writes a link map NAME.map next to the program, from which a
# check can tell which library objects went in. Sources under a SPEED_FOLDERS folder (relative
# to the project) stay at -O2 when the rest is optimised for size.
#
# The libraries the player is made of are complete only at the end of the configure step, so
# NAME is made then; its output folder is the folder of the call.

function(reelbox_release_program name)
  cmake_parse_arguments(R "WIN32;NO_CXX_RUNTIME;SIZE;MAP" "FROM" "SPEED_FOLDERS" ${ARGN})
  if(NOT R_FROM)
    message(FATAL_ERROR "reelbox_release_program(${name}): FROM is required")
  endif()
  set(flags "")
  foreach(option WIN32 NO_CXX_RUNTIME SIZE MAP)
    if(R_${option})
      list(APPEND flags ${option})
    endif()
  endforeach()
  if(R_SPEED_FOLDERS)
    list(APPEND flags SPEED_FOLDERS ${R_SPEED_FOLDERS})
  endif()
  cmake_language(EVAL CODE "
    cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] CALL _reelbox_make_release_program
      [[${name}]] [[${R_FROM}]] [[${CMAKE_CURRENT_BINARY_DIR}]] ${flags})")
endfunction()

# Sources, include folders, definitions and system libraries of target and of every project
# library it links; results in <prefix>_SOURCES, _INCLUDES, _DEFINITIONS, _LIBRARIES.
function(_reelbox_collect_program target prefix)
  set(queue ${target})
  set(seen "")
  set(sources "")
  set(includes "")
  set(definitions "")
  set(libraries "")
  while(queue)
    list(POP_FRONT queue t)
    if(t IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(dir ${t} SOURCE_DIR)
    get_target_property(target_sources ${t} SOURCES)
    foreach(s IN LISTS target_sources)
      if(NOT IS_ABSOLUTE "${s}")
        set(s "${dir}/${s}")
      endif()
      list(APPEND sources "${s}")
    endforeach()
    foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES)
      get_target_property(value ${t} ${property})
      if(value)
        list(APPEND includes ${value})
      endif()
    endforeach()
    foreach(property COMPILE_DEFINITIONS INTERFACE_COMPILE_DEFINITIONS)
      get_target_property(value ${t} ${property})
      if(value)
        list(APPEND definitions ${value})
      endif()
    endforeach()
    set(links "")
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(value ${t} ${property})
      if(value)
        list(APPEND links ${value})
      endif()
    endforeach()
    foreach(item IN LISTS links)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(TARGET ${item})
        get_target_property(imported ${item} IMPORTED)
        get_target_property(type ${item} TYPE)
        if(NOT imported AND type MATCHES "^(STATIC|OBJECT)_LIBRARY$")
          list(APPEND queue ${item})
        else()
          list(APPEND libraries ${item})
        endif()
      else()
        list(APPEND libraries ${item})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES sources)
  list(REMOVE_DUPLICATES includes)
  list(REMOVE_DUPLICATES definitions)
  list(REMOVE_DUPLICATES libraries)
  set(${prefix}_SOURCES "${sources}" PARENT_SCOPE)
  set(${prefix}_INCLUDES "${includes}" PARENT_SCOPE)
  set(${prefix}_DEFINITIONS "${definitions}" PARENT_SCOPE)
  set(${prefix}_LIBRARIES "${libraries}" PARENT_SCOPE)
endfunction()

function(_reelbox_make_release_program name from output_directory)
  cmake_parse_arguments(R "WIN32;NO_CXX_RUNTIME;SIZE;MAP" "" "SPEED_FOLDERS" ${ARGN})
  _reelbox_collect_program(${from} P)
  # The program's own sources go into the executable; its libraries' sources into one static
  # library, so the link takes only the objects the program calls, as in the development build.
  get_target_property(own_sources ${from} SOURCES)
  get_target_property(own_dir ${from} SOURCE_DIR)
  set(own "")
  foreach(s IN LISTS own_sources)
    if(NOT IS_ABSOLUTE "${s}")
      set(s "${own_dir}/${s}")
    endif()
    list(APPEND own "${s}")
  endforeach()
  set(parts ${P_SOURCES})
  list(REMOVE_ITEM parts ${own})
  add_library(${name}_parts STATIC ${parts})
  if(R_WIN32)
    add_executable(${name} WIN32 ${own})
  else()
    add_executable(${name} ${own})
  endif()
  target_link_libraries(${name} PRIVATE ${name}_parts ${P_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${output_directory}")

  # After the build type's own options, so these win: -g0 cancels -g, -Os/-O2 the -O level.
  if(R_SIZE)
    set(optimise -Os)
  else()
    set(optimise -O2)
  endif()
  # Functions get sections of their own so that unused ones are dropped; data does not: with
  # -fdata-sections MinGW GCC puts each zero-initialised global into a .data$ section stored
  # in the file (the GIF decoder's 64 KB of tables), where without it they stay in .bss.
  set(cxx_options ${optimise} -g0 -ffunction-sections
      "-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=" "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
  if(R_NO_CXX_RUNTIME)
    list(APPEND cxx_options -fno-exceptions -fno-rtti -fno-threadsafe-statics)
  endif()
  # Hot code keeps -O2 in a program optimised for size (it comes after -Os on the line).
  foreach(folder IN LISTS R_SPEED_FOLDERS)
    foreach(s IN LISTS parts)
      string(FIND "${s}" "${PROJECT_SOURCE_DIR}/${folder}/" at)
      if(at EQUAL 0)
        set_source_files_properties(${s} TARGET_DIRECTORY ${name}_parts PROPERTIES COMPILE_OPTIONS -O2)
      endif()
    endforeach()
  endforeach()
  foreach(t ${name} ${name}_parts)
    target_include_directories(${t} PRIVATE ${P_INCLUDES})
    target_compile_definitions(${t} PRIVATE ${P_DEFINITIONS} NDEBUG)
    target_compile_options(${t} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${cxx_options}>")
  endforeach()
  target_link_options(${name} PRIVATE -s LINKER:--gc-sections)
  if(WIN32)
    target_link_options(${name} PRIVATE LINKER:--no-insert-timestamp)
  else()
    # A library the release archive carries beside the program is found in lib/ next to it,
    # and so are that library's own dependencies (an RPATH, which applies to them too).
    set_target_properties(${name} PROPERTIES BUILD_RPATH "\$ORIGIN/lib")
    target_link_options(${name} PRIVATE LINKER:--disable-new-dtags)
  endif()
  if(WIN32 AND R_NO_CXX_RUNTIME)
    # The C++ headers route snprintf to MinGW's C99 formatter, about 20 KB with its
    # floating-point conversions; the player formats only strings and whole numbers, so it
    # takes the system C library's (msvcrt) instead. Its callers already treat -1 and a
    # result of the full buffer size as "did not fit", which is what msvcrt answers then.
    target_link_options(${name} PRIVATE LINKER:--defsym=__mingw_vsnprintf=__ms_vsnprintf)
  endif()
  if(R_MAP)
    target_link_options(${name} PRIVATE "LINKER:-Map=${output_directory}/${name}.map")
  endif()
endfunction()
