// Prepares the data folder with the demo shop: creates the databases when
// missing and fills in articles and exhibitors when there are none.
#include "data/Demodaten.h"
#include "data/Tdm_datenbank.h"
#include "shell/Datenordner.h"
#include "shell/Fehler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        const QString ordner = Datenordner::anlegen();
        Tdm_datenbank dm;
        dm.HauptdatenbankOeffnen(QDir(ordner).filePath(QStringLiteral("ZumoVarelo.db")));
        const int n = DemodatenAnlegen(dm);
        // The information text shown on the register, unless the shop has its own.
        QFile info(QDir(ordner).filePath(QStringLiteral("Information.rtf")));
        if (!info.exists() && info.open(QIODevice::WriteOnly))
            info.write("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}{\\colortbl;\\red0\\green90\\blue150;}\n"
                       "\\pard\\qc{\\fs30\\b\\cf1 Willkommen am Markt!}\\par\n"
                       "\\pard\\qc{\\fs20 Sechs Aussteller \\u8211? ein Bon.}\\par\n"
                       "\\pard\\qc{\\fs20\\i Ge\\u246?ffnet Mo\\u8211?Sa 9\\u8211?18 Uhr}}\n");
        std::printf("%s: %d Demo-Artikel angelegt\n", qPrintable(ordner), n);
        return 0;
    } catch (const Fehler& f) {
        std::fprintf(stderr, "%s\n", qPrintable(f.text()));
        return 1;
    }
}
