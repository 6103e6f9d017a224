// Win32 read-only whole-file mapping (see file_mapping.h): the file opened shared for reading,
// a read-only mapping of all of it and one read-only view.
#include "gif/file_mapping.h"

#include <windows.h>

int MapWholeFile(const PathChar* path, MappedFile* mapped) {
    *mapped = MappedFile{nullptr, 0, nullptr, nullptr};
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) {
        CloseHandle(file);
        return 0;
    }
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        CloseHandle(file);
        return 0;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        CloseHandle(mapping);
        CloseHandle(file);
        return 0;
    }
    mapped->data = static_cast<const uint8_t*>(view);
    mapped->size = size_t(size.QuadPart);
    mapped->fileHandle = file;
    mapped->mappingHandle = mapping;
    return 1;
}

void UnmapWholeFile(MappedFile* mapped) {
    if (mapped->data)
        UnmapViewOfFile(mapped->data);
    if (mapped->mappingHandle)
        CloseHandle(mapped->mappingHandle);
    if (mapped->fileHandle)
        CloseHandle(mapped->fileHandle);
    *mapped = MappedFile{nullptr, 0, nullptr, nullptr};
}
