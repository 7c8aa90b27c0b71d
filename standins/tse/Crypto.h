// The device's keys and certificates (OpenSSL).
#pragma once

#include "Der.h"

#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace worm {

struct PkeyFree {
    void operator()(EVP_PKEY *k) const { EVP_PKEY_free(k); }
};
struct X509Free {
    void operator()(X509 *x) const { X509_free(x); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using Cert = std::unique_ptr<X509, X509Free>;

struct KeyMaterial {
    Pkey tseKey;
    Cert tseCert;
    Pkey caKey;
    Cert caCert;
};

inline constexpr const char *kCurve = "brainpoolP384r1";
inline constexpr size_t kCoordinateSize = 48;

der::Bytes sha256(const unsigned char *data, size_t size);
std::string upperHex(const der::Bytes &bytes);
// 04||X||Y of the key; empty on failure.
der::Bytes uncompressedPoint(EVP_PKEY *key);

// New CA and TSE key pairs; the TSE certificate carries the serial (hex) in its subject.
bool generateKeyMaterial(KeyMaterial &out, unsigned validityDays);
std::string keyMaterialToPem(const KeyMaterial &km);
bool keyMaterialFromPem(const std::string &pem, KeyMaterial &out);

std::string certificatePem(X509 *cert);
der::Bytes certificateDer(X509 *cert);
// notAfter in Unix seconds; 0 when unreadable.
uint32_t certificateExpiry(X509 *cert);

// ECDSA with SHA-384, returned plain as r||s.
bool signPlain(EVP_PKEY *key, const der::Bytes &data, der::Bytes &signature);
bool verifyPlain(EVP_PKEY *key, const der::Bytes &data, const der::Bytes &signature);

} // namespace worm
