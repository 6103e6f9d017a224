# reelbox_shipped_program(TARGET [MAP]): how a program that ships (reelbox.exe, tackon.exe,
# the native tackon) is linked in the Release configuration: stripped, with the unused
# function sections dropped, and reproducibly (no link timestamp in a Windows program). A
# native program finds a library the release archive carries beside it in lib/ next to it,
# and so do that library's own dependencies (an RPATH, which applies to them too). MAP writes
# the link map TARGET.map next to the program, from which the release checks and the
# archives' notices tell which library objects went in.
function(reelbox_shipped_program target)
  cmake_parse_arguments(S "MAP" "" "" ${ARGN})
  set(options -s LINKER:--gc-sections)
  if(WIN32)
    list(APPEND options LINKER:--no-insert-timestamp)
  else()
    list(APPEND options LINKER:--disable-new-dtags)
    set_target_properties(${target} PROPERTIES BUILD_RPATH "\$ORIGIN/lib")
  endif()
  if(S_MAP)
    list(APPEND options "LINKER:-Map=$<TARGET_FILE_DIR:${target}>/${target}.map")
  endif()
  target_link_options(${target} PRIVATE "$<$<CONFIG:Release>:${options}>")
endfunction()
