// The prefix's temporary folder (REELBOX_WINE_TEMP): emptied before each test and listed
// with each file's Windows attributes and contents afterwards.
//
// Wine keeps the DOS attributes that Unix has no place for (hidden, system) in the extended
// attribute user.DOSATTRIB of the Unix file, as the text "0x" followed by hex digits, the
// same form Samba uses. A file without that attribute has only the attributes Wine derives
// itself (a name starting with a dot counts as hidden).
#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "e2e_harness.h"

namespace e2e {

namespace {

constexpr uint32_t kDosHidden = 0x2;

bool RemoveTree(const std::string& path, std::string* error) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        DIR* dir = opendir(path.c_str());
        if (!dir) {
            *error = path + ": " + std::strerror(errno);
            return false;
        }
        bool ok = true;
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (!RemoveTree(path + "/" + name, error)) {
                ok = false;
                break;
            }
        }
        closedir(dir);
        if (!ok) return false;
        if (rmdir(path.c_str()) != 0) {
            *error = path + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    if (unlink(path.c_str()) != 0) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> FolderEntryNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadDosAttributes(const std::string& path, uint32_t* attributes) {
    char value[64];
    ssize_t length = getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
    if (length <= 0) return false;
    value[length] = '\0';
    char* end = nullptr;
    unsigned long parsed = std::strtoul(value, &end, 16);   // accepts the "0x" prefix
    if (end == value) return false;
    *attributes = uint32_t(parsed);
    return true;
}

bool EmptyTempFolder(std::string* error) {
    const std::string& folder = Env().wineTemp;
    if (folder.empty()) {
        *error = "REELBOX_WINE_TEMP is not set";
        return false;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = "temporary folder " + folder + " does not exist";
        return false;
    }
    for (const std::string& name : FolderEntryNames(folder))
        if (!RemoveTree(folder + "/" + name, error)) return false;
    return true;
}

std::vector<TempFile> ListTempFolder() {
    std::vector<TempFile> files;
    const std::string& folder = Env().wineTemp;
    for (const std::string& name : FolderEntryNames(folder)) {
        std::string path = folder + "/" + name;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        TempFile file;
        file.name = name;
        file.attributeKnown = ReadDosAttributes(path, &file.dosAttributes);
        file.hidden = (file.attributeKnown && (file.dosAttributes & kDosHidden)) ||
                      name[0] == '.';
        ReadFileBytes(path, &file.contents);
        files.push_back(file);
    }
    return files;
}

std::string DescribeTempFiles(const std::vector<TempFile>& files) {
    std::ostringstream out;
    if (files.empty()) out << "(temporary folder is empty)";
    for (const TempFile& f : files) {
        out << "\n  " << f.name << " (" << f.contents.size() << " bytes"
            << (f.hidden ? ", hidden" : "");
        if (f.attributeKnown) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%x", f.dosAttributes);
            out << ", DOSATTRIB " << hex;
        }
        out << ")";
    }
    return out.str();
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *bytes = buffer.str();
    return true;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace e2e
