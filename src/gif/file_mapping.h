// A read-only mapping of a whole file, so that the GIF parser works on a plain byte range.
// Two implementations: Win32 (file_mapping_win32.cpp) and POSIX (file_mapping_posix.cpp).
// Portable: no platform headers here.
#pragma once

#include <cstddef>
#include <cstdint>

// A file name in the form the platform's file calls take: UTF-16 for the wide Win32 calls,
// so that any name opens whatever the ANSI code page; bytes elsewhere.
#ifdef _WIN32
typedef wchar_t PathChar;
#else
typedef char PathChar;
#endif

struct MappedFile {
    const uint8_t* data;  // first byte of the view, null when nothing is mapped
    size_t size;          // length of the file in bytes
    void* fileHandle;     // platform handles, released by UnmapWholeFile
    void* mappingHandle;
};

// Maps all of an existing file read-only (others may read it meanwhile). 1 on success; 0 when
// the file cannot be opened, is empty, or cannot be mapped, with nothing left open.
int MapWholeFile(const PathChar* path, MappedFile* mapped);
// Unmaps the view and closes the handles; the record is emptied, so a second call does nothing.
void UnmapWholeFile(MappedFile* mapped);
