// The software card: creating it, its states driving the check exit codes,
// where it is looked for, and the card data the register reads at start-up.

#include "OpenSslPruefung.h"
#include "Umgebung.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

void schreiben(const QString& pfad, const QByteArray& inhalt) {
    QFile f(pfad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(pfad);
    f.write(inhalt);
}

using KartenTest = SignaturkarteTest;

TEST_F(KartenTest, AnlegenVerweigertUeberschreibenOhneForce) {
    karteAnlegen();
    const QByteArray schluessel = dateiLesen(kartenOrdner + "/karte.key");
    const QString serial = ergebnis(" --certserialhex --outfile " + D + "ATrustSeriennummerhex.txt",
                                    "ATrustSeriennummerhex.txt");
    ASSERT_FALSE(schluessel.isEmpty());

    const Lauf nochmal = atrust(" --card_init");
    EXPECT_FALSE(nochmal.abgestuerzt);
    EXPECT_NE(nochmal.code, 0);
    EXPECT_FALSE(nochmal.fehler.isEmpty());
    EXPECT_EQ(dateiLesen(kartenOrdner + "/karte.key"), schluessel) << "a refused init must keep the old card";

    karteAnlegen(" --force");
    EXPECT_NE(dateiLesen(kartenOrdner + "/karte.key"), schluessel);
    EXPECT_NE(ergebnis(" --certserialhex --outfile " + D + "ATrustSeriennummerhex.txt",
                       "ATrustSeriennummerhex.txt"),
              serial);
    ERWARTE_ERFOLG(atrust(" --check_card"));
}

// --- card states -> --check_card ------------------------------------------------

struct Zustand {
    const char* name;
    void (*vorbereiten)(const QString& karte, const QString& fremdeKarte);
    int code;
};
void PrintTo(const Zustand& p, std::ostream* os) {
    *os << p.name;
}

void nichts(const QString&, const QString&) {}
void ordnerLoeschen(const QString& k, const QString&) {
    QDir(k).removeRecursively();
}
void leererOrdner(const QString& k, const QString&) {
    QDir(k).removeRecursively();
    QDir().mkpath(k);
}
void deaktivieren(const QString& k, const QString&) {
    schreiben(k + "/deaktiviert", "");
}
void schluesselKaputt(const QString& k, const QString&) {
    schreiben(k + "/karte.key", "kein Schlüssel\n");
}
void zertifikatFehlt(const QString& k, const QString&) {
    QFile::remove(k + "/karte.crt");
}
void fremderSchluessel(const QString& k, const QString& fremd) {
    QFile::remove(k + "/karte.key");
    QFile::copy(fremd + "/karte.key", k + "/karte.key");
}

class KartenZustandTest : public SignaturkarteTest, public ::testing::WithParamInterface<Zustand> {};

TEST_P(KartenZustandTest, CheckCardMeldetZustand) {
    karteAnlegen();
    const QString fremd = tmp.filePath("fremd");
    ERWARTE_ERFOLG(atrust(" --card_init --card " + fremd));
    GetParam().vorbereiten(kartenOrdner, fremd);

    const Lauf lauf = atrust(" --check_card");
    ASSERT_FALSE(lauf.abgestuerzt);
    EXPECT_EQ(lauf.code, GetParam().code) << lauf.fehler.constData();
    EXPECT_EQ(lauf.fehler.isEmpty(), GetParam().code == 0);
}

INSTANTIATE_TEST_SUITE_P(Zustaende, KartenZustandTest,
                         ::testing::Values(Zustand{"bereit", nichts, 0},
                                           Zustand{"ohneOrdner", ordnerLoeschen, 2},
                                           Zustand{"leererOrdner", leererOrdner, 2},
                                           Zustand{"deaktiviert", deaktivieren, 1},
                                           Zustand{"schluesselUnlesbar", schluesselKaputt, 2},
                                           Zustand{"zertifikatFehlt", zertifikatFehlt, 2},
                                           Zustand{"schluesselPasstNicht", fremderSchluessel, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- software_fehler -> --check_software ----------------------------------------

struct Software {
    const char* name;
    const char* inhalt; // nullptr: no file
    int code;
};
void PrintTo(const Software& p, std::ostream* os) {
    *os << p.name;
}

class KartenSoftwareTest : public SignaturkarteTest, public ::testing::WithParamInterface<Software> {};

TEST_P(KartenSoftwareTest, CheckSoftwareFolgtDatei) {
    QDir().mkpath(kartenOrdner);
    if (GetParam().inhalt) schreiben(kartenOrdner + "/software_fehler", GetParam().inhalt);
    const Lauf lauf = atrust(" --check_software");
    ASSERT_FALSE(lauf.abgestuerzt);
    EXPECT_EQ(lauf.code, GetParam().code);
    EXPECT_EQ(lauf.fehler.isEmpty(), GetParam().code == 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, KartenSoftwareTest,
                         ::testing::Values(Software{"ohneDatei", nullptr, 0}, Software{"null", "0\n", 0},
                                           Software{"registry", "2\n", 2}, Software{"version", "3", 3},
                                           Software{"laden", " 4 \n", 4}, Software{"allgemein", "5\n", 5},
                                           Software{"unbekannt", "17\n", 17},
                                           Software{"unlesbar", "kaputt", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SignaturkarteTest, CheckSoftwareBrauchtKeineKarte) {
    const Lauf lauf = atrust(" --check_software");
    ASSERT_FALSE(lauf.abgestuerzt);
    EXPECT_EQ(lauf.code, 0) << lauf.fehler.constData();
}

// --- where the card is looked for -----------------------------------------------

struct Fundort {
    const char* name;
    bool option;       // --card given
    const char* karte; // ORVENPOS_SIGNATURKARTE, nullptr: unset
    const char* home;  // ORVENPOS_HOME
    const char* xdg;   // XDG_DATA_HOME
    const char* zda;   // the card expected to answer
};
void PrintTo(const Fundort& p, std::ostream* os) {
    *os << p.name;
}

class KartenFundortTest : public SignaturkarteTest, public ::testing::WithParamInterface<Fundort> {};

// Every candidate folder holds its own card with a distinct provider code; --zdaid tells which one answered.
TEST_P(KartenFundortTest, KarteWirdGefunden) {
    const QString t = tmp.path();
    const QList<QPair<QString, QString>> karten{
        {t + "/opt", "OPT"},
        {t + "/env", "ENV"},
        {t + "/orvhome/Signaturkarte", "ORVHOME"},
        {t + "/xdg/orvenpos/Signaturkarte", "XDG"},
        {t + "/benutzer/.local/share/orvenpos/Signaturkarte", "HOME"}};
    for (const auto& [ordner, zda] : karten)
        ERWARTE_ERFOLG(atrust(" --card_init --card " + ordner + " --zda " + zda));

    const Fundort& f = GetParam();
    auto setzen = [&](const char* name, const char* wert) {
        env.remove(name);
        if (wert) env.insert(name, QString(wert).replace("$T", t));
    };
    setzen("ORVENPOS_SIGNATURKARTE", f.karte);
    setzen("ORVENPOS_HOME", f.home);
    setzen("XDG_DATA_HOME", f.xdg);

    const QString option = f.option ? " --card " + t + "/opt" : QString();
    EXPECT_EQ(ergebnis(" --zdaid --outfile " + D + "ATrustZDA.txt" + option, "ATrustZDA.txt"), f.zda);
    ERWARTE_ERFOLG(atrust(" --check_card" + option));
}

INSTANTIATE_TEST_SUITE_P(
    Reihenfolge, KartenFundortTest,
    ::testing::Values(Fundort{"option", true, "$T/env", "$T/orvhome", "$T/xdg", "OPT"},
                      Fundort{"umgebung", false, "$T/env", "$T/orvhome", "$T/xdg", "ENV"},
                      Fundort{"orvenposHome", false, nullptr, "$T/orvhome", "$T/xdg", "ORVHOME"},
                      Fundort{"leereKartenvariable", false, "", "$T/orvhome", "$T/xdg", "ORVHOME"},
                      Fundort{"xdg", false, nullptr, nullptr, "$T/xdg", "XDG"},
                      Fundort{"leeresOrvenposHome", false, nullptr, "", "$T/xdg", "XDG"},
                      Fundort{"home", false, nullptr, nullptr, nullptr, "HOME"},
                      Fundort{"leeresXdg", false, nullptr, "", "", "HOME"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- card data read at start-up -------------------------------------------------

TEST_F(SignaturkarteTest, KartendatenStimmenMitZertifikatUeberein) {
    karteAnlegen();
    ERWARTE_ERFOLG(atrust(" --certificate --outfile " + D + "ATrustCertificate.txt"));
    ERWARTE_ERFOLG(atrust(" --issuer --outfile " + D + "ATrustZertifizierungsstellen.txt"));
    const QByteArray zertifikatText = dateiLesen(D + "ATrustCertificate.txt");
    const QByteArray ausgeberText = dateiLesen(D + "ATrustZertifizierungsstellen.txt");

    // Whole files, stored as they are: one line of base64 DER, no line break anywhere.
    EXPECT_FALSE(zertifikatText.contains('\n') || zertifikatText.contains('\r'));
    EXPECT_FALSE(ausgeberText.contains('\n') || ausgeberText.contains('\r'));
    auto zert = ossl::zertifikatAusBase64Der(zertifikatText);
    auto ausgeber = ossl::zertifikatAusBase64Der(ausgeberText);
    ASSERT_TRUE(zert && ausgeber);
    EXPECT_TRUE(ossl::signiertVon(zert.get(), ausgeber.get()));
    EXPECT_FALSE(ossl::signiertVon(ausgeber.get(), zert.get()));
    EXPECT_EQ(X509_check_ca(ausgeber.get()), 1);
    EXPECT_EQ(X509_check_ca(zert.get()), 0);

    const QString hex = ergebnis(" --certserialhex --outfile " + D + "ATrustSeriennummerhex.txt",
                                 "ATrustSeriennummerhex.txt");
    EXPECT_EQ(hex, ossl::seriennummerHex(zert.get()));
    // Upper case, no leading zero, never shorter than the 8 digits the register pads to.
    EXPECT_TRUE(QRegularExpression("^[1-9A-F][0-9A-F]{7,}$").match(hex).hasMatch()) << qPrintable(hex);
    EXPECT_EQ(ergebnis(" --certserial --outfile " + D + "ATrustSeriennummer.txt", "ATrustSeriennummer.txt"),
              ossl::seriennummerDezimal(zert.get()));
    EXPECT_EQ(ergebnis(" --zdaid --outfile " + D + "ATrustZDA.txt", "ATrustZDA.txt"), "AT1");

    ERWARTE_ERFOLG(atrust(" --gueltigkeit --outfile " + D + "ATrustGueltigkeit.txt"));
    const QString gueltig = QString::fromLatin1(dateiLesen(D + "ATrustGueltigkeit.txt"));
    EXPECT_EQ(gueltig.left(10), ossl::ablaufDatum(zert.get()));
    // The register cuts DD.MM.YYYY out of fixed character positions.
    EXPECT_TRUE(QDate::fromString(gueltig.left(10), Qt::ISODate).isValid()) << qPrintable(gueltig);
    EXPECT_GT(QDate::fromString(gueltig.left(10), Qt::ISODate), QDate::currentDate().addYears(4));
}

TEST_F(SignaturkarteTest, AnlegenMitZdaUndGueltigkeit) {
    karteAnlegen(" --zda AT2 --valid_days 30");
    EXPECT_EQ(ergebnis(" --zdaid --outfile " + D + "ATrustZDA.txt", "ATrustZDA.txt"), "AT2");
    const QDate ablauf = QDate::fromString(
        ergebnis(" --gueltigkeit --outfile " + D + "ATrustGueltigkeit.txt", "ATrustGueltigkeit.txt").left(10),
        Qt::ISODate);
    const QDate heute = QDateTime::currentDateTimeUtc().date();
    EXPECT_GE(ablauf, heute.addDays(29));
    EXPECT_LE(ablauf, heute.addDays(31));
}

// --- which commands need the card --------------------------------------------------

struct Kartenbefehl {
    const char* name;
    const char* parameter; // after D is appended to the outfile
    const char* datei;
    bool brauchtKarte;
};
void PrintTo(const Kartenbefehl& p, std::ostream* os) {
    *os << p.name;
}

class KartenbefehlTest : public SignaturkarteTest, public ::testing::WithParamInterface<Kartenbefehl> {
  protected:
    QString parameter() const { return QString(GetParam().parameter).replace("$D", D); }
};

// Deactivated card: 1, no card: 2, and no result file; commands that need no card still work.
TEST_P(KartenbefehlTest, OhneBereiteKarte) {
    const Kartenbefehl& b = GetParam();
    for (const int code : {2, 1}) {
        QFile::remove(D + b.datei);
        if (code == 1) {
            QDir().mkpath(kartenOrdner);
            schreiben(kartenOrdner + "/deaktiviert", "");
        }
        const Lauf lauf = atrust(parameter());
        ASSERT_FALSE(lauf.abgestuerzt);
        if (b.brauchtKarte) {
            EXPECT_EQ(lauf.code, code) << lauf.fehler.constData();
            EXPECT_FALSE(lauf.fehler.isEmpty());
            EXPECT_FALSE(QFile::exists(D + b.datei));
        } else {
            EXPECT_EQ(lauf.code, 0) << lauf.fehler.constData();
            EXPECT_FALSE(ersteZeile(D + b.datei).isEmpty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Befehle, KartenbefehlTest,
    ::testing::Values(
        Kartenbefehl{"certserial", " --certserial --outfile $DATrustSeriennummer.txt",
                     "ATrustSeriennummer.txt", true},
        Kartenbefehl{"certserialhex", " --certserialhex --outfile $DATrustSeriennummerhex.txt",
                     "ATrustSeriennummerhex.txt", true},
        Kartenbefehl{"zdaid", " --zdaid --outfile $DATrustZDA.txt", "ATrustZDA.txt", true},
        Kartenbefehl{"issuer", " --issuer --outfile $DATrustZertifizierungsstellen.txt",
                     "ATrustZertifizierungsstellen.txt", true},
        Kartenbefehl{"certificate", " --certificate --outfile $DATrustCertificate.txt",
                     "ATrustCertificate.txt", true},
        Kartenbefehl{"gueltigkeit", " --gueltigkeit --outfile $DATrustGueltigkeit.txt",
                     "ATrustGueltigkeit.txt", true},
        Kartenbefehl{"signjws", " --signjws _R1-AT1_K_1-1_x --outfile $DATrustSignJWS.txt",
                     "ATrustSignJWS.txt", true},
        Kartenbefehl{"aes_generate", " --aes_generate --outfile $DATrustAes.txt", "ATrustAes.txt", false},
        Kartenbefehl{
            "aes_encrypt",
            " --aes_encrypt --aes_key AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8= --umsatz 5 --kassenid K "
            "--belegnummer 1-1 --outfile $DATrustUmsatzZaehlerEncoded.txt",
            "ATrustUmsatzZaehlerEncoded.txt", false},
        Kartenbefehl{"hash", " --hash_sig_voriger_beleg KASSE1 --outfile $DATrustVorigerBeleg.txt",
                     "ATrustVorigerBeleg.txt", false},
        // The register signs with the failure text while the card is out; it needs this without a card.
        Kartenbefehl{"base64url", " --base64url_encode _R1-AT1_K_1-1_x --outfile $DATrustBase64Url.txt",
                     "ATrustBase64Url.txt", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
