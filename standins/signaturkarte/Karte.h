#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

typedef struct evp_pkey_st EVP_PKEY;
typedef struct x509_st X509;

namespace sigkarte {

// A software signature card: a folder with the card's ECDSA P-256 key, its
// certificate, the CA certificate that issued it and the provider code.
namespace kartendatei {
inline constexpr char schluessel[] = "karte.key";
inline constexpr char zertifikat[] = "karte.crt";
inline constexpr char ausgeber[] = "zertifizierungsstelle.crt";
inline constexpr char zda[] = "zda.txt";
inline constexpr char deaktiviert[] = "deaktiviert";
inline constexpr char softwareFehler[] = "software_fehler";
} // namespace kartendatei

inline constexpr char kStandardZda[] = "AT1";

// --card, else $ORVENPOS_SIGNATURKARTE, else <data folder>/Signaturkarte.
QString kartenOrdner(const QString& option);

// Exit code of --check_software as the card folder's "software_fehler" file dictates.
int softwarePruefen(const QString& ordner);

struct Karte {
    QString ordner;
    std::shared_ptr<EVP_PKEY> schluessel;
    std::shared_ptr<X509> zertifikat;
    std::shared_ptr<X509> ausgeber;
    QString zda;

    // Throws exit code 2 (no or unreadable card) or 1 (deactivated card).
    static Karte laden(const QString& ordner);

    QString seriennummerDezimal() const;
    QString seriennummerHex() const;
    QByteArray zertifikatBase64() const;
    QByteArray ausgeberBase64() const;
    QString ablaufDatum() const; // YYYY-MM-DD (UTC)
};

struct KartenOptionen {
    bool ueberschreiben = false;
    QString zda = QString::fromLatin1(kStandardZda);
    int gueltigTage = 5 * 365 + 1;
};
Karte karteAnlegen(const QString& ordner, const KartenOptionen& optionen);

} // namespace sigkarte
