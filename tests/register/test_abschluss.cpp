#include "Testumgebung.h"
#include "data/SqlDialect.h"
#include "data/Tdm_datenbank.h"
#include "register/Abschluss.h"
#include "register/Kundenanzeige.h"
#include "register/Verkauf.h"
#include "shell/Anwendung.h"
#include "shell/Einstellungen.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

struct AbschlussTest : ::testing::Test {
    Testumgebung u;
    Tdm_datenbank dm;
    Einstellungen e{u.iniDatei()};
    Anwendungszustand z;
    KeineKundenanzeige anzeige;
    std::unique_ptr<Verkauf> v;
    std::unique_ptr<Abschluss> a;

    void SetUp() override {
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        dm.LokaleDatenbankOeffnen(u.pfad("daten/ZumoVarelo_Lokal.db"));
        e.setzen("ed_mwst_a.Text", "20");
        e.setzen("ed_mwst_b.Text", "10");
        e.setzen("cb_drucker.Text", "PDF");
        artikel("A", 1, 12.00);
        artikel("B", 2, 5.50);
        artikel("C", 1, 3.00);
        artikel("N", 7, 1.00); // no VAT band
        v = std::make_unique<Verkauf>(dm, e, anzeige);
        v->laden();
        a = std::make_unique<Abschluss>(dm, e, z, *v, u.datenordner());
    }
    void artikel(const QString& nr, int mwst, double preis) {
        dm.ausfuehren(dm.haupt(), "insert into Artikelstamm (Artikel, Name_AR, MWST, Preis1, Einkaufspreis) values (?, ?, ?, ?, 1)",
                      {nr, "Name " + nr, mwst, preis});
    }
    void erfassen(const QString& nr, double preis, double menge = 1) {
        TArtikelDatenX d;
        d.Artikel = nr;
        d.Name = "Name " + nr;
        d.Artikelpreis_1 = preis;
        v->ArtikelHinzufuegen(d);
        if (menge != 1) {
            v->tasteDruecken(Taste::Loeschen);
            for (QChar c : QString::number(menge)) v->tasteDruecken(c.digitValue());
            v->tasteDruecken(Taste::Menge);
        }
    }
    QList<QSqlRecord> zeilen(const QString& bedingung = "1=1") {
        QSqlQuery q(dm.haupt());
        EXPECT_TRUE(q.exec("select * from Barverkaeufe where " + bedingung + " order by ID_Barverkaufspositionen"));
        QList<QSqlRecord> r;
        while (q.next()) r << q.record();
        return r;
    }
    int lokal() {
        QSqlQuery q(dm.lokal());
        q.exec("select count(*) from Artikelpositionen");
        return q.next() ? q.value(0).toInt() : -1;
    }
    int protokoll(const QString& muster) {
        QSqlQuery q(dm.haupt());
        q.prepare("select count(*) from Protokoll where Aufzeichnung like ?");
        q.addBindValue(muster);
        q.exec();
        return q.next() ? q.value(0).toInt() : -1;
    }
    // The sale stays for another try: local positions and screen unchanged, nothing stored.
    void nichtsGespeichert(int positionen) {
        EXPECT_TRUE(zeilen().isEmpty());
        EXPECT_EQ(lokal(), positionen);
        EXPECT_EQ(v->positionen().size(), positionen);
    }
};

} // namespace

