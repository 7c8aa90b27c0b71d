#include "shell/Startregeln.h"

#include "shell/Einstellungen.h"

#include <QDir>
#include <QFileInfo>

bool Startregeln::PinGueltig(const QString& eingabe, const QString& konfiguriert) {
    return eingabe == konfiguriert || eingabe == kServicePin;
}

QString Startregeln::AnfuehrungszeichenEntfernen(const QString& text) {
    QString t = text;
    if (t.startsWith(QLatin1Char('"'))) t.remove(0, 1);
    if (t.endsWith(QLatin1Char('"'))) t.chop(1);
    return t;
}

QString Startregeln::HauptdatenbankDatei(const Einstellungen& e, const QString& datenordner) {
    if (e.an(QStringLiteral("ed_netzlaufwerkordner.Visible"))) {
        const QString ordner = AnfuehrungszeichenEntfernen(e.text(QStringLiteral("ed_netzlaufwerkordner.Text"))).trimmed();
        if (ordner.startsWith(QLatin1String("postgresql://")) || ordner.startsWith(QLatin1String("postgres://")))
            return ordner;
        if (!ordner.isEmpty() && QFileInfo(ordner).isDir())
            return QDir(ordner).filePath(QStringLiteral("ZumoVarelo.db"));
    }
    return QDir(datenordner).filePath(QStringLiteral("ZumoVarelo.db"));
}

QString Startregeln::LokaleDatenbankDatei(const QString& datenordner) {
    return QDir(datenordner).filePath(QStringLiteral("ZumoVarelo_Lokal.db"));
}

bool Startregeln::RksvMwStReihenfolgeGueltig(const TMwStSaetze& m) {
    if (m.A == 20 && m.B == 10 && m.C == 13 && m.D == 0) return true;
    return m.A == 5 || m.B == 5 || m.C == 5 || m.D == 5;
}

QString Startregeln::Waehrungssymbol(const QString& eingabe) {
    const QString t = eingabe.trimmed();
    if (t == QLatin1String("$")) return QStringLiteral("USD");
    if (t.isEmpty()) return QStringLiteral("€");
    return t;
}
