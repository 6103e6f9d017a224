// Writing a package's payloads back out (see package_extract.h).
#include "package_extract.h"

#include <filesystem>
#include <vector>

#include "caption_text.h"
#include "file_io.h"
#include "package_reader.h"

namespace {

bool WriteSlice(const std::vector<uint8_t>& bytes, uint64_t offset, uint64_t size,
                const std::filesystem::path& target, std::ostream& out, std::string* error) {
    std::vector<uint8_t> slice(bytes.begin() + std::ptrdiff_t(offset),
                               bytes.begin() + std::ptrdiff_t(offset + size));
    if (!WriteFileAtomically(target.string(), {&slice}, error))
        return false;
    out << target.string() << " (" << size << " bytes)\n";
    return true;
}

}  // namespace

int ExtractPackage(const std::string& path, const std::string& folder, std::ostream& out,
                   std::ostream& err) {
    LoadedPackage package;
    std::string error;
    if (!LoadPackageFile(path, &package, &error)) {
        err << "tackon: " << error << "\n";
        return 1;
    }
    if (package.verdict != kPackageAccepted) {
        err << "tackon: '" << path << "' is not a package the player accepts: "
            << PackageVerdictText(package.verdict) << "\n";
        return 1;
    }
    std::filesystem::path dir(folder);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        err << "tackon: cannot create folder '" << folder << "'\n";
        return 1;
    }
    const PackagePayloads& p = package.payloads;
    const std::vector<uint8_t>& bytes = package.bytes;
    bool ok = WriteSlice(bytes, p.animation.offset, p.animation.size, dir / "animation.gif", out, &error);
    if (ok && p.message.present)
        ok = WriteSlice(bytes, p.message.offset, p.message.size, dir / "message.emf", out, &error);
    if (ok && p.logo.present)
        ok = WriteSlice(bytes, p.logo.offset, p.logo.size, dir / "logo.gif", out, &error);
    if (ok && p.sound.present) {
        const char* name = package.trailer.sound.type == kSoundTypeWave ? "sound.wav" : "sound.mid";
        ok = WriteSlice(bytes, p.sound.offset, p.sound.size, dir / name, out, &error);
    }
    if (ok && package.trailer.captionLength > 0) {
        const CaptionText caption = ReadCaption(package);
        const std::vector<uint8_t> utf8(caption.utf8.begin(), caption.utf8.end());
        const std::filesystem::path target = dir / "caption.txt";
        ok = WriteFileAtomically(target.string(), {&utf8}, &error);
        if (ok)
            out << target.string() << " (" << utf8.size() << " bytes of UTF-8, "
                << caption.charsetNote << ")\n";
    }
    if (!ok) {
        err << "tackon: " << error << "\n";
        return 1;
    }
    return 0;
}
