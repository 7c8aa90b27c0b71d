#include "shell/Programmstart.h"

#include "shell/Datenordner.h"
#include "shell/Fehler.h"
#include "shell/Instanzsperre.h"
#include "shell/KassenAnwendung.h"
#include "shell/Meldungen.h"
#include "shell/Tfrm_barverkauf.h"

#include <QDir>

int Programmstart(int argc, char** argv) {
    KassenAnwendung app(argc, argv);
    // Before any window and before any database is touched.
    Instanzsperre sperre;
    if (!sperre.erhalten()) {
        Meldungen::zeigen(nullptr, QStringLiteral("Programm läuft bereits !"));
        return 1;
    }
    app.setApplicationName(QStringLiteral("ORVEN-POS"));
    app.setApplicationDisplayName(QStringLiteral("ORVEN-POS"));

    QString ordner;
    try {
        ordner = Datenordner::anlegen();
    } catch (const Fehler& f) {
        Meldungen::fehler(nullptr, f.text());
        return 1;
    }
    QDir().mkpath(Datenordner::konfigurationsordner());
    Tfrm_barverkauf fenster(ordner, QDir(Datenordner::konfigurationsordner()).filePath(QStringLiteral("orvenpos.ini")));
    if (QGuiApplication::platformName() == QLatin1String("offscreen") ||
        QGuiApplication::platformName() == QLatin1String("vnc"))
        fenster.resize(1280, 800);
    fenster.showMaximized();
    return app.exec();
}
