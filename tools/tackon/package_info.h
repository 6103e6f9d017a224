// tackon --info: prints a package's trailer fields and payload sizes and whether the player
// would accept it.
#pragma once

#include <ostream>
#include <string>

// Exit code: 0 when the player would accept the package, 1 otherwise.
int PrintPackageInfo(const std::string& path, std::ostream& out, std::ostream& err);
