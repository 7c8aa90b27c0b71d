// ATrustRegistrierkasseExe: plays the A-Trust signature-card tool with a
// software card kept in a folder. One command per call; results go to --outfile.

#include "Ausgabe.h"
#include "Fehler.h"
#include "Karte.h"
#include "QrBild.h"
#include "RksvKrypto.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using namespace sigkarte;

namespace {

struct Aufruf {
    const QCommandLineParser& parser;
    QString befehlWert;
    QString ordner;

    QString wert(const char* name) const { return parser.value(QLatin1String(name)); }
    bool gesetzt(const char* name) const { return parser.isSet(QLatin1String(name)); }
    Karte karte() const { return Karte::laden(ordner); }
    void schreiben(const QByteArray& inhalt) const { ergebnisSchreiben(wert("outfile"), inhalt); }
};

QString nichtLeer(const Aufruf& a, const char* option) {
    const QString v = a.wert(option);
    if (v.isEmpty()) eingabeFehler(QStringLiteral("--%1 ist leer").arg(QLatin1String(option)));
    return v;
}

qint64 umsatzLesen(const QString& text) {
    bool ok = false;
    const qint64 umsatz = text.toLongLong(&ok);
    if (!ok)
        eingabeFehler(
            QStringLiteral("--umsatz erwartet einen ganzen Betrag in Cent, nicht \"%1\"").arg(text));
    return umsatz;
}

QByteArray payloadLesen(const QString& text) {
    const QByteArray payload = text.toUtf8();
    if (payload.isEmpty()) eingabeFehler(QStringLiteral("leere Nutzdaten"));
    if (payload.size() > kMaxPayload)
        eingabeFehler(QStringLiteral("Nutzdaten sind %1 Zeichen lang, höchstens %2 sind erlaubt")
                          .arg(payload.size())
                          .arg(kMaxPayload));
    return payload;
}

// The register wraps the JWS in double quotes; through an argument list they may arrive literally.
QByteArray ohneAnfuehrungszeichen(QString text) {
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) text = text.mid(1, text.size() - 2);
    return text.toUtf8();
}

int checkSoftware(const Aufruf& a) {
    return softwarePruefen(a.ordner);
}
int checkCard(const Aufruf& a) {
    return a.karte(), ExitOk;
}
int certserial(const Aufruf& a) {
    return a.schreiben(a.karte().seriennummerDezimal().toLatin1()), ExitOk;
}
int certserialhex(const Aufruf& a) {
    return a.schreiben(a.karte().seriennummerHex().toLatin1()), ExitOk;
}
int zdaid(const Aufruf& a) {
    return a.schreiben(a.karte().zda.toUtf8()), ExitOk;
}
int issuer(const Aufruf& a) {
    return a.schreiben(a.karte().ausgeberBase64()), ExitOk;
}
int certificate(const Aufruf& a) {
    return a.schreiben(a.karte().zertifikatBase64()), ExitOk;
}
int gueltigkeit(const Aufruf& a) {
    return a.schreiben(a.karte().ablaufDatum().toLatin1()), ExitOk;
}
int aesGenerate(const Aufruf& a) {
    return a.schreiben(aesSchluesselErzeugen().toBase64()), ExitOk;
}

int aesEncrypt(const Aufruf& a) {
    const QByteArray schluessel = aesSchluesselLesen(a.wert("aes_key"));
    const qint64 umsatz = umsatzLesen(a.wert("umsatz"));
    a.schreiben(
        umsatzVerschluesseln(schluessel, nichtLeer(a, "kassenid"), nichtLeer(a, "belegnummer"), umsatz));
    return ExitOk;
}

int aesDecrypt(const Aufruf& a) {
    const QByteArray schluessel = aesSchluesselLesen(a.wert("aes_key"));
    const qint64 umsatz =
        umsatzEntschluesseln(schluessel, nichtLeer(a, "kassenid"), nichtLeer(a, "belegnummer"),
                             a.wert("encrypted_data").toLatin1());
    a.schreiben(QByteArray::number(umsatz));
    return ExitOk;
}

int hashSigVorigerBeleg(const Aufruf& a) {
    if (a.befehlWert.isEmpty()) eingabeFehler(QStringLiteral("leerer Text für den Verkettungswert"));
    a.schreiben(verkettungswert(a.befehlWert.toUtf8()));
    return ExitOk;
}

int signjws(const Aufruf& a) {
    const QByteArray payload = payloadLesen(a.befehlWert);
    a.schreiben(jwsSignieren(a.karte().schluessel.get(), payload));
    return ExitOk;
}

int base64urlEncode(const Aufruf& a) {
    return a.schreiben(base64Url(payloadLesen(a.befehlWert))), ExitOk;
}

int qrcode(const Aufruf& a) {
    const QByteArray inhalt = qrInhaltAusJws(ohneAnfuehrungszeichen(a.wert("qrdata_jws")));
    const int skala = a.gesetzt("scalefactor") ? zahlLesen(a.wert("scalefactor"), "--scalefactor", 1, 20) : 2;
    const int rand = a.gesetzt("margin") ? zahlLesen(a.wert("margin"), "--margin", 0, 20) : 2;
    const int dpi = a.gesetzt("dpi") ? zahlLesen(a.wert("dpi"), "--dpi", 1, 2400) : 24;
    QImage bild = qrBild(inhalt, QR_ECLEVEL_M, skala, rand);
    bild.setDotsPerMeterX(qRound(dpi / 0.0254));
    bild.setDotsPerMeterY(qRound(dpi / 0.0254));
    bildSchreiben(a.wert("outfile"), bild, "bmp");
    return ExitOk;
}

