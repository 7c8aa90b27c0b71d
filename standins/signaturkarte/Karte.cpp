#include "Karte.h"
#include "Ausgabe.h"
#include "Fehler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>

namespace sigkarte {

namespace {

[[noreturn]] void karteDefekt(const QString& ordner, const QString& was) {
    throw Fehler{ExitKeineKarte, QStringLiteral("Karte in %1 unlesbar: %2").arg(ordner, was)};
}

bool zdaGueltig(const QString& zda) {
    static const QRegularExpression muster(QStringLiteral("^[A-Za-z0-9]{1,16}$"));
    return muster.match(zda).hasMatch();
}

QString umgebung(const char* name) {
    return qEnvironmentVariable(name);
}

QString datenOrdner() {
    if (const QString home = umgebung("ORVENPOS_HOME"); !home.isEmpty()) return home;
    if (const QString xdg = umgebung("XDG_DATA_HOME"); !xdg.isEmpty())
        return xdg + QStringLiteral("/orvenpos");
    return umgebung("HOME") + QStringLiteral("/.local/share/orvenpos");
}

std::shared_ptr<BIO> dateiBio(const QString& pfad) {
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray inhalt = datei.readAll();
    BIO* bio = BIO_new(BIO_s_mem());
    BIO_write(bio, inhalt.constData(), int(inhalt.size()));
    return std::shared_ptr<BIO>(bio, BIO_free);
}

std::shared_ptr<X509> zertifikatLesen(const QString& ordner, const char* name) {
    auto bio = dateiBio(ordner + '/' + QLatin1String(name));
    X509* x = bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    if (!x) karteDefekt(ordner, QStringLiteral("%1 fehlt oder ist kein Zertifikat").arg(QLatin1String(name)));
    return std::shared_ptr<X509>(x, X509_free);
}

QString hexOhneNullen(const ASN1_INTEGER* serial) {
    std::shared_ptr<BIGNUM> bn(ASN1_INTEGER_to_BN(serial, nullptr), BN_free);
    std::shared_ptr<char> hex(BN_bn2hex(bn.get()), [](char* p) { OPENSSL_free(p); });
    QString text = QString::fromLatin1(hex.get()).toUpper();
    while (text.size() > 1 && text.startsWith('0'))
        text.remove(0, 1);
    return text;
}

QByteArray derBase64(X509* x) {
    unsigned char* der = nullptr;
    const int laenge = i2d_X509(x, &der);
    if (laenge <= 0) throw Fehler{ExitKeineKarte, QStringLiteral("Zertifikat lässt sich nicht kodieren")};
    QByteArray text = QByteArray(reinterpret_cast<const char*>(der), laenge).toBase64();
    OPENSSL_free(der);
    return text;
}

QByteArray pem(int (*schreiben)(BIO*, void*), void* objekt) {
    std::shared_ptr<BIO> bio(BIO_new(BIO_s_mem()), BIO_free);
    if (!schreiben(bio.get(), objekt))
        throw Fehler{ExitAusgabe, QStringLiteral("PEM-Kodierung fehlgeschlagen")};
    char* daten = nullptr;
    const long laenge = BIO_get_mem_data(bio.get(), &daten);
    return QByteArray(daten, laenge);
}

// --- creating a card ------------------------------------------------------

[[noreturn]] void anlegenFehler(const char* schritt) {
    throw Fehler{ExitAusgabe, QStringLiteral("Karte anlegen fehlgeschlagen: %1").arg(QLatin1String(schritt))};
}

std::shared_ptr<EVP_PKEY> neuerSchluessel() {
    EVP_PKEY* k = EVP_EC_gen("P-256");
    if (!k) anlegenFehler("EC-Schlüssel");
    return std::shared_ptr<EVP_PKEY>(k, EVP_PKEY_free);
}

// The register pads serials shorter than 8 hex digits; 16 digits with a
// non-zero first one keep that padding from ever changing ours.
void zufallsSeriennummer(X509* x) {
    unsigned char bytes[8];
    if (RAND_bytes(bytes, sizeof bytes) != 1) anlegenFehler("Zufallszahlen");
    bytes[0] = 0x10 | (bytes[0] & 0x6F);
    std::shared_ptr<BIGNUM> bn(BN_bin2bn(bytes, sizeof bytes, nullptr), BN_free);
    if (!bn || !BN_to_ASN1_INTEGER(bn.get(), X509_get_serialNumber(x))) anlegenFehler("Seriennummer");
}

void erweiterung(X509* x, X509* aussteller, int nid, const char* wert) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, aussteller, x, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, wert);
    if (!ext || !X509_add_ext(x, ext, -1)) anlegenFehler("Zertifikatserweiterung");
    X509_EXTENSION_free(ext);
}

