#include "Testumgebung.h"
#include "data/Tdm_datenbank.h"
#include "register/Kundenanzeige.h"
#include "register/Verkauf.h"
#include "shell/Einstellungen.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct VerkaufTest : ::testing::Test {
    Testumgebung u;
    Tdm_datenbank dm;
    Einstellungen e{u.iniDatei()};
    KeineKundenanzeige anzeige;
    std::unique_ptr<Verkauf> v;

    void SetUp() override {
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        dm.LokaleDatenbankOeffnen(u.pfad("daten/ZumoVarelo_Lokal.db"));
        artikel("HON", "Honig", "4001234567893", 7.90);
        artikel("KAE", "Käse am Stück", "2200001000000", 12.00); // in-store code base
        v = std::make_unique<Verkauf>(dm, e, anzeige);
        v->laden();
    }
    void artikel(const QString& nr, const QString& name, const QString& ean, double preis) {
        dm.ausfuehren(dm.haupt(), "insert into Artikelstamm (Artikel, Name_AR, Einheit, EANCode, Preis1) values (?, ?, 'Stk', ?, ?)",
                      {nr, name, ean, preis});
    }
    void tippen(const QList<int>& tasten) {
        for (int t : tasten) v->tasteDruecken(t);
    }
    int lokaleZeilen() {
        QSqlQuery q(dm.lokal());
        q.exec("select count(*) from Artikelpositionen");
        return q.next() ? q.value(0).toInt() : -1;
    }
    TArtikelDatenX knopf(const QString& nr, double preis) {
        TArtikelDatenX d;
        d.Artikel = nr;
        d.Name = "Knopfartikel";
        d.Einheit = "Stk";
        d.Artikelpreis_1 = preis;
        return d;
    }
};

} // namespace

TEST_F(VerkaufTest, TastenfeldBautDieZahlAuf) {
    const struct {
        QList<int> tasten;
        const char* ergebnis;
    } faelle[] = {
        {{0, 5}, "5"},
        {{5, 0}, "50"},
        {{Taste::Minus, 5}, "-5"},
        {{1, 2, Taste::Komma, 5}, "12,5"},
        {{7, Taste::Loeschen}, "0"},
        {{3, Taste::Minus}, "-3"},
    };
    for (const auto& f : faelle) {
        v->tasteDruecken(Taste::Loeschen);
        tippen(f.tasten);
        EXPECT_EQ(v->bar(), QLatin1String(f.ergebnis));
    }
}

TEST_F(VerkaufTest, BarcodeUndArtikelknopfFuegenPositionenHinzu) {
    v->BarcodeEingeben("  4001234567893 ");
    v->ArtikelHinzufuegen(knopf("KNOPF", 2.5));
    v->ArtikelHinzufuegen(knopf("-1", 9)); // an empty button adds nothing
    ASSERT_EQ(v->positionen().size(), 2);
    EXPECT_EQ(v->positionen().at(0).artikelName, "Honig");
    EXPECT_EQ(v->positionen().at(0).menge, 1);
    EXPECT_EQ(v->positionen().at(0).preis, 7.90);
    EXPECT_EQ(v->positionen().at(1).artikel, "KNOPF");
    EXPECT_EQ(v->auswahl(), 1);
    EXPECT_DOUBLE_EQ(v->gesamtbetrag(), 10.40);
    EXPECT_EQ(lokaleZeilen(), 2);

    // A restart finds the positions of the sale being entered.
    Verkauf neu(dm, e, anzeige);
    neu.laden();
    EXPECT_EQ(neu.positionen().size(), 2);
    EXPECT_DOUBLE_EQ(neu.gesamtbetrag(), 10.40);
}

TEST_F(VerkaufTest, UnbekannteBarcodesFuegenNichtsHinzu) {
    EXPECT_THROW(v->BarcodeEingeben("4009999999999"), BarcodeUnbekannt);
    v->BarcodeEingeben("   "); // empty: nothing, no message
    EXPECT_EQ(lokaleZeilen(), 0);
    EXPECT_TRUE(v->positionen().isEmpty());
}

