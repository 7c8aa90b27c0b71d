#include "Testumgebung.h"
#include "data/Tdm_datenbank.h"
#include "register/Knopfseiten.h"
#include "shell/Einstellungen.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Knoepfe : ::testing::Test {
    Testumgebung u;
    Tdm_datenbank dm;
    Einstellungen e{u.iniDatei()};
    QString bilder;
    std::unique_ptr<Knopfseiten> k;

    void SetUp() override {
        dm.HauptdatenbankOeffnen(u.hauptdatei());
        bilder = u.pfad("daten/BilderArchiv");
        QDir().mkpath(bilder);
        k = std::make_unique<Knopfseiten>(dm, e, bilder);
    }
    void gruppe(int nr, const QString& name, int slot, int kasse = 1) {
        dm.ausfuehren(dm.haupt(),
                      "insert into Artikelgruppen (Artikelgruppe, Name_AG, Reihenfolge, IstKassaGruppe) values (?, ?, ?, ?)",
                      {nr, name, slot, kasse});
    }
    void artikel(const QString& nr, int gruppe, int slot, const QString& such = "", int kasse = 1, int favorit = -1) {
        dm.ausfuehren(dm.haupt(),
                      "insert into Artikelstamm (Artikel, Name_AR, Artikelgruppe, ReihenfolgeInGruppe, Suchbegriff, "
                      "IstKassaArtikel, IstFavorit, Favoritenreihenfolge, Buttontext1, Buttontext2, ButtonFarbe, Preis1) "
                      "values (?, ?, ?, ?, ?, ?, ?, ?, ?, '', 255, 1.5)",
                      {nr, "Name " + nr, gruppe, slot, such.isEmpty() ? nr : such, kasse, favorit >= 0 ? 1 : 0, favorit,
                       nr});
    }
    QStringList texte() {
        QStringList t;
        for (const Artikelknopf& a : k->artikel()) t << a.text;
        return t;
    }
};

} // namespace

TEST_F(Knoepfe, SlotsWerdenNachSeitengroesseVerteilt) {
    gruppe(5, "Töpferei", 7); // slot 7: second page, first button
    gruppe(6, "Imkerei", 6);  // slot 6: last button of the first page
    gruppe(7, "Versteckt", 2, 0);
    for (auto [nr, slot] : {std::pair{"A1", 1}, {"A28", 28}, {"A29", 29}, {"AX", -1}}) artikel(nr, 5, slot);
    artikel("NK", 5, 2, "", 0); // not sold at the register
    artikel("B", 5, 3, "B");
    artikel("C", 5, 3, "C"); // same slot, later in the sort order: wins

    k->start();
    EXPECT_EQ(k->gruppen()[5].text, "Imkerei");
    EXPECT_EQ(k->gruppen()[5].hinweis, "6");
    EXPECT_EQ(k->gruppen()[1].hinweis, "-1");
    EXPECT_EQ(k->titel(), "Favoriten");
    EXPECT_EQ(k->favoritenFarbe(), Knopffarbe::Rot);

    k->gruppeDruecken(6);
    EXPECT_EQ(k->titel(), "Artikelgruppe  Imkerei");
    EXPECT_EQ(k->gruppenFarbe(6), Knopffarbe::Rot);
    EXPECT_EQ(k->gruppenFarbe(1), Knopffarbe::Orange);
    EXPECT_EQ(k->favoritenFarbe(), Knopffarbe::Gelb);
    EXPECT_TRUE(texte().join("").isEmpty()); // the articles belong to group 5

    k->gruppenRunter();
    EXPECT_EQ(k->gruppen()[0].text, "Töpferei");
    EXPECT_EQ(k->gruppenPosition(), 7);
    k->gruppeDruecken(1);
    EXPECT_EQ(texte()[0], "A1");
    EXPECT_EQ(texte()[27], "A28");
    EXPECT_EQ(texte()[2], "C");
    EXPECT_EQ(texte()[1], ""); // not sold at the register
    EXPECT_EQ(k->artikel()[0].hinweis, "A1");
    EXPECT_EQ(k->artikel()[0].farbe, 255);
    ASSERT_TRUE(k->artikel()[0].daten.has_value());
    EXPECT_EQ(k->artikel()[0].daten->Artikelpreis_1, 1.5);
    EXPECT_EQ(k->artikel()[5].hinweis, "-1");
    EXPECT_EQ(k->artikel()[5].farbe, Knopffarbe::Silber);
    EXPECT_EQ(k->vonGruppe(), 5);

    k->artikelRunter();
    EXPECT_EQ(k->artikelPosition(), 29);
    EXPECT_EQ(texte()[0], "A29");
    EXPECT_EQ(k->titel(), "Artikelgruppe  Töpferei");
}

TEST_F(Knoepfe, BlaetternMitUndOhneScrollbegrenzer) {
    gruppe(5, "Eins", 1);
    artikel("A1", 5, 1, "", 1, 3);
    k->start();
    EXPECT_EQ(texte()[2], "A1"); // favourite slot 3
    EXPECT_EQ(k->vonGruppe(), Knopfseiten::kFavoriten);

    k->artikelHoch();
    EXPECT_EQ(k->artikelPosition(), 1); // the first page stays
    k->gruppenHoch();
    EXPECT_EQ(k->gruppenPosition(), 1);

    k->artikelRunter(); // empty page: bounces back
    EXPECT_EQ(k->artikelPosition(), 1);
    EXPECT_EQ(texte()[2], "A1");
    k->gruppenRunter();
    EXPECT_EQ(k->gruppenPosition(), 1);
    EXPECT_EQ(k->gruppen()[0].text, "Eins");

    e.setzen("cb_argr_scrollbegraenzer.Checked", false);
    k->artikelRunter();
    EXPECT_EQ(k->artikelPosition(), 29);
    EXPECT_TRUE(texte().join("").isEmpty());
    k->gruppenRunter();
    EXPECT_EQ(k->gruppenPosition(), 7);
}

TEST_F(Knoepfe, BilderInAnfuehrungszeichenOderImArchiv) {
    QImage bild(4, 4, QImage::Format_RGB32);
    bild.fill(Qt::red);
    ASSERT_TRUE(bild.save(QDir(bilder).filePath("honig.png")));
    const QString absolut = u.pfad("anderswo.png");
    ASSERT_TRUE(bild.save(absolut));
    EXPECT_EQ(Knopfseiten::bildpfad("\"honig.png\"", bilder), QDir(bilder).filePath("honig.png"));
    EXPECT_EQ(Knopfseiten::bildpfad(" " + absolut + " ", bilder), absolut);
    EXPECT_EQ(Knopfseiten::bildpfad("fehlt.png", bilder), "");
    EXPECT_EQ(Knopfseiten::bildpfad("", bilder), "");

    gruppe(5, "Eins", 1);
    artikel("A1", 5, 1);
    artikel("A2", 5, 2);
    dm.ausfuehren(dm.haupt(), "update Artikelstamm set BildAufKasse = 1, Bildpfad = '\"honig.png\"' where Artikel = 'A1'");
    dm.ausfuehren(dm.haupt(), "update Artikelstamm set BildAufKasse = 1, Bildpfad = 'fehlt.png' where Artikel = 'A2'");
    k->start();
    k->gruppeDruecken(1);
    EXPECT_EQ(k->artikel()[0].bild, QDir(bilder).filePath("honig.png"));
    EXPECT_EQ(k->artikel()[1].bild, "");
    e.setzen("cb_artikelbilder.Checked", false);
    k->gruppeDruecken(1);
    EXPECT_EQ(k->artikel()[0].bild, "");
}
