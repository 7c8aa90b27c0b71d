#include "shell/Datenordner.h"
#include "shell/Fehler.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString ausUmgebung(const char* name) { return QString::fromLocal8Bit(qgetenv(name)).trimmed(); }

QString xdg(const char* variable, const char* ersatz) {
    QString basis = ausUmgebung(variable);
    if (basis.isEmpty()) basis = QDir::homePath() + QLatin1Char('/') + QLatin1String(ersatz);
    return QDir::cleanPath(basis + QLatin1String("/orvenpos"));
}
} // namespace

QString Datenordner::pfad() {
    const QString home = ausUmgebung("ORVENPOS_HOME");
    if (!home.isEmpty()) return QDir::cleanPath(QDir(home).absolutePath());
    return xdg("XDG_DATA_HOME", ".local/share");
}

QString Datenordner::anlegen() {
    const QString basis = pfad();
    QDir dir;
    for (const char* unter : {"", "Sicherungen", "Sicherungen/BONS", "Reports", "BilderArchiv", "Finanzpruefung"}) {
        const QString ziel = basis + QLatin1Char('/') + QLatin1String(unter);
        if (!dir.mkpath(ziel))
            throw Fehler(QStringLiteral("Ordner kann nicht angelegt werden: ") + ziel);
    }
    return basis;
}

QString Datenordner::datei(const QString& relativ) { return pfad() + QLatin1Char('/') + relativ; }

QString Datenordner::konfigurationsordner() { return xdg("XDG_CONFIG_HOME", ".config"); }

QString Datenordner::programmordner() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}
