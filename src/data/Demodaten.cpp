#include "data/Demodaten.h"

#include "data/Tdm_datenbank.h"
#include "data/Transaktion.h"
#include "shell/Regional.h"

#include <QSqlQuery>

int Ean13Pruefziffer(const QString& zwoelf) {
    int summe = 0;
    for (int i = 0; i < 12 && i < zwoelf.size(); ++i) summe += zwoelf.at(i).digitValue() * ((i % 2) ? 3 : 1);
    return (10 - summe % 10) % 10;
}

QString Ean13(const QString& zwoelf) { return zwoelf + QString::number(Ean13Pruefziffer(zwoelf)); }

namespace {
struct DemoArtikel {
    const char* name;
    double preis;
    int mwst;
};
struct DemoAussteller {
    const char* name;
    int farbe; // Windows colour value (BGR)
    DemoArtikel artikel[10];
};

const DemoAussteller kAussteller[] = {
    {"Töpferei Huber", 0x9BD1F5,
     {{"Kaffeebecher blau", 14.90, 1}, {"Teekanne groß", 39.00, 1}, {"Müslischale", 12.50, 1},
      {"Vase Rakubrand", 48.00, 1}, {"Butterdose", 19.90, 1}, {"Kerzenhalter", 9.90, 1},
      {"Teller flach", 16.00, 1}, {"Krug 1 Liter", 32.00, 1}, {"Eierbecher 2er", 8.50, 1},
      {"Blumentopf klein", 11.00, 1}}},
    {"Imkerei Sonnenhang", 0x4FC6F7,
     {{"Blütenhonig 500 g", 7.90, 2}, {"Waldhonig 500 g", 8.90, 2}, {"Honig cremig 250 g", 4.90, 2},
      {"Propolis Tinktur", 12.00, 1}, {"Bienenwachskerze", 6.50, 1}, {"Met 0,5 l", 11.90, 1},
      {"Honigbonbons", 3.20, 2}, {"Wabenhonig", 9.50, 2}, {"Honigsenf", 4.20, 2}, {"Pollen 100 g", 5.80, 2}}},
    {"Strickstube Maria", 0xC9A2E8,
     {{"Wollsocken Gr. 38", 18.00, 1}, {"Wollsocken Gr. 42", 19.00, 1}, {"Mütze Zopfmuster", 24.00, 1},
      {"Schal lang", 35.00, 1}, {"Fäustlinge", 16.50, 1}, {"Stirnband", 12.00, 1},
      {"Babyschuhe", 14.00, 1}, {"Topflappen 2er", 7.50, 1}, {"Wolle 100 g", 6.90, 1},
      {"Stulpen", 15.00, 1}}},
    {"Holzwerk Berger", 0x6FA8DC,
     {{"Schneidbrett Eiche", 29.00, 1}, {"Kochlöffel Buche", 5.50, 1}, {"Salatbesteck", 14.00, 1},
      {"Frühstücksbrett", 12.90, 1}, {"Holzspielzeug Auto", 22.00, 1}, {"Vogelhaus", 34.00, 1},
      {"Untersetzer 4er", 9.90, 1}, {"Serviettenhalter", 11.50, 1}, {"Pfeffermühle", 27.00, 1},
      {"Schlüsselbrett", 18.50, 1}}},
    {"Kräutergarten Lind", 0x93D6A9,
     {{"Kräutersalz 100 g", 4.50, 2}, {"Pfefferminztee", 5.20, 2}, {"Kamillentee", 4.80, 2},
      {"Lavendelsäckchen", 6.00, 1}, {"Kräuteröl 250 ml", 9.80, 2}, {"Basilikum Topf", 3.50, 2},
      {"Rosmarin Topf", 3.50, 2}, {"Ringelblumensalbe", 8.50, 1}, {"Chilisalz", 4.90, 2},
      {"Gewürzmischung", 5.60, 2}}},
    {"Glaskunst Weber", 0xE6C79C,
     {{"Glasperlenkette", 26.00, 1}, {"Windlicht", 17.50, 1}, {"Glasanhänger", 9.00, 1},
      {"Trinkglas 2er", 15.00, 1}, {"Glasschale", 32.00, 1}, {"Ohrringe Glas", 19.00, 1},
      {"Fensterbild", 21.00, 1}, {"Briefbeschwerer", 14.50, 1}, {"Weihnachtskugel", 7.90, 1},
      {"Glasengel", 12.00, 1}}},
};
} // namespace

int DemodatenAnlegen(Tdm_datenbank& dm) {
    QSqlQuery& vorhanden = dm.ausfuehren(dm.haupt(), QStringLiteral("select count(*) from Artikelstamm"));
    if (vorhanden.next() && vorhanden.value(0).toInt() > 0) return 0;

    Transaktion t(dm, QStringLiteral("Demodaten"));
    dm.ausfuehren(dm.haupt(), QStringLiteral("update Firmenstamm set Name_FI = ?, Strasse_FI = ?, PLZ_FI = ?, Ort_FI = ? "
                                             "where Firma = 1"),
                  {QStringLiteral("Kunsthandwerk am Markt"), QStringLiteral("Marktplatz 3"), QStringLiteral("4020"),
                   QStringLiteral("Linz")});
    int anzahl = 0;
    int favorit = 0;
    for (int g = 0; g < 6; ++g) {
        const DemoAussteller& a = kAussteller[g];
        const int gruppe = g + 2; // group 1 stays "Allgemein"
        dm.ausfuehren(dm.haupt(),
                      QStringLiteral("insert into Artikelgruppen (Artikelgruppe, Name_AG, Reihenfolge, Farbe, Aktiv, "
                                     "IstKassaGruppe) values (?, ?, ?, ?, 1, 1)"),
                      {gruppe, QString::fromUtf8(a.name), g + 1, a.farbe});
        for (int i = 0; i < 10; ++i) {
            const DemoArtikel& art = a.artikel[i];
            const QString nummer = QString::number(gruppe * 1000 + i + 1);
            const QString ean = Ean13(QStringLiteral("400%1%2").arg(gruppe, 4, 10, QLatin1Char('0')).arg(i + 1, 5, 10, QLatin1Char('0')));
            const bool istFavorit = i < 2;
            const QString name = QString::fromUtf8(art.name);
            dm.ausfuehren(
                dm.haupt(),
                QStringLiteral("insert into Artikelstamm (Artikel, Name_AR, Artikelgruppe, Preis1, Einkaufspreis, "
                               "Suchbegriff, Einheit, Rabattfaehig, MWST, EANCode, IstFavorit, Favoritenreihenfolge, "
                               "ButtonFarbe, Aktiv, IstKassaArtikel, ReihenfolgeInGruppe, Buttontext1, Buttontext2, "
                               "PreisAenderbar) values (?, ?, ?, ?, ?, ?, 'Stk', 1, ?, ?, ?, ?, ?, 1, 1, ?, ?, ?, 1)"),
                {nummer, name, gruppe, art.preis, art.preis * 0.6, name.toUpper(), art.mwst, ean, istFavorit ? 1 : 0,
                 istFavorit ? ++favorit : -1, a.farbe, i + 1, name, Regional::betrag(art.preis) + QStringLiteral(" €")});
            ++anzahl;
        }
    }
    t.commit();
    return anzahl;
}
