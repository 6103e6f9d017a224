// tackon's entry point. --version is answered here, before the commands: it is about this
// program, not about a package. tackon.exe takes its command line as UTF-16 and hands the
// commands UTF-8, so captions and file names in any language arrive whole. Running out of
// memory ends the program with one line, not an abort.
#include <iostream>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "reelbox_version.h"
#include "tackon.h"

namespace {

#ifdef _WIN32
std::string Utf8FromWide(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string utf8(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.resize(size_t(size) - 1);
    return utf8;
}

std::vector<std::string> CommandArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}
#else
std::vector<std::string> CommandArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}
#endif

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args = CommandArguments(argc, argv);
        if (args.size() == 1 && args[0] == "--version") {
            std::cout << "tackon " REELBOX_VERSION "\n";
            return 0;
        }
        return RunTackon(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "tackon: out of memory (the inputs need more memory than this system gives)\n";
        return 1;
    }
}
