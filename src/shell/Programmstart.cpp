#include "shell/Programmstart.h"

#include "shell/Datenordner.h"
#include "shell/Fehler.h"
#include "shell/Instanzsperre.h"
#include "shell/KassenAnwendung.h"
#include "shell/Meldungen.h"
#include "shell/Tfrm_barverkauf.h"

#include <QDir>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPaar[2] = {-1, -1};

void beiSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPaar[0], &c, 1);
}

// A shutdown of the machine or "kill" ends the register through its normal
// close: settings saved, audit entry written, databases closed.
void beendenBeiSignal(QWidget* fenster) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPaar) != 0) return;
    auto* melder = new QSocketNotifier(g_signalPaar[1], QSocketNotifier::Read, fenster);
    QObject::connect(melder, &QSocketNotifier::activated, fenster, [fenster] {
        char c;
        [[maybe_unused]] const auto n = ::read(g_signalPaar[1], &c, 1);
        fenster->close();
    });
    struct sigaction sa {};
    sa.sa_handler = beiSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}
} // namespace

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
    beendenBeiSignal(&fenster);
    fenster.showMaximized();
    return app.exec();
}
