#include "Testumgebung.h"
#include "data/ExecuteAndWait.h"
#include "data/Numerik.h"
#include "data/Tdm_datenbank.h"
#include "data/Transaktion.h"
#include "shell/Fehler.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct Datenbank : ::testing::Test {
    Testumgebung u;
    Tdm_datenbank dm;
    void SetUp() override {
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        dm.LokaleDatenbankOeffnen(u.pfad("daten/ZumoVarelo_Lokal.db"));
    }
    void sql(const QString& s) {
        QSqlQuery q(dm.haupt());
        ASSERT_TRUE(q.exec(s)) << qPrintable(s);
    }
    int zahl(const QString& s) {
        QSqlQuery q(dm.haupt());
        EXPECT_TRUE(q.exec(s));
        return q.next() ? q.value(0).toInt() : -999;
    }
    void verkaufszeile(int id, int nr) {
        sql(QStringLiteral("insert into Barverkaeufe (ID_Barverkaufspositionen, Firma, Periode_bv, Barverkauf_nr, "
                           "Position_X, Filiale, Kassa, Erfassung, Kunde, Artikel, Menge, Preis, Rabatt, "
                           "Einkaufspreis, Status, Tagesabrechnung, Zahlungsart, KundeBruttoNetto) values (%1, 1, "
                           "20120101, %2, 1, 0, 1, '2026-01-01 10:00:00', 0, 'x', 1, 1, 0, 0, 0, "
                           "'1899-12-30 00:00:00', 0, 0)")
                .arg(id)
                .arg(nr));
    }
};

} // namespace

TEST_F(Datenbank, NummernSindMaximumPlusEinsUndBeginnenBeiEins) {
    EXPECT_EQ(dm.NaechsteBarverkaufNr(), 1);
    EXPECT_EQ(dm.NeueBarverkaufspositionID(), 1);
    EXPECT_EQ(dm.NeueArtikelpositionID(), 1);
    EXPECT_EQ(dm.NeueKassenbuchID(1), 1);

    // Gaps are not filled: numbering follows the maximum.
    verkaufszeile(5, 17);
    verkaufszeile(2, 3);
    EXPECT_EQ(dm.NaechsteBarverkaufNr(), 18);
    EXPECT_EQ(dm.NeueBarverkaufspositionID(), 6);

    sql("insert into Kassenbuch (Firma, ID_Kassenbuch) values (1, 4)");
    sql("insert into Kassenbuch (Firma, ID_Kassenbuch) values (2, 9)");
    EXPECT_EQ(dm.NeueKassenbuchID(1), 5); // per company
    EXPECT_EQ(dm.NeueKassenbuchID(3), 1);

    QSqlQuery q(dm.lokal());
    ASSERT_TRUE(q.exec("insert into Artikelpositionen (ID_Artikelposition) values (12)"));
    EXPECT_EQ(dm.NeueArtikelpositionID(), 13);
}

TEST_F(Datenbank, ArtikelUndBarcode) {
    EXPECT_EQ(dm.ArtikelVonBarcode("4000000000000"), "-17");
    const TArtikelDaten fehlt = dm.ArtikelDatenLesen("gibtsnicht");
    EXPECT_FALSE(fehlt.gefunden);
    EXPECT_EQ(fehlt.Artikelgruppe, -1);
    EXPECT_EQ(fehlt.MWST, -1);
    EXPECT_TRUE(fehlt.PreisAenderbar);
    EXPECT_EQ(fehlt.Lieferant1, -17);
    EXPECT_EQ(fehlt.ErloesKontoInland, "0");
    EXPECT_EQ(fehlt.UmrechnungAEHinWEH, 1.0);

    sql("insert into Artikelstamm (Artikel, Name_AR, Artikelgruppe, Preis1, Preis6, MWST, EANCode, Rabattfaehig, "
        "Lager30, PreisAenderbar, Betrag_Verminderung_3, NichtSteuerpflichtig) "
        "values ('A-1', 'Honig ''Wald''', 3, 7.9, 1.5, 2, '4006381333931', 0, 4, 0, 0.5, 1)");
    EXPECT_EQ(dm.ArtikelVonBarcode("4006381333931"), "A-1");
    EXPECT_EQ(dm.ArtikelVonBarcode("4006381333931' or '1'='1"), "-17"); // values are bound, never pasted
    const TArtikelDaten a = dm.ArtikelDatenLesen("A-1");
    EXPECT_TRUE(a.gefunden);
    EXPECT_EQ(a.Name_AR, "Honig 'Wald'");
    EXPECT_EQ(a.Artikelgruppe, 3);
    EXPECT_EQ(a.MWST, 2);
    EXPECT_DOUBLE_EQ(a.Preis[0], 7.9);
    EXPECT_DOUBLE_EQ(a.Preis[5], 1.5);
    EXPECT_DOUBLE_EQ(a.Lager[29], 4);
    EXPECT_DOUBLE_EQ(a.Betrag_Verminderung[2], 0.5);
    EXPECT_FALSE(a.Rabattfaehig);
    EXPECT_FALSE(a.PreisAenderbar);
    EXPECT_TRUE(a.NichtSteuerpflichtig);
}

