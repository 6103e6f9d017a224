// tackon's entry point.
#include <iostream>

#include "tackon.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunTackon(args, std::cout, std::cerr);
}
