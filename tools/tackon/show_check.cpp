// The --check command (see show_check.h).
#include "show_check.h"

#include <memory>
#include <vector>

#include "file_io.h"
#include "pack/pack_api.h"
#include "signature_report.h"

int CheckShowFile(const std::string& path, std::ostream& out, std::ostream& err) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(path, "show", &bytes, &error)) {
        err << "tackon: " << error << "\n";
        return 1;
    }
    std::unique_ptr<ReelboxPacker, void (*)(ReelboxPacker*)> packer(ReelboxPackCreate(), ReelboxPackFree);
    const int plays = ReelboxPackCheck(packer.get(), bytes.data(), bytes.size());
    // The signature line follows the verdict, so that the report up to the verdict is the one
    // the packing core gives every front end.
    out << ReelboxPackReport(packer.get())
        << (plays ? "verdict: the player plays this show\n" : "verdict: the player does not play this show\n");
    PrintSignature(ReadSignature(bytes), out);
    return plays ? 0 : 1;
}