TEST_F(AbschlussTest, MwStAufteilungUndAlleSpaltenEinesBarverkaufs) {
    erfassen("A", 12.00);
    erfassen("B", 5.50);
    EXPECT_EQ(a->abschliessen(Zahlknopf::Bargeld, {}), 1); // the first receipt on an empty table
    const auto r = zeilen();
    ASSERT_EQ(r.size(), 2);
    const struct {
        const char* spalte;
        QVariant wert;
    } erwartet[] = {
        {"Barverkauf_nr", 1},       {"Firma", 1},           {"Periode_bv", 20120101}, {"Filiale", 0},
        {"Kassa", 1},               {"Kunde", 0},           {"Status", 0},            {"BarBetrag", 17.50},
        {"Barbetrag2", 17.50},      {"Zahlungsart", 0},     {"Zahlungsart2", 0},      {"MWSTABetrag", 2.00},
        {"MWSTBBetrag", 0.50},      {"MWSTCBetrag", 0.0},   {"NettoABetrag", 10.00},  {"NettoBBetrag", 5.00},
        {"KundeBruttoNetto", 0},    {"AngNr", -1},          {"KartenBelegNr", -1},    {"Periode_au_merken", -1},
        {"Auftrag_nr_merken", -1},  {"AusserhausMwSt", -1}, {"KassenID", "1"},        {"JWSSignatur", "A"},
        {"Signaturzertifikat", "A"}, {"Anfangsbestand", 0}, {"TagesabrechnungNummer", 0}, {"Angestellte", ""},
    };
    for (const QSqlRecord& zeile : r)
        for (const auto& x : erwartet) EXPECT_EQ(zeile.value(x.spalte), x.wert) << x.spalte;
    EXPECT_EQ(r[0].value("Position_X").toInt(), 1);
    EXPECT_EQ(r[1].value("Position_X").toInt(), 2);
    EXPECT_EQ(r[0].value("ArtikelMwSt").toDouble(), 20);
    EXPECT_EQ(r[1].value("MwStProzent").toDouble(), 10);
    EXPECT_EQ(r[0].value("Erfassung"), r[1].value("Erfassung"));
    EXPECT_EQ(dm.dialekt().zeitLesen(r[0].value("Tagesabrechnung")), Nullzeit());
    EXPECT_EQ(r[0].value("ID_Barverkaufspositionen").toInt() + 1, r[1].value("ID_Barverkaufspositionen").toInt());
    // The next sale starts empty.
    EXPECT_EQ(lokal(), 0);
    EXPECT_TRUE(v->positionen().isEmpty());
    EXPECT_EQ(v->gesamtbetrag(), 0);
}

TEST_F(AbschlussTest, GutschriftSpeichernUndFuenfRappen) {
    erfassen("C", 3.00, 2);
    EXPECT_EQ(a->abschliessen(Zahlknopf::Gutschrift, {}), 1);
    auto r = zeilen("Barverkauf_nr = 1");
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0].value("Menge").toDouble(), -2);
    EXPECT_EQ(r[0].value("BarBetrag").toDouble(), -6.00);
    EXPECT_EQ(r[0].value("Zahlungsart").toInt(), 5);
    EXPECT_EQ(r[0].value("Barbetrag2").toDouble(), 0);
    EXPECT_EQ(r[0].value("MWSTABetrag").toDouble(), -1.00);

    erfassen("A", 12.00);
    EXPECT_EQ(a->abschliessen(Zahlknopf::Speichern, {}), 2);
    r = zeilen("Barverkauf_nr = 2");
    EXPECT_EQ(r[0].value("Zahlungsart").toInt(), 0);
    EXPECT_EQ(r[0].value("Barbetrag2").toDouble(), 12.00);

    erfassen("A", 12.00);
    EXPECT_EQ(a->abschliessen(Zahlknopf::Kreditkarte, {}), 3); // without a terminal: no card step
    EXPECT_EQ(zeilen("Barverkauf_nr = 3")[0].value("Zahlungsart").toInt(), 2);
    EXPECT_EQ(zeilen("Barverkauf_nr = 3")[0].value("Barbetrag2").toDouble(), 0);

    e.setzen("rg_banknoten.ItemIndex", 1);
    erfassen("N", 1.02);
    erfassen("N", 2.01);
    EXPECT_EQ(a->abschliessen(Zahlknopf::Bargeld, {}), 4);
    r = zeilen("Barverkauf_nr = 4");
    EXPECT_EQ(r[0].value("BarBetrag").toDouble(), 3.05);
    EXPECT_EQ(r[0].value("MWSTABetrag").toDouble(), 0); // outside every band
    EXPECT_EQ(r[0].value("ArtikelMwSt").toDouble(), 0);
}

