// The signing options of the command line (see show_signing.h).
#include "show_signing.h"

bool IsValuedSignOption(const std::string& name) {
    return name == "--sign-pkcs12" || name == "--sign-key" || name == "--sign-cert" ||
           name == "--sign-password-file" || name == "--sign-password-env" || name == "--timestamp";
}

bool ApplySignOption(const std::string& name, const std::string& value, SignRequest* request) {
    if (name == "--sign") request->sign = true;
    else if (name == "--sign-pkcs12") request->pkcs12 = value;
    else if (name == "--sign-key") request->key = value;
    else if (name == "--sign-cert") request->certificate = value;
    else if (name == "--sign-password-file") request->passwordFile = value;
    else if (name == "--sign-password-env") request->passwordVariable = value;
    else if (name == "--timestamp") request->timestampUrl = value;
    else return false;
    return true;
}

bool CheckSignRequest(const SignRequest& r, std::string* error) {
    const bool anyDetail = !r.pkcs12.empty() || !r.key.empty() || !r.certificate.empty() ||
                           !r.passwordFile.empty() || !r.passwordVariable.empty() ||
                           !r.timestampUrl.empty();
    if (!r.sign) {
        if (anyDetail)
            *error = "the --sign-... and --timestamp options need --sign";
        return !anyDetail;
    }
    const bool pem = !r.key.empty() || !r.certificate.empty();
    if (r.pkcs12.empty() == !pem) {
        *error = "--sign needs either --sign-pkcs12 FILE or --sign-key FILE with --sign-cert FILE";
        return false;
    }
    if (pem && (r.key.empty() || r.certificate.empty())) {
        *error = "--sign-key and --sign-cert go together";
        return false;
    }
    if (!r.passwordFile.empty() && !r.passwordVariable.empty()) {
        *error = "give the key's password either as --sign-password-file or as --sign-password-env";
        return false;
    }
    return true;
}
