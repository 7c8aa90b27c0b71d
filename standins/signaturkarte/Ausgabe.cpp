#include "Ausgabe.h"
#include "Fehler.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace sigkarte {

namespace {

void ordnerAnlegen(const QString& pfad) {
    if (pfad.isEmpty()) eingabeFehler(QStringLiteral("leerer Dateiname für die Ausgabe"));
    const QString ordner = QFileInfo(pfad).absolutePath();
    if (!QDir().mkpath(ordner))
        throw Fehler{ExitAusgabe, QStringLiteral("Ordner %1 kann nicht angelegt werden").arg(ordner)};
}

void abschliessen(QSaveFile& datei) {
    if (!datei.commit())
        throw Fehler{ExitAusgabe, QStringLiteral("%1 kann nicht geschrieben werden: %2")
                                      .arg(datei.fileName(), datei.errorString())};
}

} // namespace

void ergebnisSchreiben(const QString& pfad, const QByteArray& inhalt) {
    ordnerAnlegen(pfad);
    QSaveFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly) || datei.write(inhalt) != inhalt.size())
        throw Fehler{ExitAusgabe,
                     QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(pfad, datei.errorString())};
    abschliessen(datei);
}

void bildSchreiben(const QString& pfad, const QImage& bild, const char* format) {
    ordnerAnlegen(pfad);
    QSaveFile datei(pfad);
    if (!datei.open(QIODevice::WriteOnly))
        throw Fehler{ExitAusgabe,
                     QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(pfad, datei.errorString())};
    QImageWriter schreiber(&datei, format);
    if (!schreiber.write(bild))
        throw Fehler{
            ExitAusgabe,
            QStringLiteral("%1 kann nicht geschrieben werden: %2").arg(pfad, schreiber.errorString())};
    abschliessen(datei);
}

int mitFehlerbehandlung(const char* programm, int (*body)(const QStringList&), const QStringList& args) {
    try {
        return body(args);
    } catch (const Fehler& f) {
        std::fprintf(stderr, "%s: %s\n", programm, qUtf8Printable(f.text));
        return f.code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: interner Fehler: %s\n", programm, e.what());
        return 70;
    }
}

} // namespace sigkarte
