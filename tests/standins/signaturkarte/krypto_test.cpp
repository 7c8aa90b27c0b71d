// Receipt cryptography of the card program, checked against independent OpenSSL calls.

#include "OpenSslPruefung.h"
#include "Umgebung.h"

#include <QtEndian>

#include <limits>

namespace {

const QString kSchluessel = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8="; // bytes 0..31

QString verschluesselnBefehl(const QString& D, const QString& schluessel, const QString& umsatz,
                             const QString& kasse, const QString& beleg) {
    return " --aes_encrypt --aes_key " + schluessel + " --umsatz " + umsatz + " --kassenid " + kasse +
           " --belegnummer " + beleg + " --outfile " + D + "ATrustUmsatzZaehlerEncoded.txt";
}

QString entschluesselnBefehl(const QString& D, const QString& schluessel, const QString& wert,
                             const QString& kasse, const QString& beleg) {
    return " --aes_decrypt --aes_key " + schluessel + " --encrypted_data " + wert + " --kassenid " + kasse +
           " --belegnummer " + beleg + " --outfile " + D + "ATrustUmsatzZaehlerDecoded.txt";
}

qint64 unabhaengigEntschluesseln(const QString& schluesselB64, const QString& kasse, const QString& beleg,
                                 const QString& wert) {
    const QByteArray iv = ossl::sha256(kasse.toUtf8() + beleg.toUtf8()).left(16);
    const QByteArray geheim = ossl::base64Lesen(wert.toLatin1());
    EXPECT_EQ(geheim.size(), 8) << qPrintable(wert);
    const QByteArray klar = ossl::aes256Ctr(ossl::base64Lesen(schluesselB64.toLatin1()), iv, geheim);
    return klar.size() == 8 ? qFromBigEndian<qint64>(klar.constData()) : -4711;
}

// --- turnover counter: reference vectors ------------------------------------------

struct Vektor {
    const char* kasse;
    const char* beleg;
    qint64 umsatz;
    const char* ivHex;
    const char* verschluesselt;
};
void PrintTo(const Vektor& v, std::ostream* os) {
    *os << v.kasse << " " << v.beleg << " " << v.umsatz;
}

class KartenUmsatzVektorTest : public SignaturkarteTest, public ::testing::WithParamInterface<Vektor> {};

TEST_P(KartenUmsatzVektorTest, VerschluesselnUndEntschluesseln) {
    const Vektor& v = GetParam();
    // The vector itself, with OpenSSL alone.
    EXPECT_EQ(ossl::sha256(QByteArray(v.kasse) + v.beleg).left(16).toHex(), QByteArray(v.ivHex));
    EXPECT_EQ(unabhaengigEntschluesseln(kSchluessel, v.kasse, v.beleg, v.verschluesselt), v.umsatz);

    EXPECT_EQ(ergebnis(verschluesselnBefehl(D, kSchluessel, QString::number(v.umsatz), v.kasse, v.beleg),
                       "ATrustUmsatzZaehlerEncoded.txt"),
              v.verschluesselt);
    EXPECT_EQ(ergebnis(entschluesselnBefehl(D, kSchluessel, v.verschluesselt, v.kasse, v.beleg),
                       "ATrustUmsatzZaehlerDecoded.txt"),
              QString::number(v.umsatz));
}

INSTANTIATE_TEST_SUITE_P(Rksv, KartenUmsatzVektorTest,
                         ::testing::Values(Vektor{"KASSE1", "20120101-1", 0,
                                                  "0e8e8bcb6a1f419a0ba3c732d960bfca", "xis4Ze5iIL0="},
                                           Vektor{"KASSE1", "20120101-57", 12345,
                                                  "6ce8331d65b5f0613ae78b022000a4a6", "qDx8JRcC9wQ="},
                                           Vektor{"KASSE1", "20120101-58", -250,
                                                  "4475b86b2732202092ee23972001609b", "kO9b/xCSqy4="}));

// --- turnover counter: generated key, edge values ------------------------------------

struct Zaehler {
    const char* name;
    qint64 umsatz;
    const char* kasse;
    const char* beleg;
};
void PrintTo(const Zaehler& p, std::ostream* os) {
    *os << p.name;
}

class KartenUmsatzTest : public SignaturkarteTest, public ::testing::WithParamInterface<Zaehler> {};

TEST_P(KartenUmsatzTest, MitErzeugtemSchluessel) {
    const Zaehler& z = GetParam();
    const QString schluessel = ergebnis(" --aes_generate --outfile " + D + "ATrustAes.txt", "ATrustAes.txt");
    ASSERT_EQ(ossl::base64Lesen(schluessel.toLatin1()).size(), 32) << qPrintable(schluessel);

    const QString wert =
        ergebnis(verschluesselnBefehl(D, schluessel, QString::number(z.umsatz), z.kasse, z.beleg),
                 "ATrustUmsatzZaehlerEncoded.txt");
    EXPECT_EQ(wert.size(), 12) << "8 bytes as padded base64";
    EXPECT_EQ(unabhaengigEntschluesseln(schluessel, z.kasse, z.beleg, wert), z.umsatz);
    EXPECT_EQ(ergebnis(entschluesselnBefehl(D, schluessel, wert, z.kasse, z.beleg),
                       "ATrustUmsatzZaehlerDecoded.txt"),
              QString::number(z.umsatz));
    // The IV binds the counter to its receipt: another receipt number reads a different value.
    EXPECT_NE(ergebnis(entschluesselnBefehl(D, schluessel, wert, z.kasse, QString(z.beleg) + "0"),
                       "ATrustUmsatzZaehlerDecoded.txt"),
              QString::number(z.umsatz));
}

INSTANTIATE_TEST_SUITE_P(
    Werte, KartenUmsatzTest,
    ::testing::Values(Zaehler{"null", 0, "KASSE1", "20120101-1"}, Zaehler{"eins", 1, "K", "1-1"},
                      Zaehler{"minusEins", -1, "KASSE1", "20120101-2"},
                      Zaehler{"int32Max", std::numeric_limits<qint32>::max(), "KASSE1", "20991231-999999"},
                      Zaehler{"int32Min", std::numeric_limits<qint32>::min(), "KASSE1", "20120101-3"},
                      Zaehler{"int64Max", std::numeric_limits<qint64>::max(), "KASSE2", "20120101-4"},
                      Zaehler{"int64Min", std::numeric_limits<qint64>::min(), "KASSE2", "20120101-5"},
                      Zaehler{"utf8Kasse", 999, "Kassa-Wöhrgasse", "20120101-6"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SignaturkarteTest, AesSchluesselSindZufaellig) {
    const QString a = ergebnis(" --aes_generate --outfile " + D + "ATrustAes.txt", "ATrustAes.txt");
    const QString b = ergebnis(" --aes_generate --outfile " + D + "ATrustAes.txt", "ATrustAes.txt");
    EXPECT_NE(a, b);
    EXPECT_EQ(ossl::base64Lesen(b.toLatin1()).size(), 32);
}

// --- chaining value ------------------------------------------------------------------

TEST_F(SignaturkarteTest, VerkettungswertDerVektoren) {
    for (const auto& [text, erwartet] :
         {std::pair{"KASSE1", "iU8QBRBAnCo="},
          std::pair{"eyJhbGciOiJFUzI1NiJ9.X19SMS1BVDE.c2ln", "H1Oa9lv/uzg="}}) {
        EXPECT_EQ(ergebnis(QString(" --hash_sig_voriger_beleg ") + text + " --outfile " + D +
                               "ATrustVorigerBeleg.txt",
                           "ATrustVorigerBeleg.txt"),
                  erwartet)
            << text;
        EXPECT_EQ(ossl::base64(ossl::sha256(text).left(8)), QByteArray(erwartet));
    }
}

// --- JWS -------------------------------------------------------------------------------

struct Nutzdaten {
    const char* name;
    QByteArray payload;
};
void PrintTo(const Nutzdaten& p, std::ostream* os) {
    *os << p.name;
}

class KartenJwsTest : public SignaturkarteTest, public ::testing::WithParamInterface<Nutzdaten> {};

// Signs, verifies with the card certificate's key, and chains the next receipt to it.
TEST_P(KartenJwsTest, SignaturPasstZumKartenzertifikat) {
    karteAnlegen();
    const QByteArray payload = GetParam().payload;
    const QString jws =
        ergebnis(" --signjws " + QString::fromUtf8(payload) + " --outfile " + D + "ATrustSignJWS.txt",
                 "ATrustSignJWS.txt");
    ERWARTE_ERFOLG(atrust(" --certificate --outfile " + D + "ATrustCertificate.txt"));
    auto zert = ossl::zertifikatAusBase64Der(dateiLesen(D + "ATrustCertificate.txt"));
    ASSERT_TRUE(zert);

    const QStringList teile = jws.split('.');
    ASSERT_EQ(teile.size(), 3) << qPrintable(jws);
    EXPECT_EQ(teile[0], "eyJhbGciOiJFUzI1NiJ9");
    EXPECT_EQ(ossl::base64UrlLesen(teile[0].toLatin1()), R"({"alg":"ES256"})");
    EXPECT_EQ(teile[1].toLatin1(), ossl::base64Url(payload)) << "base64url without padding";
    const QByteArray rs = ossl::base64UrlLesen(teile[2].toLatin1());
    ASSERT_EQ(rs.size(), 64) << "raw r||s, not DER";

    const QByteArray signiert = (teile[0] + '.' + teile[1]).toLatin1();
    EXPECT_TRUE(ossl::es256Pruefen(zert.get(), signiert, rs));
    EXPECT_FALSE(ossl::es256Pruefen(zert.get(), signiert + "x", rs));

    EXPECT_EQ(ergebnis(" --hash_sig_voriger_beleg " + jws + " --outfile " + D + "ATrustVorigerBeleg.txt",
                       "ATrustVorigerBeleg.txt")
                  .toLatin1(),
              ossl::base64(ossl::sha256(jws.toLatin1()).left(8)));
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, KartenJwsTest,
    ::testing::Values(
        Nutzdaten{"startbeleg",
                  "_R1-AT1_KASSE1_20120101-1_2026-03-01T08:00:00_0,00_0,00_0,00_0,00_0,00_xis4Ze5iIL0=_"
                  "1A2B3C4D5E6F7081_iU8QBRBAnCo="},
        Nutzdaten{"storno", "_R1-AT1_KASSE1_20120101-58_2026-03-01T09:15:30_-2,50_0,00_0,00_0,00_0,00_U1RP_"
                            "1A2B3C4D5E6F7081_H1Oa9lv/uzg="},
        Nutzdaten{"einZeichen", "x"}, Nutzdaten{"zweiZeichen", "xy"}, Nutzdaten{"umlaut", "Kassa-Größe"},
        Nutzdaten{"hoechstlaenge", QByteArray(2000, 'a')}),
    [](const auto& info) { return std::string(info.param.name); });

// --- base64url -------------------------------------------------------------------------

TEST_F(SignaturkarteTest, Base64UrlOhneAuffuellen) {
    // "~~~" and "???" are texts whose standard base64 holds "+" and "/".
    for (const QByteArray& text :
         {QByteArray("a"), QByteArray("ab"), QByteArray("~~~"), QByteArray("???"),
          QByteArray("_R1-AT1_KASSE1_20120101-3_2026-03-01T10:00:00_1,00_0,00_0,00_0,00_0,00")}) {
        const QString kodiert = ergebnis(" --base64url_encode " + QString::fromUtf8(text) + " --outfile " +
                                             D + "ATrustBase64Url.txt",
                                         "ATrustBase64Url.txt");
        EXPECT_EQ(kodiert.toLatin1(), ossl::base64Url(text)) << text.constData();
    }
    // The failure signature the register puts in place while the device is out.
    EXPECT_EQ(ergebnis(" --base64url_encode \"Sicherheitseinrichtung ausgefallen\" --outfile " + D +
                           "ATrustBase64Url.txt",
                       "ATrustBase64Url.txt"),
              "U2ljaGVyaGVpdHNlaW5yaWNodHVuZyBhdXNnZWZhbGxlbg");
}

} // namespace
