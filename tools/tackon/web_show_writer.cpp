// Finding the web show template and filling it (see web_show_writer.h).
#include "web_show_writer.h"

#include <cstdlib>
#include <filesystem>

#include "file_io.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

fs::path ExecutableFolder() {
#ifdef _WIN32
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, DWORD(sizeof path / sizeof path[0]));
    if (length == 0 || length >= sizeof path / sizeof path[0])
        return {};
    return fs::path(path).parent_path();
#else
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path();
#endif
}

std::string TemplatePath() {
    const char* configured = std::getenv("REELBOX_WEB_SHOW_TEMPLATE");
    if (configured && *configured)
        return configured;
    return (ExecutableFolder() / kWebShowTemplateName).string();
}

}  // namespace

bool MakeWebShow(ReelboxPacker* packer, const std::vector<uint8_t>& show, std::vector<uint8_t>* page,
                 std::string* error) {
    const std::string path = TemplatePath();
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        *error = "no web show template at '" + path + "': the web build writes it (make web, "
                 "into out/web/); put it beside tackon or name it in REELBOX_WEB_SHOW_TEMPLATE";
        return false;
    }
    std::vector<uint8_t> htmlTemplate;
    if (!ReadWholeFile(path, "web show template", &htmlTemplate, error))
        return false;
    size_t size = 0;
    const unsigned char* html =
        ReelboxPackWebShow(packer, htmlTemplate.data(), htmlTemplate.size(), show.data(), show.size(),
                           REELBOX_PACK_WEB_BACKDROP, nullptr, 0, &size);
    if (!html) {
        *error = std::string("web show: ") + ReelboxPackError(packer);
        return false;
    }
    page->assign(html, html + size);
    return true;
}
