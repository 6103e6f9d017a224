// The code signature line of --info and --check: whether a show carries an Authenticode
// signature, who signed it, and whether the signed digest covers the whole file.
//
// The digest is the one Authenticode defines: the file up to its certificate table, less
// the header's CheckSum field and the security directory entry. The native tackon reads
// the PKCS#7 signed data with OpenSSL and recomputes the digest; tackon.exe, which has no
// PKCS#7 reader, reports the table and leaves the reading to Windows. Neither judges whether
// the certificate is trusted: that is the receiver's Windows' (or osslsigncode verify's) task.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "package/trailer_location.h"

struct SignatureFacts {
    enum Kind { kUnsigned, kDamaged, kSigned } kind = kUnsigned;
    std::string problem;            // kDamaged: what is wrong
    uint32_t tableSize = 0;
    bool read = false;              // kSigned: the signed data was parsed (native tackon)
    std::string subject;            // the signer's certificate subject
    std::string digestName;         // "SHA256"
    bool digestMatches = false;     // the signed digest equals the file's
    uint64_t bytesAfterTable = 0;   // bytes no digest covers
};

SignatureFacts ReadSignature(const std::vector<uint8_t>& file);
bool SignatureCoversWholeFile(const SignatureFacts& facts);
// One line; "warning: " in front when a signature is there but does not hold.
void PrintSignature(const SignatureFacts& facts, std::ostream& out);

// Platform part: fills read, subject, digestName and digestMatches from the PKCS#7 signed
// data (content of the first certificate) of a file whose directory was checked; false with
// facts->problem set when the signed data cannot be read.
bool ReadSignedData(const std::vector<uint8_t>& file, const SecurityDirectory& directory,
                    const uint8_t* signedData, size_t size, SignatureFacts* facts);
