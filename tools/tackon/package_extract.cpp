// Writing a package's payloads back out (see package_extract.h).
#include "package_extract.h"

#include <filesystem>
#include <vector>

#include "caption_text.h"
#include "file_io.h"
#include "loaded_package.h"

namespace {

struct ExtractedFile {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string note;   // after the size in the listing
};

std::vector<ExtractedFile> FilesOf(const LoadedPackage& package) {
    const PackagePayloads& p = package.payloads;
    auto slice = [&](const PayloadSpan& span) {
        return std::vector<uint8_t>(package.bytes.begin() + std::ptrdiff_t(span.offset),
                                    package.bytes.begin() + std::ptrdiff_t(span.offset + span.size));
    };
    std::vector<ExtractedFile> files;
    files.push_back({"animation.gif", slice(p.animation), " bytes"});
    if (p.message.present)
        files.push_back({"message.emf", slice(p.message), " bytes"});
    if (p.logo.present)
        files.push_back({"logo.gif", slice(p.logo), " bytes"});
    if (p.sound.present)
        files.push_back({package.trailer.sound.type == kSoundTypeWave ? "sound.wav" : "sound.mid",
                         slice(p.sound), " bytes"});
    if (package.trailer.captionLength > 0) {
        const CaptionText caption = ReadCaption(package);
        files.push_back({"caption.txt", std::vector<uint8_t>(caption.utf8.begin(), caption.utf8.end()),
                         " bytes of UTF-8, " + caption.charsetNote});
    }
    return files;
}

}  // namespace

int ExtractPackage(const std::string& path, const std::string& folder, bool force,
                   std::ostream& out, std::ostream& err) {
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
    const std::vector<ExtractedFile> files = FilesOf(package);
    const std::filesystem::path dir = PathFromUtf8(folder);
    std::error_code ec;
    for (const ExtractedFile& file : files)
        if (!force && std::filesystem::exists(dir / file.name, ec)) {
            err << "tackon: '" << Utf8FromPath(dir / file.name)
                << "' already exists; nothing was extracted (--force replaces it)\n";
            return 1;
        }
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        err << "tackon: cannot create folder '" << folder << "'\n";
        return 1;
    }
    for (const ExtractedFile& file : files) {
        const std::string target = Utf8FromPath(dir / file.name);
        if (!WriteFileAtomically(target, {&file.bytes}, &error)) {
            err << "tackon: " << error << "\n";
            return 1;
        }
        out << target << " (" << file.bytes.size() << file.note << ")\n";
    }
    return 0;
}
