// Two registers on one main database file, and a register killed while it
// completes sales: receipt numbers stay unique, every sale is whole or absent.
#include "Testumgebung.h"
#include "data/Tdm_datenbank.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>
#include <csignal>

namespace {

struct Mehrplatz : ::testing::Test {
    Testumgebung u;
    void SetUp() override {
        Tdm_datenbank dm("vorbereiten");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        for (const char* nr : {"L0", "L1", "L2"})
            dm.ausfuehren(dm.haupt(), "insert into Artikelstamm (Artikel, Name_AR, MWST) values (?, ?, 1)",
                          {QString::fromLatin1(nr), QString::fromLatin1(nr)});
    }
    std::unique_ptr<QProcess> kasse(int nr, int verkaeufe, int positionen) {
        auto p = std::make_unique<QProcess>();
        p->start(ORVENPOS_TESTBIN_DIR "/verkaufslast",
                 {u.hauptdatei(), u.pfad(QStringLiteral("lokal%1.db").arg(nr)), u.pfad("kasse.ini"),
                  QString::number(verkaeufe), QString::number(positionen), QString::number(nr)});
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    QVariant wert(Tdm_datenbank& dm, const QString& sql) {
        QSqlQuery q(dm.haupt());
        EXPECT_TRUE(q.exec(sql)) << qPrintable(sql);
        return q.next() ? q.value(0) : QVariant();
    }
    // Every stored receipt holds exactly its positions, numbered 1..k, one register, one total.
    void jederBelegVollstaendig(Tdm_datenbank& dm, int positionen) {
        EXPECT_EQ(wert(dm, "PRAGMA integrity_check").toString(), "ok");
        EXPECT_EQ(wert(dm, QStringLiteral("select count(*) from (select Barverkauf_nr from Barverkaeufe group by "
                                          "Barverkauf_nr having count(*) <> %1 or count(distinct Kassa) <> 1 or "
                                          "count(distinct Position_X) <> %1 or count(distinct BarBetrag) <> 1)")
                                .arg(positionen))
                      .toInt(),
                  0);
    }
};

} // namespace

TEST_F(Mehrplatz, ZweiKassenGleichzeitigOhneDoppelteNummern) {
    const int verkaeufe = 300, positionen = 3;
    auto eins = kasse(1, verkaeufe, positionen);
    auto zwei = kasse(2, verkaeufe, positionen);
    ASSERT_TRUE(eins->waitForFinished(120000));
    ASSERT_TRUE(zwei->waitForFinished(120000));
    EXPECT_EQ(eins->exitCode(), 0) << eins->readAllStandardError().constData();
    EXPECT_EQ(zwei->exitCode(), 0) << zwei->readAllStandardError().constData();
    const QStringList n1 = QString::fromLatin1(eins->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QStringList n2 = QString::fromLatin1(zwei->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(n1.size(), verkaeufe);
    EXPECT_EQ(n2.size(), verkaeufe);

    Tdm_datenbank dm("pruefen");
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    EXPECT_EQ(wert(dm, "select count(*) from Barverkaeufe").toInt(), 2 * verkaeufe * positionen);
    EXPECT_EQ(wert(dm, "select count(distinct Barverkauf_nr) from Barverkaeufe").toInt(), 2 * verkaeufe);
    EXPECT_EQ(wert(dm, "select max(Barverkauf_nr) from Barverkaeufe").toInt(), 2 * verkaeufe);
    EXPECT_EQ(wert(dm, "select count(*) from Barverkaeufe where Kassa = 1").toInt(), verkaeufe * positionen);
    EXPECT_EQ(wert(dm, "select sum(BarBetrag) from Barverkaeufe where Position_X = 1").toDouble(), 2 * verkaeufe * 6.0);
    jederBelegVollstaendig(dm, positionen);
    // What each register reported is what the database holds for it.
    for (const QString& nr : n1)
        EXPECT_EQ(wert(dm, "select min(Kassa) from Barverkaeufe where Barverkauf_nr = " + nr).toInt(), 1);
}

TEST_F(Mehrplatz, AbgeschossenerAbschlussHinterlaesstGanzOderGarNichts) {
    const int positionen = 4;
    auto* zufall = QRandomGenerator::global();
    int gespeichert = 0;
    for (int runde = 0; runde < 6; ++runde) {
        auto p = kasse(1, 100000, positionen);
        QTest::qWait(100 + int(zufall->bounded(300)));
        ::kill(static_cast<pid_t>(p->processId()), SIGKILL);
        ASSERT_TRUE(p->waitForFinished(10000));
        gespeichert += QString::fromLatin1(p->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).size();

        Tdm_datenbank dm(QStringLiteral("pruefen%1").arg(runde));
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        jederBelegVollstaendig(dm, positionen);
        // Reported sales are stored; at most the one in flight may be there unreported.
        const int belege = wert(dm, "select count(distinct Barverkauf_nr) from Barverkaeufe").toInt();
        EXPECT_GE(belege, gespeichert);
        EXPECT_LE(belege, gespeichert + 1);
        gespeichert = belege;
    }
    EXPECT_GT(gespeichert, 0);
}
