#include "Testumgebung.h"
#include "data/Demodaten.h"
#include "data/Tdm_datenbank.h"
#include "shell/Einstellungen.h"
#include "shell/Fehler.h"
#include "shell/Tfrm_barverkauf.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Hauptfenster : ::testing::Test {
    Testumgebung u;
    Dialogbeantworter antwort;
    std::unique_ptr<Tfrm_barverkauf> f;

    // Stored settings as a previous run left them.
    void vorher(const std::function<void(Einstellungen&)>& setzen) {
        Einstellungen e(u.iniDatei());
        e.laden();
        setzen(e);
        e.speichern();
    }
    // Shows the window the way the program does and waits for the start-up sequence.
    bool starten() {
        f = std::make_unique<Tfrm_barverkauf>(u.datenordner(), u.iniDatei());
        QSignalSpy fertig(f.get(), &Tfrm_barverkauf::startBeendet);
        f->resize(1024, 768);
        f->show();
        if (!fertig.wait(5000)) return false;
        return fertig.first().first().toBool();
    }
    QStringList sichtbareTabs() {
        auto* pc = f->findChild<QTabWidget*>("pc_main");
        QStringList namen;
        for (int i = 0; i < pc->count(); ++i)
            if (pc->isTabVisible(i)) namen << pc->widget(i)->objectName();
        return namen;
    }
    void doppelklickAufBetrag() { QTest::mouseDClick(f->findChild<QWidget*>("lbl_betrag"), Qt::LeftButton); }
    int protokollZeilen(const QString& text) {
        Tdm_datenbank dm("pruefen");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        QSqlQuery& q = dm.ausfuehren(dm.haupt(), "select count(*) from Protokoll where Aufzeichnung = ?", {text});
        return q.next() ? q.value(0).toInt() : -1;
    }
};

// The VAT rates the Austrian mode accepts.
void oesterreichischeSaetze(Einstellungen& e) {
    e.setzen("ed_mwst_a.Text", "20");
    e.setzen("ed_mwst_b.Text", "10");
    e.setzen("ed_mwst_c.Text", "13");
    e.setzen("ed_mwst_d.Text", "0");
}

const QStringList kAlleTabs{"ts_barverkauf", "ts_tagesabrechnung", "ts_kassenjournal", "ts_journal",
                            "ts_artikel",    "ts_einstellungen",   "ts_beschleunigen", "ts_zahlungsterminal"};

} // namespace

TEST_F(Hauptfenster, KassiereransichtUndVerwaltungsansichtPerDoppelklick) {
    ASSERT_TRUE(starten());
    EXPECT_EQ(sichtbareTabs(), QStringList{"ts_barverkauf"});
    EXPECT_FALSE(f->findChild<QWidget*>("pnl_fuss2")->isVisible());

    doppelklickAufBetrag();
    EXPECT_EQ(sichtbareTabs(), kAlleTabs);
    EXPECT_TRUE(f->findChild<QWidget*>("pnl_fuss2")->isVisible());
    EXPECT_EQ(antwort.pinAbfragen, 0); // no login configured

    // Leaving the administration view from another tab goes back to the register.
    f->findChild<QTabWidget*>("pc_main")->setCurrentIndex(5);
    doppelklickAufBetrag();
    EXPECT_EQ(sichtbareTabs(), QStringList{"ts_barverkauf"});
    EXPECT_EQ(f->findChild<QTabWidget*>("pc_main")->currentWidget()->objectName(), "ts_barverkauf");
    EXPECT_EQ(protokollZeilen("KASSENSTART"), 1);
}

TEST_F(Hauptfenster, PinBeimStartUndVorDerVerwaltungsansicht) {
    vorher([](Einstellungen& e) {
        e.setzen("cb_login.Checked", true);
        e.setzen("ed_login.Text", "2468");
    });
    antwort.pin = "3607"; // the service PIN opens as well
    ASSERT_TRUE(starten());
    EXPECT_EQ(antwort.pinAbfragen, 1);

    antwort.pin = "1111";
    doppelklickAufBetrag();
    EXPECT_EQ(sichtbareTabs(), QStringList{"ts_barverkauf"});
    EXPECT_EQ(antwort.texte.last(), "falscher PIN!");

    // The keyboard does not reach the hidden tabs either.
    auto* pc = f->findChild<QTabWidget*>("pc_main");
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(pc, Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClick(pc->tabBar(), Qt::Key_Right);
    }
    EXPECT_EQ(pc->currentWidget()->objectName(), "ts_barverkauf");

    antwort.pin = "2468";
    doppelklickAufBetrag();
    EXPECT_EQ(sichtbareTabs(), kAlleTabs);
}

TEST_F(Hauptfenster, FalscherPinBeimStartSchliesstDasFenster) {
    for (const QString& pin : {QStringLiteral("0000"), QString()}) {
        vorher([](Einstellungen& e) { e.setzen("cb_login.Checked", true); });
        antwort.pin = pin;
        EXPECT_FALSE(starten());
        EXPECT_FALSE(f->isVisible()) << qPrintable(pin);
        EXPECT_EQ(antwort.texte.last(), "falscher PIN!");
        f.reset();
    }
    // The databases were never opened.
    EXPECT_FALSE(QFile::exists(u.hauptdatei()));
}

