#include "Testumgebung.h"
#include "data/Demodaten.h"
#include "data/Tdm_datenbank.h"
#include "register/KassenSeite.h"
#include "register/Verkauf.h"
#include "shell/Einstellungen.h"
#include "shell/Tfrm_barverkauf.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Kasse : ::testing::Test {
    Testumgebung u;
    Dialogbeantworter antwort;
    std::unique_ptr<Tfrm_barverkauf> f;

    void SetUp() override {
        Tdm_datenbank dm("demo");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        DemodatenAnlegen(dm);
    }
    void starten(const std::function<void(Einstellungen&)>& setzen = {}) {
        if (setzen) {
            Einstellungen e(u.iniDatei());
            e.laden();
            setzen(e);
            e.speichern();
        }
        f = std::make_unique<Tfrm_barverkauf>(u.datenordner(), u.iniDatei());
        QSignalSpy fertig(f.get(), &Tfrm_barverkauf::startBeendet);
        f->resize(1024, 768);
        f->show();
        ASSERT_TRUE(fertig.wait(5000));
        ASSERT_TRUE(fertig.first().first().toBool());
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    }
    QWidget* w(const char* name) {
        auto* x = f->findChild<QWidget*>(QLatin1String(name));
        EXPECT_NE(x, nullptr) << name;
        return x;
    }
    void klick(const char* name) { QTest::mouseClick(w(name), Qt::LeftButton); }
    QString text(const char* name) { return static_cast<QLineEdit*>(w(name))->text(); }
    QString knopftext(const char* name) { return static_cast<QPushButton*>(w(name))->text(); }
    const QVector<Position>& positionen() { return f->kasse().verkauf().positionen(); }
    int lokaleZeilen() {
        QSqlQuery q(f->datenbank().lokal());
        q.exec("select count(*) from Artikelpositionen");
        return q.next() ? q.value(0).toInt() : -1;
    }
    void scannen(const QString& code) {
        // A message box closed before: the offscreen platform does not hand the focus back by itself.
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
        QTest::keyClick(f.get(), Qt::Key_F4); // scanners send F4 first
        QTest::keyClicks(QApplication::focusWidget(), code);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
};

} // namespace

