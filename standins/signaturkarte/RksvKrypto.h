#pragma once

#include <QByteArray>
#include <QString>

typedef struct evp_pkey_st EVP_PKEY;

namespace sigkarte {

// Austrian receipt cryptography (suite R1): AES-256-ICM turnover counter,
// SHA-256 chaining value, ES256 JWS.

inline constexpr char kJwsHeaderB64[] = "eyJhbGciOiJFUzI1NiJ9"; // {"alg":"ES256"}
inline constexpr int kMaxPayload = 2000; // longer codes no longer fit a receipt's QR code

QByteArray base64Url(const QByteArray& daten);
// Strict decoding; throws on anything that is not valid base64 / base64url.
QByteArray base64Lesen(const QByteArray& text, const QString& was);
QByteArray base64UrlLesen(const QByteArray& text, const QString& was);

QByteArray sha256(const QByteArray& daten);

QByteArray aesSchluesselErzeugen(); // 32 random bytes
QByteArray aesSchluesselLesen(const QString& base64);
QByteArray umsatzIv(const QString& kassenId, const QString& belegNummer);
// Encrypts the counter as 8-byte two's complement; the result is standard base64.
QByteArray umsatzVerschluesseln(const QByteArray& schluessel, const QString& kassenId,
                                const QString& belegNummer, qint64 umsatz);
qint64 umsatzEntschluesseln(const QByteArray& schluessel, const QString& kassenId, const QString& belegNummer,
                            const QByteArray& verschluesseltB64);

QByteArray verkettungswert(const QByteArray& text);

QByteArray jwsSignieren(EVP_PKEY* schluessel, const QByteArray& payload);
// QR content of a receipt: payload, "_", signature in standard base64.
QByteArray qrInhaltAusJws(const QByteArray& jws);

} // namespace sigkarte
