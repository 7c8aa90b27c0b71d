#include "RksvKrypto.h"
#include "Fehler.h"

#include <QList>
#include <QtEndian>

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace sigkarte {

namespace {

template <auto F> struct Loescher {
    template <typename T> void operator()(T* p) const { F(p); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, Loescher<EVP_CIPHER_CTX_free>>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, Loescher<EVP_MD_CTX_free>>;
using EcdsaSig = std::unique_ptr<ECDSA_SIG, Loescher<ECDSA_SIG_free>>;

[[noreturn]] void kryptoFehler(const char* schritt) {
    throw Fehler{ExitKeineKarte,
                 QStringLiteral("Kryptografie fehlgeschlagen: %1").arg(QLatin1String(schritt))};
}

QByteArray aesCtr(const QByteArray& schluessel, const QByteArray& iv, const QByteArray& eingabe) {
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    QByteArray aus(eingabe.size() + 16, '\0');
    int n = 0, rest = 0;
    auto* out = reinterpret_cast<unsigned char*>(aus.data());
    if (!ctx ||
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_ctr(), nullptr,
                           reinterpret_cast<const unsigned char*>(schluessel.constData()),
                           reinterpret_cast<const unsigned char*>(iv.constData())) != 1 ||
        EVP_EncryptUpdate(ctx.get(), out, &n, reinterpret_cast<const unsigned char*>(eingabe.constData()),
                          int(eingabe.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), out + n, &rest) != 1)
        kryptoFehler("AES-256-CTR");
    aus.truncate(n + rest);
    return aus;
}

QByteArray base64Streng(const QByteArray& text, QByteArray::Base64Options optionen, const QString& was) {
    auto ergebnis = QByteArray::fromBase64Encoding(text, optionen | QByteArray::AbortOnBase64DecodingErrors);
    if (!ergebnis || text.isEmpty()) eingabeFehler(QStringLiteral("%1: kein gültiger Base64-Text").arg(was));
    return *ergebnis;
}

} // namespace

QByteArray base64Url(const QByteArray& daten) {
    return daten.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray base64Lesen(const QByteArray& text, const QString& was) {
    return base64Streng(text, QByteArray::Base64Encoding, was);
}

QByteArray base64UrlLesen(const QByteArray& text, const QString& was) {
    return base64Streng(text, QByteArray::Base64UrlEncoding, was);
}

QByteArray sha256(const QByteArray& daten) {
    QByteArray hash(32, '\0');
    unsigned int laenge = 0;
    if (EVP_Digest(daten.constData(), size_t(daten.size()), reinterpret_cast<unsigned char*>(hash.data()),
                   &laenge, EVP_sha256(), nullptr) != 1 ||
        laenge != 32)
        kryptoFehler("SHA-256");
    return hash;
}

QByteArray aesSchluesselErzeugen() {
    QByteArray schluessel(32, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(schluessel.data()), 32) != 1)
        kryptoFehler("Zufallszahlen");
    return schluessel;
}

QByteArray aesSchluesselLesen(const QString& base64) {
    const QByteArray schluessel = base64Lesen(base64.toLatin1(), QStringLiteral("Der AES-Schlüssel"));
    if (schluessel.size() != 32)
        eingabeFehler(QStringLiteral("Der AES-Schlüssel hat %1 statt 32 Bytes").arg(schluessel.size()));
    return schluessel;
}

QByteArray umsatzIv(const QString& kassenId, const QString& belegNummer) {
    return sha256(kassenId.toUtf8() + belegNummer.toUtf8()).left(16);
}

QByteArray umsatzVerschluesseln(const QByteArray& schluessel, const QString& kassenId,
                                const QString& belegNummer, qint64 umsatz) {
    QByteArray klartext(8, '\0');
    qToBigEndian(umsatz, klartext.data());
    return aesCtr(schluessel, umsatzIv(kassenId, belegNummer), klartext).toBase64();
}

qint64 umsatzEntschluesseln(const QByteArray& schluessel, const QString& kassenId, const QString& belegNummer,
                            const QByteArray& verschluesseltB64) {
    const QByteArray geheim =
        base64Lesen(verschluesseltB64, QStringLiteral("Der verschlüsselte Umsatzzähler"));
    if (geheim.size() != 8)
        eingabeFehler(
            QStringLiteral("Der verschlüsselte Umsatzzähler hat %1 statt 8 Bytes").arg(geheim.size()));
    const QByteArray klartext = aesCtr(schluessel, umsatzIv(kassenId, belegNummer), geheim);
    return qFromBigEndian<qint64>(klartext.constData());
}

QByteArray verkettungswert(const QByteArray& text) {
    return sha256(text).left(8).toBase64();
}

QByteArray jwsSignieren(EVP_PKEY* schluessel, const QByteArray& payload) {
    const QByteArray zuSignieren = QByteArray(kJwsHeaderB64) + '.' + base64Url(payload);

    MdCtx ctx(EVP_MD_CTX_new());
    size_t derLaenge = 0;
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha256(), nullptr, schluessel) != 1 ||
        EVP_DigestSign(ctx.get(), nullptr, &derLaenge,
                       reinterpret_cast<const unsigned char*>(zuSignieren.constData()),
                       size_t(zuSignieren.size())) != 1)
        kryptoFehler("ECDSA-Signatur");
    QByteArray der(qsizetype(derLaenge), '\0');
    if (EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(der.data()), &derLaenge,
                       reinterpret_cast<const unsigned char*>(zuSignieren.constData()),
                       size_t(zuSignieren.size())) != 1)
        kryptoFehler("ECDSA-Signatur");

    // JWS wants the raw r||s form, not DER.
    const auto* p = reinterpret_cast<const unsigned char*>(der.constData());
    EcdsaSig sig(d2i_ECDSA_SIG(nullptr, &p, long(derLaenge)));
    if (!sig) kryptoFehler("ECDSA-Signatur");
    QByteArray roh(64, '\0');
    auto* out = reinterpret_cast<unsigned char*>(roh.data());
    if (BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), out, 32) != 32 ||
        BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), out + 32, 32) != 32)
        kryptoFehler("ECDSA-Signatur");
    return zuSignieren + '.' + base64Url(roh);
}

QByteArray qrInhaltAusJws(const QByteArray& jws) {
    const QList<QByteArray> teile = jws.split('.');
    if (teile.size() != 3)
        eingabeFehler(QStringLiteral("Der JWS-Text hat nicht drei durch Punkte getrennte Teile"));
    if (teile[0] != kJwsHeaderB64)
        eingabeFehler(QStringLiteral("Der JWS-Kopf ist nicht {\"alg\":\"ES256\"}"));
    const QByteArray payload = base64UrlLesen(teile[1], QStringLiteral("Die JWS-Nutzdaten"));
    const QByteArray signatur = base64UrlLesen(teile[2], QStringLiteral("Die JWS-Signatur"));
    if (payload.size() > kMaxPayload)
        eingabeFehler(QStringLiteral("Die JWS-Nutzdaten sind länger als %1 Zeichen").arg(kMaxPayload));
    return payload + '_' + signatur.toBase64();
}

} // namespace sigkarte
