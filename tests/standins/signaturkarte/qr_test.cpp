// QR images: the receipt code from a JWS, and the qrcode + png2bmpcmd pipeline.
// Read back with zbarimg, a decoder that shares nothing with our programs.

#include "OpenSslPruefung.h"
#include "Umgebung.h"

#include <QFile>
#include <QImage>

namespace {

// zbar cannot resolve modules of a single pixel: such images are read from a copy
// enlarged by whole pixels, which keeps every module intact.
QByteArray zbar(const QString& bild, int modulPixel = 2) {
    QString datei = bild;
    if (modulPixel < 2) {
        const QImage original(bild);
        datei = bild + ".gross.png";
        EXPECT_TRUE(
            original.scaled(original.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(datei));
    }
    const Lauf lauf = starten("zbarimg", {"--raw", "-q", datei}, QProcessEnvironment::systemEnvironment());
    QFile::remove(bild + ".gross.png");
    EXPECT_FALSE(lauf.abgestuerzt) << "zbarimg (Debian zbar-tools) is needed: " << lauf.fehler.constData();
    EXPECT_EQ(lauf.code, 0) << "zbarimg found no code in " << qPrintable(bild);
    QByteArray text = lauf.aus;
    if (text.endsWith('\n')) text.chop(1);
    return text;
}

bool istBmp(const QString& pfad) {
    return dateiLesen(pfad).startsWith("BM");
}

// Side length in pixels -> modules, or -1 when it is no QR code of that scale and margin.
int module(const QImage& bild, int skala, int rand) {
    if (bild.width() != bild.height() || bild.width() % skala) return -1;
    const int m = bild.width() / skala - 2 * rand;
    return m >= 21 && (m - 21) % 4 == 0 ? m : -1;
}

const QByteArray kPayload =
    "_R1-AT1_KASSE1_20120101-57_2026-03-01T10:11:12_12,50_3,30_0,00_0,00_0,00_qDx8JRcC9wQ=_"
    "1A2B3C4D5E6F7081_iU8QBRBAnCo=";
const QByteArray kAusfallSignatur = "U2ljaGVyaGVpdHNlaW5yaWNodHVuZyBhdXNnZWZhbGxlbg";

class KartenQrTest : public SignaturkarteTest {
  protected:
    QString signieren(const QByteArray& payload) {
        return ergebnis(" --signjws " + payload + " --outfile " + D + "ATrustSignJWS.txt",
                        "ATrustSignJWS.txt");
    }
    Lauf qrBefehl(const QString& jws, int skala, int rand = 2) const {
        return atrust(" --qrcode --qrdata_jws  \"" + jws + "\" --scalefactor " + QString::number(skala) +
                      " --margin " + QString::number(rand) + "  --dpi 24 --outfile " + D + "qrcode.bmp");
    }
    // Payload, "_", signature in standard base64, computed here from the JWS alone.
    static QByteArray erwarteterInhalt(const QString& jws) {
        const QStringList teile = jws.split('.');
        return ossl::base64UrlLesen(teile.value(1).toLatin1()) + '_' +
               ossl::base64(ossl::base64UrlLesen(teile.value(2).toLatin1()));
    }
};

class KartenQrSkalaTest : public KartenQrTest, public ::testing::WithParamInterface<int> {};

TEST_P(KartenQrSkalaTest, BildEnthaeltMaschinenlesbarenCode) {
    karteAnlegen();
    const int skala = GetParam();
    const QString jws = signieren(kPayload);
    ERWARTE_ERFOLG(qrBefehl(jws, skala));

    const QString bmp = D + "qrcode.bmp";
    ASSERT_TRUE(istBmp(bmp));
    const QImage bild(bmp);
    ASSERT_FALSE(bild.isNull());
    EXPECT_GT(module(bild, skala, 2), 0) << bild.width() << " px at scale " << skala;
    EXPECT_NEAR(bild.dotsPerMeterX(), 24 / 0.0254, 1.0);
    const QByteArray inhalt = zbar(bmp, skala);
    EXPECT_EQ(inhalt, erwarteterInhalt(jws));
    EXPECT_TRUE(inhalt.startsWith(kPayload + '_'));
}

INSTANTIATE_TEST_SUITE_P(Skalen, KartenQrSkalaTest, ::testing::Values(1, 2, 3, 4));

TEST_F(KartenQrTest, RandUndAnfuehrungszeichen) {
    karteAnlegen();
    const QString jws = signieren(kPayload);
    ERWARTE_ERFOLG(qrBefehl(jws, 3, 0));
    const QImage ohneRand(D + "qrcode.bmp");
    const int m = module(ohneRand, 3, 0);
    ASSERT_GT(m, 0);
    // Through an argument list the double quotes may arrive as characters.
    ERWARTE_ERFOLG(atrustArgs({"--qrcode", "--qrdata_jws", "\"" + jws + "\"", "--scalefactor", "3",
                               "--margin", "2", "--dpi", "24", "--outfile", D + "qrcode.bmp"}));
    const QImage mitRand(D + "qrcode.bmp");
    EXPECT_EQ(module(mitRand, 3, 2), m);
    EXPECT_EQ(mitRand.width(), ohneRand.width() + 2 * 2 * 3);
    EXPECT_EQ(zbar(D + "qrcode.bmp"), erwarteterInhalt(jws));
}

// A receipt signed while the card was out: no card needed, signature text in standard base64.
TEST_F(KartenQrTest, AusfallbelegOhneKarte) {
    const QString jws = "eyJhbGciOiJFUzI1NiJ9." + ossl::base64Url(kPayload) + "." + kAusfallSignatur;
    ERWARTE_ERFOLG(qrBefehl(jws, 2));
    EXPECT_EQ(zbar(D + "qrcode.bmp"), kPayload + "_U2ljaGVyaGVpdHNlaW5yaWNodHVuZyBhdXNnZWZhbGxlbg==");
}

// --- qrcode + png2bmpcmd -----------------------------------------------------------------

struct TseQr {
    const char* stufe;
    int groesse;
};
void PrintTo(const TseQr& p, std::ostream* os) {
    *os << p.stufe;
}

class QrProgrammeTest : public SignaturkarteTest, public ::testing::WithParamInterface<TseQr> {};

const QString kTseDaten =
    "V0;KASSE1;Kassenbeleg-V1;Beleg^75.33_7.99_0.00_0.00_0.00^10.00:Bar_73.32:Unbar;471;812;"
    "2026-03-01T10:11:12.000Z;2026-03-01T10:11:14.000Z;ecdsa-plain-SHA384;unixTime;"
    "MGQCMBqX+/Ab3Zs7G6w0aK/TJyiu8+QyC1rTq4m0=;BHhWOeisRpPBTGQ1W4VUH95TXx2GARf8e2NYZXJt";

TEST_P(QrProgrammeTest, PngUndBmpEnthaltenDaten) {
    const TseQr& q = GetParam();
    ERWARTE_ERFOLG(qrcode(zerlegen(" -o " + D + "qrcode.png -s " + QString::number(q.groesse) + " -l " +
                                   q.stufe + " " + kTseDaten)));
    ERWARTE_ERFOLG(png2bmpcmd(zerlegen(" -i " + D + "qrcode.png" + " -o " + D + " -c " + "bmp")));

    const QImage png(D + "qrcode.png", "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_GT(module(png, q.groesse, 4), 0);
    ASSERT_TRUE(istBmp(D + "qrcode.bmp"));
    EXPECT_EQ(QImage(D + "qrcode.bmp").size(), png.size());
    EXPECT_EQ(zbar(D + "qrcode.png", q.groesse), kTseDaten.toUtf8());
    EXPECT_EQ(zbar(D + "qrcode.bmp", q.groesse), kTseDaten.toUtf8());
}

INSTANTIATE_TEST_SUITE_P(Stufen, QrProgrammeTest,
                         ::testing::Values(TseQr{"L", 1}, TseQr{"M", 2}, TseQr{"Q", 3}, TseQr{"H", 4}),
                         [](const auto& info) { return std::string(info.param.stufe); });

TEST_F(SignaturkarteTest, FehlerkorrekturBestimmtGroesse) {
    int breite[2] = {};
    for (int i = 0; i < 2; ++i) {
        ERWARTE_ERFOLG(qrcode({"-o", D + "qrcode.png", "-s", "1", "-l", i ? "H" : "L", kTseDaten}));
        breite[i] = QImage(D + "qrcode.png").width();
    }
    EXPECT_GT(breite[1], breite[0]) << "level H needs more modules than L for the same data";
}

} // namespace
