#include "Testumgebung.h"
#include "shell/Instanzsperre.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>

namespace {
QProcessEnvironment umgebung(const Testumgebung& u) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVENPOS_HOME", u.datenordner() + "/neu");
    env.insert("XDG_CONFIG_HOME", u.pfad("config"));
    env.insert("XDG_RUNTIME_DIR", u.pfad("run"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORVENPOS_MELDUNGEN", "stderr");
    return env;
}

int protokoll(const QString& datei, const QString& text) {
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "lesen");
        db.setDatabaseName(datei);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("select count(*) from Protokoll where Aufzeichnung = '%1'").arg(text)) && q.next())
                n = q.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase("lesen");
    return n;
}
} // namespace

TEST(Programmstart, ZweiteInstanzWirdAbgewiesenOhneDatenbankZuBeruehren) {
    Testumgebung u;
    Instanzsperre erste(u.pfad("run"));
    ASSERT_TRUE(erste.erhalten());

    QProcess p;
    p.setProcessEnvironment(umgebung(u));
    p.start(ORVENPOS_BIN_DIR "/orvenpos", {});
    ASSERT_TRUE(p.waitForFinished(15000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("Programm läuft bereits !"));
    EXPECT_FALSE(QDir(u.datenordner() + "/neu").exists());
}

TEST(Programmstart, ErsterStartLegtDatenordnerAnUndBeendetSichSauber) {
    Testumgebung u;
    QProcess p;
    p.setProcessEnvironment(umgebung(u));
    p.start(ORVENPOS_BIN_DIR "/orvenpos", {});
    ASSERT_TRUE(p.waitForStarted());
    const QString db = u.datenordner() + "/neu/ZumoVarelo.db";
    EXPECT_TRUE(QTest::qWaitFor([&] { return protokoll(db, "KASSENSTART") == 1; }, 15000));
    for (const char* ordner : {"Sicherungen", "Sicherungen/BONS", "Reports", "BilderArchiv", "Finanzpruefung"})
        EXPECT_TRUE(QDir(u.datenordner() + "/neu/" + ordner).exists()) << ordner;
    EXPECT_TRUE(QFile::exists(u.datenordner() + "/neu/ZumoVarelo_Lokal.db"));

    // While it runs, a second start is refused.
    QProcess zweite;
    zweite.setProcessEnvironment(umgebung(u));
    zweite.start(ORVENPOS_BIN_DIR "/orvenpos", {});
    ASSERT_TRUE(zweite.waitForFinished(15000));
    EXPECT_EQ(zweite.exitCode(), 1);

    // The machine shutting down ends the register through its normal close.
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(15000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(protokoll(db, "KASSENENDE"), 1);
    EXPECT_TRUE(QFile::exists(u.pfad("config/orvenpos/orvenpos.ini")));
}
