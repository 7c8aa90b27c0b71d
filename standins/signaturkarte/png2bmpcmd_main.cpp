// png2bmpcmd: converts an image into a folder.  png2bmpcmd -i FILE.png -o FOLDER -c bmp
// The result keeps the input's base name: FOLDER/FILE.bmp.

#include "Ausgabe.h"
#include "Fehler.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

using namespace sigkarte;

namespace {

int ausfuehren(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Bild umwandeln"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("i"), QStringLiteral("Eingabebild"), QStringLiteral("datei")});
    parser.addOption({QStringLiteral("o"), QStringLiteral("Zielordner"), QStringLiteral("ordner")});
    parser.addOption(
        {QStringLiteral("c"), QStringLiteral("Zielformat, z. B. bmp"), QStringLiteral("format")});
    if (!parser.parse(args)) eingabeFehler(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        eingabeFehler(
            QStringLiteral("unerwartetes Argument \"%1\"").arg(parser.positionalArguments().first()));

    const QString eingabe = parser.value(QStringLiteral("i"));
    const QString ordner = parser.value(QStringLiteral("o"));
    const QByteArray format = parser.value(QStringLiteral("c")).toLower().toLatin1();
    if (eingabe.isEmpty() || ordner.isEmpty() || format.isEmpty())
        eingabeFehler(QStringLiteral("-i DATEI, -o ORDNER und -c FORMAT sind nötig"));
    if (!QImageWriter::supportedImageFormats().contains(format))
        eingabeFehler(QStringLiteral("Zielformat \"%1\" wird nicht unterstützt").arg(QLatin1String(format)));

    QImageReader leser(eingabe);
    const QImage bild = leser.read();
    if (bild.isNull())
        eingabeFehler(QStringLiteral("%1 ist nicht lesbar: %2").arg(eingabe, leser.errorString()));

    const QString ziel =
        QDir(ordner).filePath(QFileInfo(eingabe).completeBaseName() + '.' + QLatin1String(format));
    bildSchreiben(ziel, bild, format.constData());
    return ExitOk;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return mitFehlerbehandlung("png2bmpcmd", ausfuehren, app.arguments());
}
