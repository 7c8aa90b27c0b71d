#include "peripherals/RohDruck.h"

#include "shell/Fehler.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString ausgabe(const QString& programm, const QStringList& argumente) {
    if (QStandardPaths::findExecutable(programm).isEmpty()) return {};
    QProcess p;
    p.start(programm, argumente);
    if (!p.waitForFinished(5000) || p.exitCode() != 0) return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

bool installiert(const QString& drucker) {
    return ausgabe(QStringLiteral("lpstat"), {QStringLiteral("-e")}).split(QLatin1Char('\n')).contains(drucker);
}

bool standarddruckerVorhanden() {
    return ausgabe(QStringLiteral("lpstat"), {QStringLiteral("-d")}).contains(QLatin1String(": "));
}

QString inDatei(const QByteArray& daten, const QString& titel, const QString& datenordner) {
    const QString ordner = QDir(datenordner).filePath(QStringLiteral("Sicherungen/Druck"));
    if (!QDir().mkpath(ordner)) throw Fehler(QStringLiteral("Druckordner kann nicht angelegt werden: ") + ordner);
    QString name = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss_zzz_")) + titel;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    QString datei = QDir(ordner).filePath(name + QStringLiteral(".bin"));
    for (int i = 2; QFile::exists(datei); ++i) datei = QDir(ordner).filePath(QStringLiteral("%1_%2.bin").arg(name).arg(i));
    QSaveFile f(datei);
    if (!f.open(QIODevice::WriteOnly) || f.write(daten) != daten.size() || !f.commit())
        throw Fehler(QStringLiteral("Druckauftrag \"%1\" konnte nicht geschrieben werden: %2").arg(titel, f.errorString()));
    return datei;
}

} // namespace

QString RohDruck::senden(const QByteArray& daten, const QString& drucker, const QString& titel, const QString& datenordner) {
    QStringList argumente{QStringLiteral("-o"), QStringLiteral("raw"), QStringLiteral("-t"), titel};
    if (drucker != kDateidrucker && installiert(drucker)) argumente << QStringLiteral("-d") << drucker;
    else if (drucker == kDateidrucker || !standarddruckerVorhanden()) return inDatei(daten, titel, datenordner);

    QProcess lp;
    lp.start(QStringLiteral("lp"), argumente);
    if (!lp.waitForStarted(5000)) throw Fehler(QStringLiteral("Drucker nicht erreichbar (lp fehlt)"));
    lp.write(daten);
    lp.closeWriteChannel();
    if (!lp.waitForFinished(15000) || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0)
        throw Fehler(QStringLiteral("Druckauftrag \"%1\" fehlgeschlagen: %2")
                         .arg(titel, QString::fromLocal8Bit(lp.readAllStandardError()).trimmed()));
    return {};
}