TEST_F(AbschlussTest, PositionOhneArtikelLaesstLueckeInPositionX) {
    erfassen("A", 12.00);
    dm.ausfuehren(dm.lokal(), "insert into Artikelpositionen (ID_Artikelposition, Artikel, Menge, Preis) values (50, '', 1, 0)");
    dm.ausfuehren(dm.lokal(), "insert into Artikelpositionen (ID_Artikelposition, Artikel, Menge, Preis) values (60, 'B', 1, 5.5)");
    v->laden();
    a->abschliessen(Zahlknopf::Bargeld, {});
    const auto r = zeilen();
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[0].value("Position_X").toInt(), 1);
    EXPECT_EQ(r[1].value("Position_X").toInt(), 3);
}

TEST_F(AbschlussTest, FehlerNachDenZeilenRolltAllesZurueck) {
    erfassen("A", 12.00);
    erfassen("B", 5.50);
    a->schrittSetzen(Abschlussschritt::Bondruck, [](Abschlusskontext&) { throw Fehler("Drucker brennt"); });
    try {
        a->abschliessen(Zahlknopf::Bargeld, {});
        FAIL();
    } catch (const AbschlussZurueckgesetzt& f) {
        EXPECT_EQ(f.text(), "Ein Fehler ist aufgetreten!Transaktion wurde zurückgesetzt.Fehler:Drucker brennt");
    }
    nichtsGespeichert(2);
    EXPECT_EQ(protokoll("Fehler Barverkaufspeicherung: Drucker brennt"), 1);
    EXPECT_EQ(dm.transaktionsTiefe(), 0);

    // The same sale goes through once the step works.
    a->schrittSetzen(Abschlussschritt::Bondruck, [](Abschlusskontext& k) { EXPECT_EQ(k.nummer, 1); });
    EXPECT_EQ(a->abschliessen(Zahlknopf::Bargeld, {}), 1);
    EXPECT_EQ(zeilen().size(), 2);
}

TEST_F(AbschlussTest, FehlerMittenImSchreibenUndNullpreiseUndFehlenderArtikel) {
    erfassen("A", 12.00);
    erfassen("B", 5.50);
    // The database itself refuses the second row.
    dm.ausfuehren(dm.haupt(), "create trigger zweite before insert on Barverkaeufe when new.Position_X = 2 "
                              "begin select raise(abort, 'Platte voll'); end");
    EXPECT_THROW(a->abschliessen(Zahlknopf::Bargeld, {}), AbschlussZurueckgesetzt);
    nichtsGespeichert(2);
    dm.ausfuehren(dm.haupt(), "drop trigger zweite");

    e.setzen("cb_nullpreise.Checked", true);
    erfassen("C", 0);
    try {
        a->abschliessen(Zahlknopf::Bargeld, {});
        FAIL();
    } catch (const AbschlussZurueckgesetzt& f) {
        EXPECT_TRUE(f.text().endsWith("Eine Position mit Preis 0 ist vorhanden!Abrechnung nicht möglich!"));
    }
    nichtsGespeichert(3);
    e.setzen("cb_nullpreise.Checked", false);

    dm.ausfuehren(dm.haupt(), "delete from Artikelstamm where Artikel = 'B'");
    try {
        a->abschliessen(Zahlknopf::Bargeld, {});
        FAIL();
    } catch (const AbschlussZurueckgesetzt& f) {
        EXPECT_TRUE(f.text().endsWith("Artikel  nicht vorhanden!Transaktion wird abgebrochen.Artikel: B"));
    }
    nichtsGespeichert(3);
}

