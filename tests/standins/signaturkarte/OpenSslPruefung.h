#pragma once

// Independent OpenSSL computations the tests compare the programs' results with.

#include <QByteArray>
#include <QString>

#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace ossl {

QByteArray base64(const QByteArray& daten);
QByteArray base64Lesen(const QByteArray& text); // empty on error
QByteArray base64Url(const QByteArray& daten);
QByteArray base64UrlLesen(const QByteArray& text);
QByteArray sha256(const QByteArray& daten);
QByteArray aes256Ctr(const QByteArray& schluessel, const QByteArray& iv, const QByteArray& daten);

using Zertifikat = std::unique_ptr<X509, decltype(&X509_free)>;
Zertifikat zertifikatAusBase64Der(const QByteArray& text);
// ES256: raw r||s over the ASCII bytes of the signing input.
bool es256Pruefen(X509* zertifikat, const QByteArray& signierterText, const QByteArray& rs);
QString seriennummerHex(X509* x);
QString seriennummerDezimal(X509* x);
QString ablaufDatum(X509* x);
bool signiertVon(X509* x, X509* aussteller);

} // namespace ossl
