// qrcode: writes DATA as a QR code PNG.  qrcode -o FILE.png -s SIZE -l L|M|Q|H DATA

#include "Ausgabe.h"
#include "Fehler.h"
#include "QrBild.h"

#include <QCommandLineParser>
#include <QCoreApplication>

using namespace sigkarte;

namespace {

QRecLevel stufeLesen(const QString& text) {
    static const QHash<QString, QRecLevel> stufen{
        {"L", QR_ECLEVEL_L}, {"M", QR_ECLEVEL_M}, {"Q", QR_ECLEVEL_Q}, {"H", QR_ECLEVEL_H}};
    const auto it = stufen.constFind(text.toUpper());
    if (it == stufen.cend())
        eingabeFehler(QStringLiteral("-l erwartet L, M, Q oder H, nicht \"%1\"").arg(text));
    return *it;
}

int ausfuehren(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("QR-Code als PNG"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("o"), QStringLiteral("PNG-Datei"), QStringLiteral("datei")});
    parser.addOption(
        {QStringLiteral("s"), QStringLiteral("Pixel je Modul (Standard 3)"), QStringLiteral("groesse")});
    parser.addOption({QStringLiteral("l"), QStringLiteral("Fehlerkorrektur L, M, Q, H (Standard M)"),
                      QStringLiteral("stufe")});
    parser.addPositionalArgument(QStringLiteral("daten"), QStringLiteral("Inhalt des QR-Codes"));
    if (!parser.parse(args)) eingabeFehler(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);

    const QString ausgabe = parser.value(QStringLiteral("o"));
    if (ausgabe.isEmpty()) eingabeFehler(QStringLiteral("-o DATEI fehlt"));
    const int groesse =
        parser.isSet(QStringLiteral("s")) ? zahlLesen(parser.value(QStringLiteral("s")), "-s", 1, 50) : 3;
    const QRecLevel stufe =
        parser.isSet(QStringLiteral("l")) ? stufeLesen(parser.value(QStringLiteral("l"))) : QR_ECLEVEL_M;
    // The data are appended unquoted, so a blank inside them splits them into several arguments.
    const QString daten = parser.positionalArguments().join(' ');
    if (daten.isEmpty()) eingabeFehler(QStringLiteral("keine Daten angegeben"));

    bildSchreiben(ausgabe, qrBild(daten.toUtf8(), stufe, groesse, 4), "png");
    return ExitOk;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return mitFehlerbehandlung("qrcode", ausfuehren, app.arguments());
}
