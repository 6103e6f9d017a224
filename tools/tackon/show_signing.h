// Signing a show with osslsigncode (tackon --sign): the options, and the signing of a
// finished show into its target. The show is written to a temporary file beside the target,
// signed into a second one, checked there, and only then renamed over the target; on any
// failure both temporary files are removed and the target is untouched. The key's password
// comes from a file or an environment variable and reaches osslsigncode on its standard
// input, never on a command line. tackon.exe does not sign (see show_signing_win32.cpp).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct SignRequest {
    bool sign = false;                 // --sign
    std::string pkcs12;                // --sign-pkcs12 FILE
    std::string key, certificate;      // --sign-key FILE --sign-cert FILE (PEM)
    std::string passwordFile;          // --sign-password-file FILE
    std::string passwordVariable;      // --sign-password-env NAME
    std::string timestampUrl;          // --timestamp URL (RFC 3161)
};

bool IsValuedSignOption(const std::string& name);
// False when name is not a signing option; --sign itself is a flag (value ignored).
bool ApplySignOption(const std::string& name, const std::string& value, SignRequest* request);
bool CheckSignRequest(const SignRequest& request, std::string* error);

// Signs show into target as described above; out gets the signature report of the result.
bool WriteSignedShow(const std::vector<uint8_t>& show, const SignRequest& request,
                     const std::string& target, std::ostream& out, std::string* error);