int cardInit(const Aufruf& a) {
    KartenOptionen optionen;
    optionen.ueberschreiben = a.gesetzt("force");
    if (a.gesetzt("zda")) optionen.zda = a.wert("zda");
    if (a.gesetzt("valid_days"))
        optionen.gueltigTage = zahlLesen(a.wert("valid_days"), "--valid_days", 1, 20 * 366);
    const Karte karte = karteAnlegen(a.ordner, optionen);
    std::printf("Karte angelegt in %s\nSeriennummer %s (hex), ZDA %s, gültig bis %s\n",
                qUtf8Printable(karte.ordner), qUtf8Printable(karte.seriennummerHex()),
                qUtf8Printable(karte.zda), qUtf8Printable(karte.ablaufDatum()));
    return ExitOk;
}

struct Befehl {
    const char* name;
    bool mitWert;           // the command option itself carries the value
    bool mitAusgabe;        // needs --outfile
    QStringList pflicht;    // further options it needs
    QStringList freiwillig; // further options it accepts
    int (*ausfuehren)(const Aufruf&);
};

const QList<Befehl>& befehle() {
    static const QList<Befehl> liste{
        {"check_software", false, false, {}, {}, checkSoftware},
        {"check_card", false, false, {}, {}, checkCard},
        {"certserial", false, true, {}, {}, certserial},
        {"certserialhex", false, true, {}, {}, certserialhex},
        {"aes_generate", false, true, {}, {}, aesGenerate},
        {"zdaid", false, true, {}, {}, zdaid},
        {"issuer", false, true, {}, {}, issuer},
        {"certificate", false, true, {}, {}, certificate},
        {"gueltigkeit", false, true, {}, {}, gueltigkeit},
        {"aes_encrypt", false, true, {"aes_key", "umsatz", "kassenid", "belegnummer"}, {}, aesEncrypt},
        {"aes_decrypt",
         false,
         true,
         {"aes_key", "encrypted_data", "kassenid", "belegnummer"},
         {},
         aesDecrypt},
        {"hash_sig_voriger_beleg", true, true, {}, {}, hashSigVorigerBeleg},
        {"signjws", true, true, {}, {}, signjws},
        {"base64url_encode", true, true, {}, {}, base64urlEncode},
        {"qrcode", false, true, {"qrdata_jws"}, {"scalefactor", "margin", "dpi"}, qrcode},
        {"card_init", false, false, {}, {"force", "zda", "valid_days"}, cardInit},
    };
    return liste;
}

const QStringList kWertOptionen{"outfile",        "aes_key",    "umsatz",      "kassenid", "belegnummer",
                                "encrypted_data", "qrdata_jws", "scalefactor", "margin",   "dpi",
                                "card",           "zda",        "valid_days"};

int ausfuehren(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Software-Signaturkarte für ORVEN-POS (RKSV)"));
    parser.addHelpOption();
    for (const Befehl& b : befehle())
        parser.addOption(b.mitWert
                             ? QCommandLineOption(QLatin1String(b.name), QString(), QStringLiteral("wert"))
                             : QCommandLineOption(QLatin1String(b.name), QString()));
    for (const QString& o : kWertOptionen)
        parser.addOption(QCommandLineOption(o, QString(), QStringLiteral("wert")));
    parser.addOption(QCommandLineOption(QStringLiteral("force"), QString()));

    if (!parser.parse(args)) eingabeFehler(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        eingabeFehler(
            QStringLiteral("unerwartetes Argument \"%1\"").arg(parser.positionalArguments().first()));

    const Befehl* befehl = nullptr;
    for (const Befehl& b : befehle()) {
        if (!parser.isSet(QLatin1String(b.name))) continue;
        if (befehl)
            eingabeFehler(QStringLiteral("--%1 und --%2 zugleich")
                              .arg(QLatin1String(befehl->name), QLatin1String(b.name)));
        befehl = &b;
    }
    if (!befehl) eingabeFehler(QStringLiteral("kein Befehl angegeben (--help zeigt die Befehle)"));

    QStringList erlaubt = befehl->pflicht + befehl->freiwillig +
                          QStringList{QStringLiteral("card"), QLatin1String(befehl->name)};
    if (befehl->mitAusgabe) erlaubt << QStringLiteral("outfile");
    for (const QString& name : parser.optionNames()) {
        if (!erlaubt.contains(name))
            eingabeFehler(QStringLiteral("--%1 passt nicht zu --%2").arg(name, QLatin1String(befehl->name)));
        if (parser.values(name).size() > 1)
            eingabeFehler(QStringLiteral("--%1 ist mehrfach angegeben").arg(name));
    }
    QStringList fehlend = befehl->pflicht;
    if (befehl->mitAusgabe) fehlend << QStringLiteral("outfile");
    for (const QString& name : fehlend) {
        if (!parser.isSet(name)) eingabeFehler(QStringLiteral("--%1 fehlt").arg(name));
        // A missing value lets the next option slip into its place.
        if (parser.value(name).startsWith(QLatin1String("--")))
            eingabeFehler(QStringLiteral("--%1 ohne Wert").arg(name));
    }

    const QString befehlWert = befehl->mitWert ? parser.value(QLatin1String(befehl->name)) : QString();
    if (befehlWert.startsWith(QLatin1String("--")))
        eingabeFehler(QStringLiteral("--%1 ohne Wert").arg(QLatin1String(befehl->name)));
    const Aufruf aufruf{parser, befehlWert, kartenOrdner(parser.value(QStringLiteral("card")))};
    return befehl->ausfuehren(aufruf);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return mitFehlerbehandlung("ATrustRegistrierkasseExe", ausfuehren, app.arguments());
}
