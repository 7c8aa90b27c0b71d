#include "Crypto.h"

#include <ctime>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <openssl/x509v3.h>

namespace worm {

namespace {

struct BioFree {
    void operator()(BIO *b) const { BIO_free(b); }
};
using Bio = std::unique_ptr<BIO, BioFree>;

std::string bioText(BIO *bio)
{
    char *data = nullptr;
    long n = BIO_get_mem_data(bio, &data);
    return n > 0 ? std::string(data, static_cast<size_t>(n)) : std::string();
}

bool addExtension(X509 *cert, X509 *issuer, int nid, const char *value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext)
        return false;
    bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

Cert makeCertificate(EVP_PKEY *key, X509_NAME *subject, EVP_PKEY *issuerKey, X509 *issuer, unsigned days,
                     bool ca)
{
    Cert cert(X509_new());
    if (!cert)
        return nullptr;
    X509 *x = cert.get();
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return nullptr;
    serial[0] &= 0x7f; // positive
    BIGNUM *bn = BN_bin2bn(serial, sizeof serial, nullptr);
    bool ok = bn && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x)) != nullptr;
    BN_free(bn);
    ok = ok && X509_set_version(x, 2) == 1 && X509_gmtime_adj(X509_getm_notBefore(x), 0) &&
         X509_time_adj_ex(X509_getm_notAfter(x), static_cast<int>(days), 0, nullptr) &&
         X509_set_pubkey(x, key) == 1 && X509_set_subject_name(x, subject) == 1 &&
         X509_set_issuer_name(x, issuer ? X509_get_subject_name(issuer) : subject) == 1;
    X509 *issuerCert = issuer ? issuer : x;
    ok = ok && addExtension(x, issuerCert, NID_basic_constraints, ca ? "critical,CA:TRUE" : "critical,CA:FALSE") &&
         addExtension(x, issuerCert, NID_key_usage, ca ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature") &&
         addExtension(x, issuerCert, NID_subject_key_identifier, "hash") &&
         addExtension(x, issuerCert, NID_authority_key_identifier, "keyid:always") &&
         X509_sign(x, issuerKey, EVP_sha384()) > 0;
    return ok ? std::move(cert) : nullptr;
}

X509_NAME *name(const std::string &cn, const std::string &serial)
{
    X509_NAME *n = X509_NAME_new();
    auto add = [n](int nid, const std::string &v) {
        return X509_NAME_add_entry_by_NID(n, nid, MBSTRING_ASC, reinterpret_cast<const unsigned char *>(v.c_str()),
                                          -1, -1, 0) == 1;
    };
    bool ok = n && add(NID_organizationName, "ORVEN-POS") && add(NID_commonName, cn) &&
              (serial.empty() || add(NID_serialNumber, serial));
    if (!ok) {
        X509_NAME_free(n);
        return nullptr;
    }
    return n;
}

} // namespace

der::Bytes sha256(const unsigned char *data, size_t size)
{
    der::Bytes out(SHA256_DIGEST_LENGTH);
    SHA256(data, size, out.data());
    return out;
}

