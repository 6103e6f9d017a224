// tackon.exe does not sign: osslsigncode is a Linux tool here, and Windows has its own
// signing tool (see show_signing.h).
#include "show_signing.h"

bool WriteSignedShow(const std::vector<uint8_t>&, const SignRequest&, const std::string&, std::ostream&,
                     std::string* error) {
    *error = "tackon.exe does not sign shows: sign with the Linux tackon (--sign), or with "
             "Windows' signtool (signtool sign /fd SHA256 /f key.pfx show.exe)";
    return false;
}
