#include "OpenSslPruefung.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509v3.h>

#include <ctime>

namespace ossl {

QByteArray base64(const QByteArray& daten) {
    QByteArray aus(4 * ((daten.size() + 2) / 3) + 1, '\0');
    const int n =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(aus.data()),
                        reinterpret_cast<const unsigned char*>(daten.constData()), int(daten.size()));
    aus.truncate(n);
    return aus;
}

QByteArray base64Lesen(const QByteArray& text) {
    if (text.isEmpty() || text.size() % 4 != 0) return {};
    QByteArray aus(text.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(aus.data()),
                                  reinterpret_cast<const unsigned char*>(text.constData()), int(text.size()));
    if (n < 0) return {};
    // EVP_DecodeBlock counts the padding as zero bytes.
    aus.truncate(n - (text.endsWith("==") ? 2 : text.endsWith('=') ? 1 : 0));
    return aus;
}

QByteArray base64Url(const QByteArray& daten) {
    QByteArray text = base64(daten);
    text.replace('+', '-').replace('/', '_');
    while (text.endsWith('='))
        text.chop(1);
    return text;
}

QByteArray base64UrlLesen(const QByteArray& text) {
    if (text.contains('+') || text.contains('/') || text.contains('=')) return {};
    QByteArray std = text;
    std.replace('-', '+').replace('_', '/');
    while (std.size() % 4)
        std.append('=');
    return base64Lesen(std);
}

QByteArray sha256(const QByteArray& daten) {
    QByteArray hash(EVP_MAX_MD_SIZE, '\0');
    unsigned int n = 0;
    EVP_Digest(daten.constData(), size_t(daten.size()), reinterpret_cast<unsigned char*>(hash.data()), &n,
               EVP_sha256(), nullptr);
    hash.truncate(int(n));
    return hash;
}

QByteArray aes256Ctr(const QByteArray& schluessel, const QByteArray& iv, const QByteArray& daten) {
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        EVP_CIPHER_CTX_free);
    QByteArray aus(daten.size() + 32, '\0');
    int n = 0, rest = 0;
    auto* out = reinterpret_cast<unsigned char*>(aus.data());
    if (schluessel.size() != 32 || iv.size() != 16 ||
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_ctr(), nullptr,
                           reinterpret_cast<const unsigned char*>(schluessel.constData()),
                           reinterpret_cast<const unsigned char*>(iv.constData())) != 1 ||
        EVP_DecryptUpdate(ctx.get(), out, &n, reinterpret_cast<const unsigned char*>(daten.constData()),
                          int(daten.size())) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), out + n, &rest) != 1)
        return {};
    aus.truncate(n + rest);
    return aus;
}

Zertifikat zertifikatAusBase64Der(const QByteArray& text) {
    const QByteArray der = base64Lesen(text);
    const auto* p = reinterpret_cast<const unsigned char*>(der.constData());
    X509* x = der.isEmpty() ? nullptr : d2i_X509(nullptr, &p, long(der.size()));
    // The whole text must be one certificate, nothing after it.
    if (x && p != reinterpret_cast<const unsigned char*>(der.constData()) + der.size()) {
        X509_free(x);
        x = nullptr;
    }
    return Zertifikat(x, X509_free);
}

bool es256Pruefen(X509* zertifikat, const QByteArray& signierterText, const QByteArray& rs) {
    if (!zertifikat || rs.size() != 64) return false;
    const auto* roh = reinterpret_cast<const unsigned char*>(rs.constData());
    ECDSA_SIG* sig = ECDSA_SIG_new();
    ECDSA_SIG_set0(sig, BN_bin2bn(roh, 32, nullptr), BN_bin2bn(roh + 32, 32, nullptr));
    unsigned char* der = nullptr;
    const int derLaenge = i2d_ECDSA_SIG(sig, &der);
    ECDSA_SIG_free(sig);

    EVP_PKEY* schluessel = X509_get0_pubkey(zertifikat);
    char gruppe[64] = {};
    const bool p256 = schluessel && EVP_PKEY_get_group_name(schluessel, gruppe, sizeof gruppe, nullptr) &&
                      QByteArray(gruppe) == "prime256v1";
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    const bool ok = p256 && derLaenge > 0 &&
                    EVP_DigestVerifyInit(ctx, nullptr, EVP_sha256(), nullptr, schluessel) == 1 &&
                    EVP_DigestVerify(ctx, der, size_t(derLaenge),
                                     reinterpret_cast<const unsigned char*>(signierterText.constData()),
                                     size_t(signierterText.size())) == 1;
    EVP_MD_CTX_free(ctx);
    OPENSSL_free(der);
    return ok;
}

namespace {
QString bnText(X509* x, char* (*umwandeln)(const BIGNUM*)) {
    BIGNUM* bn = ASN1_INTEGER_to_BN(X509_get0_serialNumber(x), nullptr);
    char* text = umwandeln(bn);
    const QString ergebnis = QString::fromLatin1(text);
    OPENSSL_free(text);
    BN_free(bn);
    return ergebnis;
}
} // namespace

QString seriennummerHex(X509* x) {
    QString hex = bnText(x, BN_bn2hex);
    while (hex.size() > 1 && hex.startsWith('0'))
        hex.remove(0, 1);
    return hex;
}

QString seriennummerDezimal(X509* x) {
    return bnText(x, BN_bn2dec);
}

QString ablaufDatum(X509* x) {
    std::tm t{};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(x), &t) != 1) return {};
    return QString::asprintf("%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

bool signiertVon(X509* x, X509* aussteller) {
    return X509_verify(x, X509_get0_pubkey(aussteller)) == 1 && X509_check_issued(aussteller, x) == X509_V_OK;
}

} // namespace ossl