std::string upperHex(const der::Bytes &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (unsigned char b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

der::Bytes uncompressedPoint(EVP_PKEY *key)
{
    der::Bytes point(1 + 2 * kCoordinateSize);
    size_t len = 0;
    if (!key ||
        EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size(), &len) != 1 ||
        len != point.size() || point[0] != 0x04)
        return {};
    return point;
}

bool generateKeyMaterial(KeyMaterial &out, unsigned validityDays)
{
    out.caKey.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", kCurve));
    out.tseKey.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", kCurve));
    if (!out.caKey || !out.tseKey)
        return false;
    const auto point = uncompressedPoint(out.tseKey.get());
    if (point.empty())
        return false;
    X509_NAME *caName = name("ORVEN-POS TSE CA", "");
    X509_NAME *tseName = name("ORVEN-POS TSE", upperHex(sha256(point.data(), point.size())));
    if (caName && tseName) {
        // The CA outlives the device certificate, as issuing CAs do.
        out.caCert = makeCertificate(out.caKey.get(), caName, out.caKey.get(), nullptr, validityDays + 365, true);
        if (out.caCert)
            out.tseCert = makeCertificate(out.tseKey.get(), tseName, out.caKey.get(), out.caCert.get(), validityDays,
                                          false);
    }
    X509_NAME_free(caName);
    X509_NAME_free(tseName);
    return out.caCert && out.tseCert;
}

std::string keyMaterialToPem(const KeyMaterial &km)
{
    Bio bio(BIO_new(BIO_s_mem()));
    if (!bio || !PEM_write_bio_PrivateKey(bio.get(), km.tseKey.get(), nullptr, nullptr, 0, nullptr, nullptr) ||
        !PEM_write_bio_X509(bio.get(), km.tseCert.get()) ||
        !PEM_write_bio_PrivateKey(bio.get(), km.caKey.get(), nullptr, nullptr, 0, nullptr, nullptr) ||
        !PEM_write_bio_X509(bio.get(), km.caCert.get()))
        return {};
    return bioText(bio.get());
}

bool keyMaterialFromPem(const std::string &pem, KeyMaterial &out)
{
    Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
    if (!bio)
        return false;
    out.tseKey.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    out.tseCert.reset(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    out.caKey.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    out.caCert.reset(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    return out.tseKey && out.tseCert && out.caKey && out.caCert;
}

std::string certificatePem(X509 *cert)
{
    Bio bio(BIO_new(BIO_s_mem()));
    if (!bio || !PEM_write_bio_X509(bio.get(), cert))
        return {};
    return bioText(bio.get());
}

der::Bytes certificateDer(X509 *cert)
{
    unsigned char *buf = nullptr;
    int n = i2d_X509(cert, &buf);
    if (n <= 0)
        return {};
    der::Bytes out(buf, buf + n);
    OPENSSL_free(buf);
    return out;
}

uint32_t certificateExpiry(X509 *cert)
{
    std::tm tm{};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(cert), &tm) != 1)
        return 0;
    return static_cast<uint32_t>(timegm(&tm));
}

bool signPlain(EVP_PKEY *key, const der::Bytes &data, der::Bytes &signature)
{
    EVP_MD_CTX *md = EVP_MD_CTX_new();
    size_t len = 0;
    der::Bytes derSig;
    bool ok = md && EVP_DigestSignInit(md, nullptr, EVP_sha384(), nullptr, key) == 1 &&
              EVP_DigestSign(md, nullptr, &len, data.data(), data.size()) == 1;
    if (ok) {
        derSig.resize(len);
        ok = EVP_DigestSign(md, derSig.data(), &len, data.data(), data.size()) == 1;
        derSig.resize(len);
    }
    EVP_MD_CTX_free(md);
    if (!ok)
        return false;
    const unsigned char *p = derSig.data();
    ECDSA_SIG *sig = d2i_ECDSA_SIG(nullptr, &p, static_cast<long>(derSig.size()));
    if (!sig)
        return false;
    signature.assign(2 * kCoordinateSize, 0);
    ok = BN_bn2binpad(ECDSA_SIG_get0_r(sig), signature.data(), kCoordinateSize) == kCoordinateSize &&
         BN_bn2binpad(ECDSA_SIG_get0_s(sig), signature.data() + kCoordinateSize, kCoordinateSize) ==
             kCoordinateSize;
    ECDSA_SIG_free(sig);
    return ok;
}

bool verifyPlain(EVP_PKEY *key, const der::Bytes &data, const der::Bytes &signature)
{
    if (signature.size() != 2 * kCoordinateSize)
        return false;
    ECDSA_SIG *sig = ECDSA_SIG_new();
    BIGNUM *r = BN_bin2bn(signature.data(), kCoordinateSize, nullptr);
    BIGNUM *s = BN_bin2bn(signature.data() + kCoordinateSize, kCoordinateSize, nullptr);
    if (!sig || !r || !s || ECDSA_SIG_set0(sig, r, s) != 1) {
        BN_free(r);
        BN_free(s);
        ECDSA_SIG_free(sig);
        return false;
    }
    unsigned char *derSig = nullptr;
    int derLen = i2d_ECDSA_SIG(sig, &derSig);
    ECDSA_SIG_free(sig);
    EVP_MD_CTX *md = EVP_MD_CTX_new();
    bool ok = derLen > 0 && md && EVP_DigestVerifyInit(md, nullptr, EVP_sha384(), nullptr, key) == 1 &&
              EVP_DigestVerify(md, derSig, static_cast<size_t>(derLen), data.data(), data.size()) == 1;
    EVP_MD_CTX_free(md);
    OPENSSL_free(derSig);
    return ok;
}

} // namespace worm
