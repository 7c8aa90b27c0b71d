// Prepares the data folder with the demo shop: creates the databases when
// missing and fills in articles and exhibitors when there are none.
#include "data/Demodaten.h"
#include "data/Tdm_datenbank.h"
#include "shell/Datenordner.h"
#include "shell/Fehler.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        const QString ordner = Datenordner::anlegen();
        Tdm_datenbank dm;
        dm.HauptdatenbankOeffnen(QDir(ordner).filePath(QStringLiteral("ZumoVarelo.db")));
        const int n = DemodatenAnlegen(dm);
        std::printf("%s: %d Demo-Artikel angelegt\n", qPrintable(ordner), n);
        return 0;
    } catch (const Fehler& f) {
        std::fprintf(stderr, "%s\n", qPrintable(f.text()));
        return 1;
    }
}