std::shared_ptr<X509> zertifikatAusstellen(EVP_PKEY* schluessel, const char* name, X509* aussteller,
                                           EVP_PKEY* ausstellerSchluessel, int tage, bool ca) {
    std::shared_ptr<X509> x(X509_new(), X509_free);
    X509_NAME* subjekt = X509_get_subject_name(x.get());
    auto eintrag = [&](const char* feld, const char* wert) {
        X509_NAME_add_entry_by_txt(subjekt, feld, MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(wert),
                                   -1, -1, 0);
    };
    eintrag("C", "AT");
    eintrag("O", "ORVEN-POS Signaturkarte");
    eintrag("CN", name);
    if (!X509_set_version(x.get(), 2) || !X509_gmtime_adj(X509_getm_notBefore(x.get()), 0) ||
        !X509_gmtime_adj(X509_getm_notAfter(x.get()), long(tage) * 24 * 60 * 60) ||
        !X509_set_pubkey(x.get(), schluessel))
        anlegenFehler("Zertifikat");
    zufallsSeriennummer(x.get());
    X509* signierer = aussteller ? aussteller : x.get();
    if (!X509_set_issuer_name(x.get(), X509_get_subject_name(signierer))) anlegenFehler("Zertifikat");
    erweiterung(x.get(), signierer, NID_basic_constraints, ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
    erweiterung(x.get(), signierer, NID_key_usage,
                ca ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature,nonRepudiation");
    erweiterung(x.get(), signierer, NID_subject_key_identifier, "hash");
    erweiterung(x.get(), signierer, NID_authority_key_identifier, "keyid:always");
    if (!X509_sign(x.get(), ausstellerSchluessel, EVP_sha256())) anlegenFehler("Zertifikat signieren");
    return x;
}

int x509Schreiben(BIO* bio, void* x) {
    return PEM_write_bio_X509(bio, static_cast<X509*>(x));
}
int schluesselSchreiben(BIO* bio, void* k) {
    return PEM_write_bio_PrivateKey(bio, static_cast<EVP_PKEY*>(k), nullptr, nullptr, 0, nullptr, nullptr);
}

} // namespace

QString kartenOrdner(const QString& option) {
    if (!option.isEmpty()) return option;
    if (const QString env = umgebung("ORVENPOS_SIGNATURKARTE"); !env.isEmpty()) return env;
    return datenOrdner() + QStringLiteral("/Signaturkarte");
}

int softwarePruefen(const QString& ordner) {
    QFile datei(ordner + '/' + QLatin1String(kartendatei::softwareFehler));
    if (!datei.exists()) return ExitOk;
    if (!datei.open(QIODevice::ReadOnly))
        throw Fehler{5, QStringLiteral("%1 ist nicht lesbar").arg(datei.fileName())};
    bool zahl = false;
    const int code = datei.readAll().trimmed().toInt(&zahl);
    if (!zahl || code < 0 || code > 255)
        throw Fehler{5, QStringLiteral("%1 enthält keinen Fehlercode").arg(datei.fileName())};
    if (code != ExitOk)
        throw Fehler{
            code,
            QStringLiteral("Software-Prüfung meldet Fehler %1 (laut %2)").arg(code).arg(datei.fileName())};
    return ExitOk;
}

Karte Karte::laden(const QString& ordner) {
    const QDir dir(ordner);
    if (ordner.isEmpty() || !dir.exists())
        throw Fehler{ExitKeineKarte, QStringLiteral("Keine Karte: Ordner %1 fehlt").arg(ordner)};
    if (dir.exists(QLatin1String(kartendatei::deaktiviert)))
        throw Fehler{ExitKarteDeaktiviert, QStringLiteral("Die Karte in %1 ist deaktiviert").arg(ordner)};

    Karte karte;
    karte.ordner = ordner;
    auto bio = dateiBio(dir.filePath(QLatin1String(kartendatei::schluessel)));
    EVP_PKEY* k = bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    if (!k) karteDefekt(ordner, QStringLiteral("Schlüssel fehlt oder ist nicht lesbar"));
    karte.schluessel.reset(k, EVP_PKEY_free);
    char gruppe[64] = {};
    if (!EVP_PKEY_is_a(k, "EC") || !EVP_PKEY_get_group_name(k, gruppe, sizeof gruppe, nullptr) ||
        QLatin1String(gruppe) != QLatin1String("prime256v1"))
        karteDefekt(ordner, QStringLiteral("Schlüssel ist kein ECDSA-P-256-Schlüssel"));
    karte.zertifikat = zertifikatLesen(ordner, kartendatei::zertifikat);
    karte.ausgeber = zertifikatLesen(ordner, kartendatei::ausgeber);
    if (X509_check_private_key(karte.zertifikat.get(), k) != 1)
        karteDefekt(ordner, QStringLiteral("Zertifikat passt nicht zum Schlüssel"));

    karte.zda = QString::fromLatin1(kStandardZda);
    QFile zda(dir.filePath(QLatin1String(kartendatei::zda)));
    if (zda.exists()) {
        if (!zda.open(QIODevice::ReadOnly))
            karteDefekt(ordner, QStringLiteral("%1 ist nicht lesbar").arg(zda.fileName()));
        karte.zda = QString::fromUtf8(zda.readAll()).trimmed();
        if (!zdaGueltig(karte.zda))
            karteDefekt(ordner, QStringLiteral("%1 enthält keinen gültigen ZDA-Code").arg(zda.fileName()));
    }
    return karte;
}

QString Karte::seriennummerDezimal() const {
    std::shared_ptr<BIGNUM> bn(ASN1_INTEGER_to_BN(X509_get0_serialNumber(zertifikat.get()), nullptr),
                               BN_free);
    std::shared_ptr<char> dez(BN_bn2dec(bn.get()), [](char* p) { OPENSSL_free(p); });
    return QString::fromLatin1(dez.get());
}

QString Karte::seriennummerHex() const {
    return hexOhneNullen(X509_get0_serialNumber(zertifikat.get()));
}

QByteArray Karte::zertifikatBase64() const {
    return derBase64(zertifikat.get());
}

QByteArray Karte::ausgeberBase64() const {
    return derBase64(ausgeber.get());
}

QString Karte::ablaufDatum() const {
    std::tm zeit{};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(zertifikat.get()), &zeit) != 1)
        karteDefekt(ordner, QStringLiteral("Ablaufdatum des Zertifikats unlesbar"));
    return QString::asprintf("%04d-%02d-%02d", zeit.tm_year + 1900, zeit.tm_mon + 1, zeit.tm_mday);
}