TEST_F(VerkaufTest, WaageUndPreisBarcodes) {
    const struct {
        const char* gewicht;
        const char* preis;
        const char* code;
        double menge, einzelpreis;
        bool gefunden;
    } faelle[] = {
        {"22", "", "2200001004506", 0.45, 12.00, true}, // weight prefix: grams
        {"", "22", "2200001004506", 1, 4.50, true},     // price prefix: cents
        {"22", "", "220000100450", 0, 0, false},        // 12 characters: looked up unchanged
        {"", "", "2200001004506", 0, 0, false},         // no prefix: looked up unchanged
    };
    for (const auto& f : faelle) {
        e.setzen("ed_prefixbarcode2.Text", QLatin1String(f.gewicht));
        e.setzen("ed_prefixbarcode3preis.Text", QLatin1String(f.preis));
        v->NeuerVerkauf();
        if (!f.gefunden) {
            EXPECT_THROW(v->BarcodeEingeben(QLatin1String(f.code)), BarcodeUnbekannt) << f.code;
            continue;
        }
        v->BarcodeEingeben(QLatin1String(f.code));
        ASSERT_EQ(v->positionen().size(), 1);
        EXPECT_EQ(v->positionen().at(0).artikel, "KAE");
        EXPECT_DOUBLE_EQ(v->positionen().at(0).menge, f.menge);
        EXPECT_DOUBLE_EQ(v->positionen().at(0).preis, f.einzelpreis);
    }
    e.setzen("ed_prefixbarcode1.Text", "22");
    try {
        v->BarcodeEingeben("22000010x4506");
        FAIL() << "no error";
    } catch (const BarcodeUnbekannt&) {
        FAIL() << "wrong error";
    } catch (const Fehler& f) {
        EXPECT_TRUE(f.text().startsWith("Gewicht aus Barcode auslesen fehlgeschalgen!"));
    }
}

TEST_F(VerkaufTest, MengePreisUndRabatt) {
    v->BarcodeEingeben("4001234567893");
    v->ArtikelHinzufuegen(knopf("KNOPF", 3.00));

    tippen({Taste::Minus, 1, Taste::Menge}); // a return position
    EXPECT_EQ(v->positionen().at(1).menge, -1);
    EXPECT_DOUBLE_EQ(v->gesamtbetrag(), 4.90);
    EXPECT_EQ(v->bar(), "0");

    v->auswahlSetzen(0);
    tippen({5, Taste::Komma, 5, Taste::Preis});
    EXPECT_EQ(v->positionen().at(0).preis, 5.5);
    EXPECT_EQ(v->positionen().at(0).info, "PM");

    e.setzen("cb_rabattpositionen.Checked", false);
    tippen({1, 0, Taste::Rabatt});
    for (const Position& p : v->positionen()) {
        EXPECT_EQ(p.rabatt, 10);
        EXPECT_TRUE(p.info.endsWith("RM"));
    }
    EXPECT_DOUBLE_EQ(v->gesamtbetrag(), 4.95 - 2.70);

    e.setzen("cb_rabattpositionen.Checked", true);
    v->auswahlSetzen(1);
    tippen({Taste::Loeschen, Taste::Rabatt});
    EXPECT_EQ(v->positionen().at(0).rabatt, 10);
    EXPECT_EQ(v->positionen().at(1).rabatt, 0);

    // What the grid shows is what the local table holds.
    Verkauf neu(dm, e, anzeige);
    neu.laden();
    EXPECT_EQ(neu.positionen().at(0).preis, 5.5);
    EXPECT_EQ(neu.positionen().at(1).menge, -1);
    EXPECT_DOUBLE_EQ(neu.positionen().at(0).gesamt, 4.95);
}

