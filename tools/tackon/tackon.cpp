// Dispatch of the four tackon commands (see tackon.h).
#include "tackon.h"

#include "arguments.h"
#include "help_text.h"
#include "package_extract.h"
#include "package_info.h"
#include "package_writer.h"
#include "show_check.h"

int RunTackon(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TackonCommand command;
    std::string error;
    if (!ParseArguments(args, &command, &error)) {
        err << "tackon: " << error << "\n";
        return 2;
    }
    switch (command.mode) {
    case kModeHelp:
        out << HelpText();
        return 0;
    case kModeInfo:
        return PrintPackageInfo(command.packagePath, out, err);
    case kModeExtract:
        return ExtractPackage(command.packagePath, command.extractFolder, command.force, out, err);
    case kModeCheck:
        return CheckShowFile(command.packagePath, out, err);
    case kModePack:
        break;
    }
    if (!PackShow(command.pack, out, &error)) {
        err << "tackon: " << error << "\n";
        return 1;
    }
    return 0;
}
