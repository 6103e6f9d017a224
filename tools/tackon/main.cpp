// tackon's entry point. --version is answered here, before the commands: it is about this
// program, not about a package.
#include <cstring>
#include <iostream>

#include "reelbox_version.h"
#include "tackon.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "tackon " REELBOX_VERSION "\n";
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunTackon(args, std::cout, std::cerr);
}
