// The signature report's checks of the certificate table and its wording (see
// signature_report.h).
#include "signature_report.h"

#include "bytes/little_endian.h"

namespace {

constexpr uint16_t kCertificateRevision2 = 0x0200;
constexpr uint16_t kCertificateTypePkcsSignedData = 0x0002;
constexpr uint32_t kCertificateHeaderSize = 8;   // length, revision, type

SignatureFacts Damaged(const std::string& problem) {
    SignatureFacts facts;
    facts.kind = SignatureFacts::kDamaged;
    facts.problem = problem;
    return facts;
}

}  // namespace

SignatureFacts ReadSignature(const std::vector<uint8_t>& file) {
    SecurityDirectory directory;
    if (!ReadSecurityDirectory(file.data(), file.size(), &directory) ||
        (directory.tableOffset == 0 && directory.tableSize == 0))
        return SignatureFacts();
    const uint64_t tableEnd = uint64_t(directory.tableOffset) + directory.tableSize;
    if (tableEnd > file.size() || directory.tableOffset < directory.entryOffset + 8)
        return Damaged("the security directory points outside the file");
    const uint8_t* table = file.data() + directory.tableOffset;
    const uint32_t length = directory.tableSize >= kCertificateHeaderSize ? ReadLe32(table) : 0;
    if (length < kCertificateHeaderSize || length > directory.tableSize)
        return Damaged("the certificate table's first entry has a wrong length");
    if (ReadLe16(table + 4) != kCertificateRevision2 || ReadLe16(table + 6) != kCertificateTypePkcsSignedData)
        return Damaged("the certificate table holds no PKCS#7 signed data");
    SignatureFacts facts;
    facts.kind = SignatureFacts::kSigned;
    facts.tableSize = directory.tableSize;
    facts.bytesAfterTable = file.size() - tableEnd;
    if (!ReadSignedData(file, directory, table + kCertificateHeaderSize, length - kCertificateHeaderSize, &facts))
        return Damaged(facts.problem);
    return facts;
}

bool SignatureCoversWholeFile(const SignatureFacts& f) {
    return f.kind == SignatureFacts::kSigned && f.read && f.digestMatches && f.bytesAfterTable == 0;
}

void PrintSignature(const SignatureFacts& f, std::ostream& out) {
    switch (f.kind) {
    case SignatureFacts::kUnsigned:
        out << "code signature: none (Windows warns about an unknown publisher; see tackon --sign)\n";
        return;
    case SignatureFacts::kDamaged:
        out << "warning: code signature: damaged: " << f.problem << "\n";
        return;
    case SignatureFacts::kSigned:
        break;
    }
    if (!f.read) {
        out << "code signature: present, a certificate table of " << f.tableSize
            << " bytes; tackon.exe does not read it: Windows shows it in the file's Properties, "
               "Digital Signatures\n";
        return;
    }
    if (!f.digestMatches)
        out << "warning: code signature: signed by " << f.subject << ", but the file does not match its "
            << f.digestName << " digest: it was changed after signing\n";
    else if (f.bytesAfterTable > 0)
        out << "warning: code signature: signed by " << f.subject << "; its digest does not cover the last "
            << f.bytesAfterTable << " bytes, which follow the certificate table\n";
    else
        out << "code signature: signed by " << f.subject << "; its " << f.digestName
            << " digest covers the whole file\n";
}