TEST_F(AbschlussTest, PruefungenVorDerTransaktion) {
    EXPECT_THROW(a->abschliessen(Zahlknopf::Bargeld, {}), AbschlussAbgelehnt); // no positions: sm_9

    erfassen("A", 12.00);
    const struct {
        const char* schalter;
        const char* text;
    } faelle[] = {
        {"sw_kassensichv.StateOn", "Abrechnung kann nicht durchgeführt werde wegen TSE!"},
        {"sw_rksv2017.StateOn",
         "Karte nicht aktiv!\rWarten Sie bitte bis links oben *Kartenleser betriebsbereit* steht und\r\rschließen Sie "
         "bitte diese Meldung"},
    };
    for (const auto& f : faelle) {
        e.setzen(QLatin1String(f.schalter), true);
        try {
            a->abschliessen(Zahlknopf::Bargeld, {});
            ADD_FAILURE() << f.schalter;
        } catch (const AbschlussAbgelehnt& x) {
            EXPECT_EQ(x.text(), QString::fromUtf8(f.text));
        }
        e.setzen(QLatin1String(f.schalter), false);
        nichtsGespeichert(1);
    }
    // The screen's total no longer matches the positions.
    dm.ausfuehren(dm.lokal(), "update Artikelpositionen set Preis = 13");
    try {
        a->abschliessen(Zahlknopf::Bargeld, {});
        FAIL();
    } catch (const AbschlussAbgelehnt& x) {
        EXPECT_EQ(x.text(), "Differenz in der Kalkulation!");
    }
    v->laden();

    // A card payment with the terminal switched on but no terminal to talk to.
    e.setzen("sw_terminal_zvt.StateOn", true);
    EXPECT_THROW(a->abschliessen(Zahlknopf::Bankomat, {}), AbschlussZurueckgesetzt);
    nichtsGespeichert(1);
}

TEST_F(AbschlussTest, KassenladeWirdGeoeffnetUndIhrFehlerRolltZurueck) {
    e.setzen("cb_kassaoeffnen_bargeld.Checked", true);
    erfassen("A", 12.00);
    a->abschliessen(Zahlknopf::Speichern, {}); // "save" has no drawer option set
    const QDir druck(u.pfad("daten/Sicherungen/Druck"));
    EXPECT_TRUE(druck.entryList(QDir::Files).isEmpty());

    erfassen("A", 12.00);
    a->abschliessen(Zahlknopf::Bargeld, {});
    const QStringList jobs = druck.entryList(QDir::Files);
    ASSERT_EQ(jobs.size(), 1);
    QFile job(druck.filePath(jobs.first()));
    ASSERT_TRUE(job.open(QIODevice::ReadOnly));
    EXPECT_EQ(job.readAll(), QByteArray("\x1b\x70\x00\x37\xff", 5));

    // The drawer cannot be reached: the sale is not stored.
    QDir(druck).removeRecursively();
    QFile sperre(u.pfad("daten/Sicherungen/Druck"));
    ASSERT_TRUE(sperre.open(QIODevice::WriteOnly));
    sperre.close();
    erfassen("A", 12.00);
    EXPECT_THROW(a->abschliessen(Zahlknopf::Bargeld, {}), AbschlussZurueckgesetzt);
    EXPECT_EQ(zeilen().size(), 2);
    EXPECT_EQ(lokal(), 1);
}

TEST_F(AbschlussTest, BelegteDatenbankGibtKlareMeldungUndVerliertNichts) {
    erfassen("A", 12.00);
    Tdm_datenbank andere("andereKasse");
    andere.HauptdatenbankOeffnen(u.hauptdatei());
    QSqlQuery sperre(andere.haupt());
    ASSERT_TRUE(sperre.exec("BEGIN IMMEDIATE"));
    dm.wartezeitSetzen(200);
    try {
        a->abschliessen(Zahlknopf::Bargeld, {});
        FAIL();
    } catch (const AbschlussZurueckgesetzt& f) {
        EXPECT_TRUE(f.text().contains("Die Datenbank ist gerade durch eine andere Kasse belegt.")) << qPrintable(f.text());
    }
    EXPECT_EQ(lokal(), 1);
    ASSERT_TRUE(sperre.exec("COMMIT"));
    EXPECT_EQ(a->abschliessen(Zahlknopf::Bargeld, {}), 1);
}