TEST_F(Hauptfenster, RksvSchalterUndKassenIdWerdenInDieDatenbankGespiegelt) {
    ASSERT_TRUE(starten());
    f->einstellungen().setzen("sw_rksv2017.StateOn", true);
    f->einstellungen().setzen("ed_kassenID.Text", "KASSE7");
    f->findChild<QWidget*>("btn_schliessen")->setVisible(true);
    f->close();
    {
        Tdm_datenbank dm("pruefen");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        const TEinstellungen zeile = dm.EinstellungenLesen();
        EXPECT_EQ(zeile.RKSV, 1);
        EXPECT_EQ(zeile.KassenID, "KASSE7");
    }
    EXPECT_EQ(protokollZeilen("KASSENENDE"), 1);

    // A new installation on the same database: its own settings file is empty.
    QFile::remove(u.iniDatei());
    EXPECT_FALSE(starten()); // the default VAT rates do not fit the Austrian mode
    EXPECT_TRUE(f->einstellungen().an("sw_rksv2017.StateOn"));
    EXPECT_EQ(f->einstellungen().text("ed_kassenID.Text"), "KASSE7");
    ASSERT_FALSE(antwort.texte.isEmpty());
    EXPECT_TRUE(antwort.texte.last().startsWith("MwSt Reihenfolge (soll 20%,10%,13%,0 sein) stimmt nicht"));
    f.reset();
    EXPECT_EQ(protokollZeilen("MwSt Reihenfolge (soll 20%,10%,13%,0 sein) stimmt nicht für RKSV 2017!\r"
                              "Bitte wenden Sie sich an Ihren Kassenbetreuer."),
              1);
}

TEST_F(Hauptfenster, OesterreichUndDeutschlandSchliessenEinanderAus) {
    vorher([](Einstellungen& e) {
        e.setzen("sw_rksv2017.StateOn", true);
        e.setzen("sw_kassensichv.StateOn", true);
        oesterreichischeSaetze(e);
    });
    EXPECT_FALSE(starten());
    EXPECT_TRUE(antwort.texte.last().startsWith("Es kann nicht RKSV und KassenSichV"));
}

TEST_F(Hauptfenster, RksvNurMitEinerFirma) {
    {
        Tdm_datenbank dm("vorbereiten");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        dm.ausfuehren(dm.haupt(), "insert into Firmenstamm (Firma, Name_FI) values (2, 'Zweite')");
    }
    vorher([](Einstellungen& e) {
        e.setzen("sw_rksv2017.StateOn", true);
        oesterreichischeSaetze(e);
    });
    EXPECT_FALSE(starten());
    EXPECT_EQ(antwort.texte.last(), "RKSV 2017 Funktion geht nur mit einer Firma!");
}

TEST_F(Hauptfenster, VerbindungsfehlerZeigenMeldungUndLassenDasFensterOffen) {
    const struct {
        const char* datei;
        const char* meldung;
    } faelle[] = {{"ZumoVarelo.db", "Verbindung zur Datenbank fehlgeschlagen!"},
                  {"ZumoVarelo_Lokal.db", "Fehler bei der Verbindung zur lokalen Datenbank!"}};
    for (const auto& fall : faelle) {
        Testumgebung eigene;
        // A folder where the file should be: the driver cannot open it.
        QDir().mkpath(QDir(eigene.datenordner()).filePath(QLatin1String(fall.datei)));
        Tfrm_barverkauf fenster(eigene.datenordner(), eigene.iniDatei());
        EXPECT_THROW(fenster.FormShow(), DatenbankFehler) << fall.datei;
        EXPECT_EQ(antwort.texte.last(), QString::fromUtf8(fall.meldung));
        EXPECT_EQ(fenster.zustand().DatenbankFehlgeschlagen, QLatin1String(fall.datei) == "ZumoVarelo.db");
    }
}

TEST_F(Hauptfenster, StartBringtAlteDatenbankAufStandUndRaeumtProtokollAuf) {
    FixtureLaden(QStringLiteral(ORVENPOS_FIXTURES "/altschema.sql"), u.hauptdatei());
    {
        Tdm_datenbank dm("vorbereiten");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        dm.ProtokollEintragen("", "uralt", QDateTime::currentDateTime().addDays(-4000));
    }
    ASSERT_TRUE(starten());
    Tdm_datenbank dm("pruefen");
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    EXPECT_TRUE(dm.dialekt().spalten(dm.haupt(), "Barverkaeufe").contains("Umsatzzaehler"));
    EXPECT_EQ(protokollZeilen("uralt"), 0);
    EXPECT_EQ(protokollZeilen("KASSENSTART"), 2); // the old database's own start entry stays
    EXPECT_EQ(f->zustand().Waehrungssymbol, "€");
}