TEST_F(Kasse, KassiererTipptArtikelMengeRabattUndBargeld) {
    starten();
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 0,00");
    EXPECT_EQ(static_cast<QLabel*>(w("l_bar_artikel"))->text(), "Favoriten");
    EXPECT_EQ(knopftext("bg_1"), "Töpferei Huber");

    klick("bg_1");
    EXPECT_EQ(static_cast<QLabel*>(w("l_bar_artikel"))->text(), "Artikelgruppe  Töpferei Huber");
    EXPECT_TRUE(knopftext("b_1").startsWith("Kaffeebecher\nblau"));
    klick("b_1"); // 14.90
    klick("b_3"); // Müslischale 12.50
    ASSERT_EQ(positionen().size(), 2);
    EXPECT_EQ(lokaleZeilen(), 2);
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 27,40");

    // Quantity 2 on the selected (last) position, then 10 % on it.
    klick("btn_2");
    EXPECT_EQ(text("ed_bar"), "2");
    klick("btn_menge");
    EXPECT_EQ(positionen().at(1).menge, 2);
    EXPECT_EQ(text("ed_bar"), "0");
    klick("btn_1");
    klick("btn_0");
    klick("btn_rabatt");
    EXPECT_EQ(positionen().at(1).rabatt, 10);
    EXPECT_EQ(positionen().at(0).rabatt, 0);
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 37,40"); // 14.90 + 2 × 12.50 × 0.9

    // Select the first row in the grid and delete it.
    auto* grid = static_cast<QTableView*>(w("gr_barverkauf"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
    klick("btn_loeschen");
    EXPECT_EQ(positionen().size(), 1);
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 22,50");

    klick("b3"); // 50 €
    EXPECT_EQ(text("ed_baranzeige"), "€ 50,00");
    EXPECT_EQ(text("ed_wechselgeld"), "€ 27,50");
    klick("b8"); // 1 €
    EXPECT_EQ(text("ed_wechselgeld"), "€ 28,50");
}

TEST_F(Kasse, ScannerMitF4UndUnbekannterCode) {
    starten();
    scannen(Ean13("400000300001")); // Blütenhonig 500 g
    ASSERT_EQ(positionen().size(), 1);
    EXPECT_EQ(positionen().at(0).artikelName, "Blütenhonig 500 g");
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 7,90");
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "ed_barcode");

    scannen("4000000000000");
    EXPECT_EQ(positionen().size(), 1);
    EXPECT_EQ(antwort.texte.last(), "Artikel zu Barcode konnte nicht gefunden werden!");

    scannen(Ean13("400000300001"));
    EXPECT_EQ(positionen().size(), 2);
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 15,80");
}

TEST_F(Kasse, AbbrechenFragtNachUndNeuerVerkaufLeert) {
    starten();
    klick("b_1"); // favourites page
    klick("b_2");
    ASSERT_EQ(positionen().size(), 2);
    antwort.antwortJa = false;
    klick("btn_barverkauf_abbrechen");
    EXPECT_EQ(antwort.texte.last(), "Barverkauf wirklich abbrechen!");
    EXPECT_EQ(positionen().size(), 2);
    antwort.antwortJa = true;
    klick("btn_barverkauf_abbrechen");
    EXPECT_TRUE(positionen().isEmpty());
    EXPECT_EQ(lokaleZeilen(), 0);

    klick("b_1");
    klick("b0"); // 500 €
    klick("btn_neuerbarverkauf");
    EXPECT_TRUE(positionen().isEmpty());
    EXPECT_EQ(text("ed_baranzeige"), "€ 0,00");
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 0,00");
}

TEST_F(Kasse, ZahlenknoepfeAusDenEinstellungen) {
    starten([](Einstellungen& e) {
        e.setzen("rg_banknoten.ItemIndex", 2);
        e.setzen("bz_8.Text", "0.5"); // a point on a decimal-comma register
    });
    EXPECT_TRUE(w("pnl_rueckgeldzahlen")->isVisible());
    EXPECT_FALSE(w("pnl_euro")->isVisible());
    EXPECT_EQ(knopftext("bz1"), "1000");
    klick("bz9"); // 0,1
    EXPECT_EQ(text("ed_baranzeige"), "€ 0,10");
    klick("bz8");
    EXPECT_TRUE(antwort.texte.last().startsWith("Falsches Zahlenformat auf Schaltfläche!"));
    EXPECT_EQ(text("ed_baranzeige"), "€ 0,10");
}

TEST_F(Kasse, PositionenEinesFrueherenLaufsWerdenBeimStartGeloescht) {
    starten();
    klick("b_1");
    f->close();
    f.reset();
    starten();
    EXPECT_TRUE(positionen().isEmpty());
    EXPECT_EQ(lokaleZeilen(), 0);
}

TEST_F(Kasse, BarzahlungSpeichertUndFehlerLassenDiePositionen) {
    starten();
    klick("b_1");
    klick("b_2");
    klick("b3"); // 50 € given
    klick("btn_bargeld");
    EXPECT_TRUE(positionen().isEmpty());
    EXPECT_EQ(text("ed_gesamtbetrag"), "€ 0,00");
    EXPECT_TRUE(w("ts_barverkauf")->isEnabled());
    QSqlQuery q(f->datenbank().haupt());
    ASSERT_TRUE(q.exec("select count(*), min(Barverkauf_nr), max(BarBetrag), min(Zahlungsart) from Barverkaeufe"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    EXPECT_EQ(q.value(1).toInt(), 1);
    EXPECT_DOUBLE_EQ(q.value(2).toDouble(), 14.90 + 39.00); // the first two favourites
    EXPECT_EQ(q.value(3).toInt(), 0);

    // A price of 0 with the zero-price check on: the message names the reason, the sale stays.
    f->einstellungen().setzen("cb_nullpreise.Checked", true);
    klick("b_1");
    klick("btn_0");
    klick("btn_preis");
    klick("btn_gutschrift");
    EXPECT_TRUE(antwort.texte.last().startsWith("Ein Fehler ist aufgetreten!Transaktion wurde zurückgesetzt.Fehler:"));
    EXPECT_TRUE(antwort.texte.last().endsWith("Abrechnung nicht möglich!"));
    EXPECT_EQ(positionen().size(), 1);
    EXPECT_TRUE(w("ts_barverkauf")->isEnabled());
    EXPECT_TRUE(w("btn_bargeld")->isEnabled());
    EXPECT_FALSE(w("btn_bankomat")->isVisible()); // no card terminal configured
}
