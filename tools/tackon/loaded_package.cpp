// Loading a package file and applying the player's acceptance rules (see loaded_package.h).
#include "loaded_package.h"

#include <cstring>

#include "file_io.h"

bool LoadPackageFile(const std::string& path, LoadedPackage* package, std::string* error) {
    if (!ReadWholeFile(path, "package", &package->bytes, error))
        return false;
    std::memset(&package->trailer, 0, sizeof package->trailer);
    std::memset(&package->payloads, 0, sizeof package->payloads);
    package->hasTrailer = package->bytes.size() > kTrailerSize;
    if (package->hasTrailer)
        DecodeTrailer(package->bytes.data() + package->bytes.size() - kTrailerSize,
                      &package->trailer);
    package->verdict = LocatePayloads(package->bytes.size(), package->trailer, &package->payloads);
    return true;
}