Karte karteAnlegen(const QString& ordner, const KartenOptionen& optionen) {
    if (!zdaGueltig(optionen.zda))
        eingabeFehler(QStringLiteral("Ungültiger ZDA-Code \"%1\" (1-16 Buchstaben/Ziffern, kein \"_\")")
                          .arg(optionen.zda));
    if (optionen.gueltigTage < 1 || optionen.gueltigTage > 20 * 366)
        eingabeFehler(QStringLiteral("Gültigkeit muss zwischen 1 und %1 Tagen liegen").arg(20 * 366));
    const QDir dir(ordner);
    if (!optionen.ueberschreiben && (dir.exists(QLatin1String(kartendatei::schluessel)) ||
                                     dir.exists(QLatin1String(kartendatei::zertifikat))))
        throw Fehler{ExitEingabe,
                     QStringLiteral("In %1 liegt schon eine Karte (--force ersetzt sie)").arg(ordner)};

    auto caSchluessel = neuerSchluessel();
    auto ca = zertifikatAusstellen(caSchluessel.get(), "ORVEN-POS Test-CA", nullptr, caSchluessel.get(),
                                   optionen.gueltigTage + 365, true);
    auto schluessel = neuerSchluessel();
    auto zertifikat = zertifikatAusstellen(schluessel.get(), "ORVEN-POS Registrierkasse", ca.get(),
                                           caSchluessel.get(), optionen.gueltigTage, false);

    const QString schluesselPfad = dir.filePath(QLatin1String(kartendatei::schluessel));
    ergebnisSchreiben(schluesselPfad, pem(schluesselSchreiben, schluessel.get()));
    QFile::setPermissions(schluesselPfad, QFile::ReadOwner | QFile::WriteOwner);
    ergebnisSchreiben(dir.filePath(QLatin1String(kartendatei::zertifikat)),
                      pem(x509Schreiben, zertifikat.get()));
    ergebnisSchreiben(dir.filePath(QLatin1String(kartendatei::ausgeber)), pem(x509Schreiben, ca.get()));
    ergebnisSchreiben(dir.filePath(QLatin1String(kartendatei::zda)), optionen.zda.toUtf8() + '\n');

    return Karte{ordner, schluessel, zertifikat, ca, optionen.zda};
}

} // namespace sigkarte