TEST_F(Datenbank, ProtokollSchreibtKuerztBenutzerUndLoeschtNachZehnJahren) {
    const QDate heute(2026, 12, 11);
    dm.ProtokollEintragen(QString(60, QLatin1Char('b')), "KASSENSTART", QDateTime(heute, QTime(8, 0)));
    dm.ProtokollEintragen("", "alt", QDateTime(heute.addDays(-3651), QTime(8, 0)));
    dm.ProtokollEintragen("", "grenze", QDateTime(heute.addDays(-3650), QTime(0, 0)));
    EXPECT_EQ(zahl("select count(*) from Protokoll"), 3);
    EXPECT_EQ(zahl("select length(Benutzer) from Protokoll where Aufzeichnung = 'KASSENSTART'"), 50);

    dm.ProtokollBereinigen(heute);
    EXPECT_EQ(zahl("select count(*) from Protokoll where Aufzeichnung = 'alt'"), 0);
    EXPECT_EQ(zahl("select count(*) from Protokoll"), 2);

    // The audit writer never raises, not even without a database.
    dm.Trennen();
    dm.ProtokollEintragen("", "ohne Verbindung", QDateTime::currentDateTime());
}

TEST_F(Datenbank, TransaktionRolltZurueckWennNichtBestaetigt) {
    try {
        Transaktion t(dm, "Test");
        verkaufszeile(1, 1);
        {
            Transaktion innen(dm, "innen"); // joins the open one
            EXPECT_FALSE(innen.aeusserste());
            verkaufszeile(2, 1);
            innen.commit();
        }
        throw Fehler("Abbruch");
    } catch (const Fehler&) {
    }
    EXPECT_EQ(zahl("select count(*) from Barverkaeufe"), 0);
    EXPECT_EQ(dm.transaktionsTiefe(), 0);

    {
        Transaktion t(dm, "Test");
        verkaufszeile(1, 1);
        t.commit();
    }
    EXPECT_EQ(zahl("select count(*) from Barverkaeufe"), 1);
}

TEST_F(Datenbank, BenutzerStempel) {
    QSqlRecord zeile = dm.haupt().record("Artikelstamm");
    BenutzerStempeln(zeile, QString(70, QLatin1Char('x')), QDateTime(QDate(2026, 5, 4), QTime(3, 2, 1)), dm.dialekt());
    EXPECT_EQ(zeile.value("Benutzer").toString().size(), 50);
    EXPECT_EQ(dm.dialekt().zeitLesen(zeile.value("Benutzerdatum")), QDateTime(QDate(2026, 5, 4), QTime(3, 2, 1)));
}

TEST(Numerik, RundungUndNetto) {
    const struct {
        double x, cent, fuenf;
    } faelle[] = {
        {0.125, 0.12, 0.10},  // exact halves go to the even neighbour
        {0.375, 0.38, 0.40},
        {-0.125, -0.12, -0.10},
        {12.344, 12.34, 12.35},
        {1.0, 1.0, 1.0},
        {0.0, 0.0, 0.0},
    };
    for (const auto& f : faelle) {
        EXPECT_DOUBLE_EQ(RundenAufCent(f.x), f.cent) << f.x;
        EXPECT_DOUBLE_EQ(RundenAufFuenfCent(f.x), f.fuenf) << f.x;
    }
    EXPECT_DOUBLE_EQ(NettoAusBrutto(20, 120), 100);
    EXPECT_DOUBLE_EQ(NettoAusBrutto(0, 12.5), 12.5);
    EXPECT_DOUBLE_EQ(NettoAusBrutto(-100, 12.5), 12.5);
    EXPECT_DOUBLE_EQ(PositionsBetrag(3, 1.99, 10), 5.37);
    EXPECT_DOUBLE_EQ(PositionsBetrag(-1, 4.5, 0), -4.5);
}

TEST(ExecuteAndWaitTest, LiefertExitcodeOderMinusEins) {
    EXPECT_EQ(ExecuteAndWait("open", "/bin/sh", "-c \"exit 3\"", 0, QString()), 3);
    EXPECT_EQ(ExecuteAndWait("open", "/bin/sh", "-c \"kill -9 $$\"", 0, QString()), -1);
    EXPECT_EQ(ExecuteAndWait("open", "/gibt/es/nicht", "", 0, QString()), -1);
    Testumgebung u;
    EXPECT_EQ(ExecuteAndWait("open", "/bin/sh", "-c \"touch da\"", 0, u.pfad()), 0);
    EXPECT_TRUE(QFile::exists(u.pfad("da")));
}
