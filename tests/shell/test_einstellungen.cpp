#include "Testumgebung.h"
#include "shell/Einstellungen.h"
#include "shell/Fehler.h"
#include "shell/Startregeln.h"

#include <QDir>
#include <QSettings>
#include <QTime>
#include <gtest/gtest.h>

TEST(Einstellungen, ErsterStartHatDieStandardwerte) {
    Testumgebung u;
    Einstellungen e(u.iniDatei());
    e.laden();
    const TMwStSaetze m = e.MwStSaetzeLesen();
    EXPECT_EQ(m.A, 19);
    EXPECT_EQ(m.B, 7);
    EXPECT_DOUBLE_EQ(m.C, 10.7);
    EXPECT_EQ(m.D, 0);
    EXPECT_EQ(e.text("ed_waehrung.Text"), "€");
    EXPECT_EQ(e.zahl("ed_anzahl_bons.Value"), 1);
    EXPECT_EQ(e.text("ed_kassanummer.Text"), "1");
    EXPECT_EQ(e.text("ed_login.Text"), "9481");
    EXPECT_FALSE(e.an("cb_login.Checked"));
    EXPECT_EQ(e.wert("ed_biszeit.Time").toTime(), QTime(23, 59, 59));
    EXPECT_EQ(e.zeilen("me_vorgangentnahmen.Lines").first(), "Privatentnahme");
}

TEST(Einstellungen, WerteUeberlebenEinenNeustartUndFehlendeFallenAufDenStandard) {
    Testumgebung u;
    {
        Einstellungen e(u.iniDatei());
        e.laden();
        e.setzen("cb_drucker.Text", "Bondrucker");
        e.setzen("ed_kassanummer.Text", "3");
        e.setzen("cb_login.Checked", true);
        e.setzen("rg_banknoten.ItemIndex", 2);
        e.setzen("ed_vonzeit.Time", QTime(6, 30, 0));
        e.setzen("me_vorgangeinlagen.Lines", QStringList{"Wechselgeld, Morgen", "Trinkgeld"});
        e.setzen("me_zusatztext.Lines", QStringList{});
        e.setzen("ed_e3.Value", 2.5);
        e.speichern();
    }
    {
        Einstellungen e(u.iniDatei());
        e.laden();
        EXPECT_EQ(e.text("cb_drucker.Text"), "Bondrucker");
        EXPECT_EQ(e.text("ed_kassanummer.Text"), "3");
        EXPECT_TRUE(e.an("cb_login.Checked"));
        EXPECT_EQ(e.zahl("rg_banknoten.ItemIndex"), 2);
        EXPECT_EQ(e.wert("ed_vonzeit.Time").toTime(), QTime(6, 30, 0));
        EXPECT_EQ(e.zeilen("me_vorgangeinlagen.Lines"), (QStringList{"Wechselgeld, Morgen", "Trinkgeld"}));
        EXPECT_TRUE(e.zeilen("me_zusatztext.Lines").isEmpty());
        EXPECT_DOUBLE_EQ(e.wert("ed_e3.Value").toDouble(), 2.5);
    }
    {
        // An administrator deletes one value and spoils another by hand.
        QSettings ini(u.iniDatei(), QSettings::IniFormat);
        ini.remove("Tfrm_barverkauf/cb_drucker.Text");
        ini.setValue("Tfrm_barverkauf/rg_banknoten.ItemIndex", "zwei");
        ini.setValue("Tfrm_barverkauf/cb_papier.Text", "");
    }
    Einstellungen e(u.iniDatei());
    e.laden();
    EXPECT_EQ(e.text("cb_drucker.Text"), "Default");
    EXPECT_EQ(e.text("cb_papier.Text"), "Custom");
    EXPECT_EQ(e.zahl("rg_banknoten.ItemIndex"), 0);
    EXPECT_EQ(e.text("ed_kassanummer.Text"), "3"); // the rest is kept
}

