// File reading and all-or-nothing writing (see file_io.h).
#include "file_io.h"

#include <chrono>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "pack/pack_api.h"

namespace fs = std::filesystem;

namespace {

// How many names are tried before the folder is taken to be unusable.
constexpr int kTemporaryNameTries = 100;

// A short name in the target's folder that does not exist yet: ".tackon-<number>.tmp". Short,
// so that it fits wherever the target's own name fits. False with *error when the folder
// cannot be searched or no free name is found.
bool TemporaryNameBeside(const fs::path& target, fs::path* temporary, std::string* error) {
    static std::mt19937_64 generator(
        std::random_device{}() ^
        uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        *temporary = folder / (".tackon-" + std::to_string(generator() % 1000000000u) + ".tmp");
        std::error_code ec;
        const bool exists = fs::exists(*temporary, ec);
        if (ec) {
            *error = "cannot write '" + Utf8FromPath(target) + "': " + ec.message();
            return false;
        }
        if (!exists)
            return true;
    }
    *error = "cannot write '" + Utf8FromPath(target) + "': no free temporary name in its folder";
    return false;
}

bool IsReadOnly(const fs::path& path) {
    std::error_code ec;
    const fs::perms perms = fs::status(path, ec).permissions();
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return !ec && perms != fs::perms::unknown && (perms & writable) == fs::perms::none;
}

std::string MegabytesText(uint64_t bytes) { return std::to_string((bytes + 999999) / 1000000) + " MB"; }

}  // namespace

fs::path PathFromUtf8(const std::string& path) { return fs::u8path(path); }

std::string Utf8FromPath(const fs::path& path) { return path.u8string(); }

bool TemporaryPathBeside(const std::string& target, std::string* temporary, std::string* error) {
    fs::path path;
    if (!TemporaryNameBeside(PathFromUtf8(target), &path, error))
        return false;
    *temporary = Utf8FromPath(path);
    return true;
}

bool ReadWholeFile(const std::string& path, const char* what, std::vector<uint8_t>* bytes,
                   std::string* error) {
    const fs::path file = PathFromUtf8(path);
    const std::string named = std::string(what) + " '" + path + "'";
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        *error = "cannot read " + named + ": no such file";
        return false;
    }
    if (!fs::is_regular_file(file, ec)) {
        *error = "cannot read " + named + ": not a file";
        return false;
    }
    const uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        *error = "cannot read " + named + ": " + ec.message();
        return false;
    }
    if (size == 0) {
        *error = named + " is empty";
        return false;
    }
    if (size > uintmax_t(REELBOX_PACK_FILE_SIZE_LIMIT)) {
        *error = named + " is " + MegabytesText(size) + "; files over " +
                 MegabytesText(uint64_t(REELBOX_PACK_FILE_SIZE_LIMIT)) + " are refused";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = "cannot open " + named;
        return false;
    }
    bytes->resize(size_t(size));
    in.read(reinterpret_cast<char*>(bytes->data()), std::streamsize(size));
    if (in.bad() || size_t(in.gcount()) != size) {
        *error = "cannot read " + named;
        return false;
    }
    return true;
}

#ifdef _WIN32
namespace {

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE file = CreateFileW(PathFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const BOOL got = GetFileInformationByHandle(file, info);
    CloseHandle(file);
    return got != 0;
}

}  // namespace

bool SameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a, b;
    return FileIdentity(first, &a) && FileIdentity(second, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}
#else
bool SameFile(const std::string& first, const std::string& second) {
    struct stat a, b;
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}
#endif

bool WriteFileAtomically(const std::string& path, const std::vector<const std::vector<uint8_t>*>& blocks,
                         std::string* error) {
    const fs::path target = PathFromUtf8(path);
    std::error_code ec;
    const bool replacing = fs::exists(target, ec);
    if (replacing && IsReadOnly(target)) {
        *error = "'" + path + "' is read-only; it is not replaced";
        return false;
    }
    fs::path temporary;
    if (!TemporaryNameBeside(target, &temporary, error))
        return false;
    bool written;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            *error = "cannot create a file beside '" + path + "' (missing or read-only folder?)";
            return false;
        }
        for (const std::vector<uint8_t>* block : blocks)
            out.write(reinterpret_cast<const char*>(block->data()), std::streamsize(block->size()));
        out.close();
        written = bool(out);
    }
    if (written && replacing) {
        const fs::perms kept = fs::status(target, ec).permissions();
        if (!ec)
            fs::permissions(temporary, kept, ec);
    }
    if (!written) {
        fs::remove(temporary, ec);
        *error = "cannot write '" + path + "'";
        return false;
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        *error = "cannot write '" + path + "': " + ec.message();
        return false;
    }
    return true;
}