TEST_F(VerkaufTest, UngueltigeTastenwerteAendernNichts) {
    v->BarcodeEingeben("4001234567893");
    const struct {
        QList<int> tasten;
        int ausloeser;
        const char* meldung;
    } faelle[] = {{{Taste::Minus, Taste::Minus, 3}, Taste::Menge, "überprüfen sie den Preis auf Korrektheit!"},
                  {{1, Taste::Komma, Taste::Komma}, Taste::Preis, "überprüfen sie den Preis auf Korrektheit!"},
                  {{Taste::Minus}, Taste::Rabatt, "überprüfen sie den Rabatt auf Korrektheit!"},
                  {{Taste::Komma, Taste::Komma}, Taste::Bar, "überprüfen sie den Barbetrag auf Korrektheit!"}};
    for (const auto& f : faelle) {
        v->tasteDruecken(Taste::Loeschen);
        tippen(f.tasten);
        const QString vorher = v->bar();
        try {
            v->tasteDruecken(f.ausloeser);
            ADD_FAILURE() << f.meldung;
        } catch (const Fehler& fehler) {
            EXPECT_EQ(fehler.text(), QString::fromUtf8(f.meldung));
        }
        EXPECT_EQ(v->bar(), vorher);
        EXPECT_EQ(v->positionen().at(0).menge, 1);
        EXPECT_EQ(v->positionen().at(0).preis, 7.90);
    }
}

TEST_F(VerkaufTest, BargeldUndRueckgeld) {
    v->ArtikelHinzufuegen(knopf("A", 17.30));
    v->Geldtaste(20);
    v->Geldtaste(5);
    EXPECT_DOUBLE_EQ(v->baranzeige(), 25.00);
    EXPECT_DOUBLE_EQ(v->wechselgeld(), 7.70);

    tippen({1, 7, Taste::Komma, 3});
    v->tasteDruecken(Taste::Bar); // exactly the total: no change
    EXPECT_DOUBLE_EQ(v->baranzeige(), 17.30);
    EXPECT_DOUBLE_EQ(v->wechselgeld(), 0);

    tippen({1, 2, Taste::Komma, 5});
    v->tasteDruecken(Taste::Bar);
    EXPECT_DOUBLE_EQ(v->baranzeige(), 12.50);
    EXPECT_DOUBLE_EQ(v->wechselgeld(), 0);

    EXPECT_THROW(v->Zahlentaste("0.5"), Fehler);
    EXPECT_DOUBLE_EQ(v->baranzeige(), 12.50);
    v->Zahlentaste("0,5");
    v->Zahlentaste("10");
    EXPECT_DOUBLE_EQ(v->baranzeige(), 23.00);
    EXPECT_DOUBLE_EQ(v->wechselgeld(), 5.70);

    // A change of the positions recomputes the change.
    v->ArtikelHinzufuegen(knopf("B", 5.00));
    EXPECT_DOUBLE_EQ(v->wechselgeld(), 0.70);
}

TEST_F(VerkaufTest, FuenfRappenUndLetztePositionLoeschen) {
    e.setzen("rg_banknoten.ItemIndex", 1);
    v->ArtikelHinzufuegen(knopf("A", 1.02));
    v->ArtikelHinzufuegen(knopf("B", 2.01));
    EXPECT_DOUBLE_EQ(v->gesamtbetrag(), 3.05);
    v->PositionLoeschen();
    v->PositionLoeschen();
    v->PositionLoeschen(); // nothing left: no error
    EXPECT_DOUBLE_EQ(v->gesamtbetrag(), 0);
    EXPECT_EQ(lokaleZeilen(), 0);
    QSqlQuery q(dm.haupt());
    q.exec("select count(*) from Protokoll where Aufzeichnung like 'Artikel Shopkasse % gelöscht'");
    q.next();
    EXPECT_EQ(q.value(0).toInt(), 2);
}

TEST_F(VerkaufTest, NeuerVerkaufUndAbbrechenLeerenDieErfassung) {
    v->ArtikelHinzufuegen(knopf("A", 4));
    v->Geldtaste(10);
    tippen({3});
    v->NeuerVerkauf();
    EXPECT_TRUE(v->positionen().isEmpty());
    EXPECT_EQ(v->baranzeige(), 0);
    EXPECT_EQ(v->wechselgeld(), 0);
    EXPECT_EQ(v->bar(), "0");
    EXPECT_EQ(lokaleZeilen(), 0);

    v->ArtikelHinzufuegen(knopf("A", 4));
    v->Abbrechen("Eva");
    EXPECT_EQ(lokaleZeilen(), 0);
    QSqlQuery q(dm.haupt());
    q.exec("select Aufzeichnung from Protokoll where Aufzeichnung like 'Kassa:%'");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "Kassa: 1 Verk.: Eva  Barverkauf wurde abgebrochen");
}
