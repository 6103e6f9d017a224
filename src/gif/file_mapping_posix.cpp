// POSIX read-only whole-file mapping (see file_mapping.h).
#include "gif/file_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

int MapWholeFile(const PathChar* path, MappedFile* mapped) {
    *mapped = MappedFile{nullptr, 0, nullptr, nullptr};
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    struct stat info;
    // An empty file cannot be mapped, just as on Windows.
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        close(fd);
        return 0;
    }
    void* view = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);  // the mapping keeps the file's contents reachable on its own
    if (view == MAP_FAILED)
        return 0;
    mapped->data = static_cast<const uint8_t*>(view);
    mapped->size = size_t(info.st_size);
    return 1;
}

void UnmapWholeFile(MappedFile* mapped) {
    if (mapped->data)
        munmap(const_cast<uint8_t*>(mapped->data), mapped->size);
    *mapped = MappedFile{nullptr, 0, nullptr, nullptr};
}