TEST_F(Hauptfenster, VersteckteTastenUndHerunterfahren) {
    ASSERT_TRUE(starten());
    doppelklickAufBetrag();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    auto* pfad = f->findChild<QWidget*>("ed_netzlaufwerkordner");
    EXPECT_FALSE(f->einstellungen().an("ed_netzlaufwerkordner.Visible"));
    QTest::keyRelease(f.get(), Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_TRUE(f->einstellungen().an("ed_netzlaufwerkordner.Visible"));
    EXPECT_FALSE(pfad->isHidden());
    QTest::keyRelease(f.get(), Qt::Key_F4, Qt::ShiftModifier);
    EXPECT_TRUE(pfad->isHidden());

    auto* upgrade = f->findChild<QWidget*>("btn_upgrade");
    QTest::keyRelease(f.get(), Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_FALSE(upgrade->isHidden());

    const QString marke = u.pfad("heruntergefahren");
    qputenv("ORVENPOS_HERUNTERFAHREN", ("touch " + marke).toLocal8Bit());
    QTest::mouseClick(f->findChild<QWidget*>("btn_shutdown"), Qt::LeftButton);
    qunsetenv("ORVENPOS_HERUNTERFAHREN");
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(f->zustand().HerunterfahrenBeimSchliessen);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marke); }, 5000));
}

// Renders every screen to a PNG in the build folder for a reviewer to look at.
TEST_F(Hauptfenster, BildschirmfotosAllerTabs) {
    {
        Tdm_datenbank dm("demo");
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        DemodatenAnlegen(dm);
    }
    ASSERT_TRUE(starten());
    QDir().mkpath(QStringLiteral(ORVENPOS_BIN_DIR "/../screenshots"));
    // Usable on a 1024×768 touch screen.
    EXPECT_LE(f->minimumSizeHint().width(), 1024);
    EXPECT_LE(f->minimumSizeHint().height(), 768);
    EXPECT_EQ(f->size(), QSize(1024, 768));
    // A larger screen gets larger writing, in proportion.
    auto* gesamt = f->findChild<QWidget*>("ed_gesamtbetrag");
    auto* knopf = f->findChild<QWidget*>("b_1");
    const int gesamtKlein = gesamt->font().pointSize(), knopfKlein = knopf->font().pointSize();
    f->resize(1600, 1200);
    QTest::qWait(20);
    f->grab().toImage().save(QStringLiteral(ORVENPOS_BIN_DIR "/../screenshots/ts_barverkauf_1600x1200.png"));
    f->resize(2048, 1536);
    EXPECT_EQ(gesamt->font().pointSize(), 2 * gesamtKlein);
    EXPECT_EQ(knopf->font().pointSize(), std::clamp(2 * knopfKlein, 8, 48));
    f->resize(1024, 768);
    EXPECT_EQ(gesamt->font().pointSize(), gesamtKlein);
    for (const char* knopf : {"b_1", "b_3", "b_5"}) QTest::mouseClick(f->findChild<QWidget*>(knopf), Qt::LeftButton);
    QTest::mouseClick(f->findChild<QWidget*>("b2"), Qt::LeftButton);
    doppelklickAufBetrag();
    const QString ziel = QStringLiteral(ORVENPOS_BIN_DIR "/../screenshots");
    QDir().mkpath(ziel);
    auto* pc = f->findChild<QTabWidget*>("pc_main");
    auto* innen = f->findChild<QTabWidget*>("pc_einstellungen");
    for (int i = 0; i < pc->count(); ++i) {
        pc->setCurrentIndex(i);
        const QString name = pc->widget(i)->objectName();
        const int seiten = name == "ts_einstellungen" ? innen->count() : 1;
        for (int s = 0; s < seiten; ++s) {
            if (name == "ts_einstellungen") innen->setCurrentIndex(s);
            QTest::qWait(20);
            const QString datei = QDir(ziel).filePath(
                name == "ts_einstellungen" ? innen->widget(s)->objectName() + ".png" : name + ".png");
            const QImage bild = f->grab().toImage();
            ASSERT_FALSE(bild.isNull());
            ASSERT_TRUE(bild.save(datei)) << qPrintable(datei);
        }
    }
    EXPECT_TRUE(QFile::exists(QDir(ziel).filePath("ts_barverkauf.png")));
    EXPECT_TRUE(QFile::exists(QDir(ziel).filePath("ts_settings.png")));
}

TEST_F(Hauptfenster, InformationstextWirdBeimSchliessenGespeichertUndBeimStartGezeigt) {
    ASSERT_TRUE(starten());
    auto* editor = f->findChild<QTextEdit*>("me_zusatztext");
    QTextCursor c(editor->document());
    QTextCharFormat fett;
    fett.setFontWeight(QFont::Bold);
    c.insertText("Heute Kürbisfest!", fett);
    f->close();
    f.reset();
    EXPECT_TRUE(QFile::exists(QDir(u.datenordner()).filePath("Information.rtf")));

    ASSERT_TRUE(starten());
    auto* anzeige = f->findChild<QTextBrowser*>("me_anleitung");
    EXPECT_EQ(anzeige->toPlainText(), "Heute Kürbisfest!");
    EXPECT_EQ(anzeige->document()->find("Kürbisfest").charFormat().fontWeight(), QFont::Bold);
}