TEST(Einstellungen, JedeGespeicherteEigenschaftWirdGeschrieben) {
    Testumgebung u;
    Einstellungen e(u.iniDatei());
    e.speichern();
    QSettings ini(u.iniDatei(), QSettings::IniFormat);
    ini.beginGroup("Tfrm_barverkauf");
    for (const auto& eintrag : Einstellungen::eintraege())
        EXPECT_EQ(ini.contains(eintrag.schluessel), eintrag.gespeichert) << qPrintable(eintrag.schluessel);
    for (const char* k : {"ed_prefixbarcode3preis.Text", "sw_kassensichv.StateOn", "tb_qrcode2.Position",
                          "pnl_tseeinstellungen.Enabled", "ed_netzlaufwerkordner.Visible"})
        EXPECT_TRUE(ini.contains(QLatin1String(k))) << k;
}

TEST(Einstellungen, MwStSaetzeLesen) {
    Testumgebung u;
    Einstellungen e(u.iniDatei());
    e.setzen("ed_mwst_a.Text", " 20 ");
    e.setzen("ed_mwst_b.Text", "");
    e.setzen("ed_mwst_c.Text", "5,5");
    EXPECT_EQ(e.MwStSaetzeLesen().A, 20);
    EXPECT_EQ(e.MwStSaetzeLesen().B, 0);
    EXPECT_DOUBLE_EQ(e.MwStSaetzeLesen().C, 5.5);
    e.setzen("ed_mwst_d.Text", "zehn");
    EXPECT_THROW(e.MwStSaetzeLesen(), Fehler);
    EXPECT_THROW(e.wert("gibt_es_nicht.Text"), Fehler);
}

TEST(Startregeln, PinWaehrungUndRksvReihenfolge) {
    EXPECT_TRUE(Startregeln::PinGueltig("9481", "9481"));
    EXPECT_TRUE(Startregeln::PinGueltig("3607", "1111"));
    EXPECT_FALSE(Startregeln::PinGueltig("", "9481"));
    EXPECT_FALSE(Startregeln::PinGueltig("94810", "9481"));

    EXPECT_EQ(Startregeln::Waehrungssymbol(" $ "), "USD");
    EXPECT_EQ(Startregeln::Waehrungssymbol("  "), "€");
    EXPECT_EQ(Startregeln::Waehrungssymbol(" CHF"), "CHF");

    const struct {
        double a, b, c, d;
        bool gueltig;
    } faelle[] = {{20, 10, 13, 0, true}, {20, 10, 0, 13, false}, {19, 7, 5, 0, true},
                  {5, 0, 0, 0, true},    {19, 7, 10.7, 0, false}};
    for (const auto& f : faelle) {
        TMwStSaetze m;
        m.A = f.a, m.B = f.b, m.C = f.c, m.D = f.d;
        EXPECT_EQ(Startregeln::RksvMwStReihenfolgeGueltig(m), f.gueltig) << f.a << " " << f.b << " " << f.c << " " << f.d;
    }
}

TEST(Startregeln, DatenbankPfad) {
    Testumgebung u;
    QDir().mkpath(u.pfad("netz"));
    Einstellungen e(u.iniDatei());
    const QString standard = QDir(u.datenordner()).filePath("ZumoVarelo.db");
    e.setzen("ed_netzlaufwerkordner.Text", "\"" + u.pfad("netz") + "\"");
    EXPECT_EQ(Startregeln::HauptdatenbankDatei(e, u.datenordner()), standard); // field hidden: not used
    e.setzen("ed_netzlaufwerkordner.Visible", true);
    EXPECT_EQ(Startregeln::HauptdatenbankDatei(e, u.datenordner()), QDir(u.pfad("netz")).filePath("ZumoVarelo.db"));
    e.setzen("ed_netzlaufwerkordner.Text", u.pfad("fehlt"));
    EXPECT_EQ(Startregeln::HauptdatenbankDatei(e, u.datenordner()), standard);
    e.setzen("ed_netzlaufwerkordner.Text", "  ");
    EXPECT_EQ(Startregeln::HauptdatenbankDatei(e, u.datenordner()), standard);
    EXPECT_EQ(Startregeln::AnfuehrungszeichenEntfernen("\"\"a\"\""), "\"a\"");
}
