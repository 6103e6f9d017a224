// Reading Authenticode signed data with OpenSSL for the native tackon (see
// signature_report.h): the signer's subject from the PKCS#7 SignedData, the digest from its
// SpcIndirectDataContent, and the same digest recomputed over the file.
#include "signature_report.h"

#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <algorithm>
#include <memory>

namespace {

constexpr char kSpcIndirectData[] = "1.3.6.1.4.1.311.2.1.4";

template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, std::integral_constant<decltype(Free), Free>>;

bool Fail(SignatureFacts* facts, const char* problem) {
    facts->problem = problem;
    return false;
}

std::string Subject(X509* certificate) {
    Owned<BIO, BIO_free_all> bio(BIO_new(BIO_s_mem()));
    X509_NAME_print_ex(bio.get(), X509_get_subject_name(certificate), 0, XN_FLAG_RFC2253);
    char* text = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &text);
    return std::string(text, size_t(size));
}

// The DigestInfo of an SpcIndirectDataContent: SEQUENCE { SpcAttributeTypeAndOptionalValue,
// DigestInfo }.
X509_SIG* IndirectDataDigest(PKCS7* contents) {
    char type[64];
    if (!contents || OBJ_obj2txt(type, sizeof type, contents->type, 1) <= 0 ||
        std::string(type) != kSpcIndirectData || !contents->d.other ||
        contents->d.other->type != V_ASN1_SEQUENCE)
        return nullptr;
    const ASN1_STRING* sequence = contents->d.other->value.sequence;
    const unsigned char* at = ASN1_STRING_get0_data(sequence);
    const unsigned char* const end = at + ASN1_STRING_length(sequence);
    long length = 0;
    int tag = 0, xclass = 0;
    if (ASN1_get_object(&at, &length, &tag, &xclass, end - at) & 0x80 || tag != V_ASN1_SEQUENCE)
        return nullptr;
    if (ASN1_get_object(&at, &length, &tag, &xclass, end - at) & 0x80 || tag != V_ASN1_SEQUENCE ||
        length > end - at)
        return nullptr;
    at += length;
    return d2i_X509_SIG(nullptr, &at, end - at);
}

bool DigestOfFile(const std::vector<uint8_t>& file, const SecurityDirectory& d, const EVP_MD* md,
                  std::vector<unsigned char>* digest) {
    Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
    const uint8_t* bytes = file.data();
    unsigned int size = 0;
    digest->resize(EVP_MAX_MD_SIZE);
    const bool done =
        context && EVP_DigestInit_ex(context.get(), md, nullptr) == 1 &&
        EVP_DigestUpdate(context.get(), bytes, d.checksumOffset) == 1 &&
        EVP_DigestUpdate(context.get(), bytes + d.checksumOffset + 4, d.entryOffset - d.checksumOffset - 4) == 1 &&
        EVP_DigestUpdate(context.get(), bytes + d.entryOffset + 8, d.tableOffset - d.entryOffset - 8) == 1 &&
        EVP_DigestFinal_ex(context.get(), digest->data(), &size) == 1;
    digest->resize(size);
    return done;
}

}  // namespace

bool ReadSignedData(const std::vector<uint8_t>& file, const SecurityDirectory& directory,
                    const uint8_t* signedData, size_t size, SignatureFacts* facts) {
    const unsigned char* at = signedData;
    Owned<PKCS7, PKCS7_free> pkcs7(d2i_PKCS7(nullptr, &at, long(size)));
    if (!pkcs7 || !PKCS7_type_is_signed(pkcs7.get()))
        return Fail(facts, "the certificate table holds no readable PKCS#7 signed data");
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(pkcs7.get());
    if (!signers || sk_PKCS7_SIGNER_INFO_num(signers) < 1)
        return Fail(facts, "the signed data names no signer");
    PKCS7_ISSUER_AND_SERIAL* id = sk_PKCS7_SIGNER_INFO_value(signers, 0)->issuer_and_serial;
    X509* signer = X509_find_by_issuer_and_serial(pkcs7->d.sign->cert, id->issuer, id->serial);
    if (!signer)
        return Fail(facts, "the signer's certificate is not in the signed data");
    Owned<X509_SIG, X509_SIG_free> digestInfo(IndirectDataDigest(pkcs7->d.sign->contents));
    if (!digestInfo)
        return Fail(facts, "the signed data holds no Authenticode digest");
    const X509_ALGOR* algorithm = nullptr;
    const ASN1_OCTET_STRING* signedDigest = nullptr;
    X509_SIG_get0(digestInfo.get(), &algorithm, &signedDigest);
    const EVP_MD* md = EVP_get_digestbyobj(algorithm->algorithm);
    std::vector<unsigned char> digest;
    if (!md || !DigestOfFile(file, directory, md, &digest))
        return Fail(facts, "the signature's digest algorithm is unknown");
    facts->read = true;
    facts->subject = Subject(signer);
    facts->digestName = EVP_MD_get0_name(md);
    facts->digestMatches = int(digest.size()) == ASN1_STRING_length(signedDigest) &&
                           std::equal(digest.begin(), digest.end(), ASN1_STRING_get0_data(signedDigest));
    return true;
}
