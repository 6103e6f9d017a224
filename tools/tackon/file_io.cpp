// File reading and all-or-nothing writing (see file_io.h).
#include "file_io.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

// A name beside the target that does not exist yet: "<target>.tackon-<number>.tmp".
fs::path TemporaryNameBeside(const fs::path& target) {
    static std::mt19937_64 generator(
        std::random_device{}() ^
        uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (;;) {
        fs::path candidate = target;
        candidate += ".tackon-" + std::to_string(generator() % 1000000000u) + ".tmp";
        std::error_code ec;
        if (!fs::exists(candidate, ec) && !ec)
            return candidate;
    }
}

}  // namespace

std::string TemporaryPathBeside(const std::string& target) {
    return TemporaryNameBeside(fs::path(target)).string();
}

bool ReadWholeFile(const std::string& path, const char* what, std::vector<uint8_t>* bytes,
                   std::string* error) {
    std::error_code ec;
    if (!fs::exists(fs::path(path), ec)) {
        *error = std::string("cannot read ") + what + " '" + path + "': no such file";
        return false;
    }
    if (!fs::is_regular_file(fs::path(path), ec)) {
        *error = std::string("cannot read ") + what + " '" + path + "': not a file";
        return false;
    }
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) {
        *error = std::string("cannot open ") + what + " '" + path + "'";
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = std::string("cannot read ") + what + " '" + path + "'";
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<const std::vector<uint8_t>*>& blocks,
                         std::string* error) {
    fs::path target(path);
    fs::path temporary = TemporaryNameBeside(target);
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
    std::error_code ec;
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
