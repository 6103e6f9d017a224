// Loading a package file and applying the player's acceptance rules (see loaded_package.h).
#include "loaded_package.h"

#include <cstring>

#include "file_io.h"

bool LoadPackageFile(const std::string& path, LoadedPackage* package, std::string* error) {
    if (!ReadWholeFile(path, "package", &package->bytes, error))
        return false;
    std::memset(&package->trailer, 0, sizeof package->trailer);
    std::memset(&package->payloads, 0, sizeof package->payloads);
    package->location = LocateTrailer(package->bytes.data(), package->bytes.size());
    // Without a trailer anywhere the file's last bytes are judged, so the verdict names why.
    const uint64_t end = package->location.place != kTrailerNotFound ? package->location.packageEnd
                                                                      : package->bytes.size();
    package->hasTrailer = end > kTrailerSize;
    if (package->hasTrailer)
        DecodeTrailer(package->bytes.data() + end - kTrailerSize, &package->trailer);
    package->verdict = LocatePayloads(end, package->trailer, &package->payloads);
    return true;
}
