// tackon's command dispatch, callable in-process so that tests can run every command
// without starting a program.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// args excludes the program name. Returns the exit status: 0 on success, 2 for a command
// line that cannot be used, 1 on any other error (after one line on err) and for --info on
// a package the player would refuse.
int RunTackon(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
