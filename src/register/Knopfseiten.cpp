#include "register/Knopfseiten.h"

#include "data/Tdm_datenbank.h"
#include "shell/Einstellungen.h"
#include "shell/Startregeln.h"
#include "shell/Tfrm_strings.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
// The columns a button needs; the same row fills text, colour and article data.
const QString kArtikelSpalten = QStringLiteral(
    "Artikel, Name_AR, Einheit, Artikelgruppe, Rabattfaehig, MWST, ID_GS, IstKuechenArtikel, IstSchankArtikel, "
    "IstGebaeckArtikel, Lagerfuehrung, Preis1, Preis2, Preis3, Preis4, Preis5, Preis6, Einkaufspreis, "
    "Betrag_Verminderung_1, Betrag_Verminderung_2, Betrag_Verminderung_3, Menge_Verminderung_1, "
    "Menge_Verminderung_2, Menge_Verminderung_3, HatSeriennummern, AnzahlTickets, Pfandartikel, PLU, ButtonFarbe, "
    "Buttontext1, Buttontext2, BildAufKasse, Bildpfad, ReihenfolgeInGruppe, Favoritenreihenfolge");

// Column positions of kArtikelSpalten, looked up once per page.
struct Spaltenindex {
    QHash<QString, int> pos;
    explicit Spaltenindex(const QSqlRecord& r) {
        for (int i = 0; i < r.count(); ++i) pos.insert(r.fieldName(i), i);
    }
};

TArtikelDatenX artikelDaten(const QSqlQuery& q, const Spaltenindex& ix) {
    auto v = [&q, &ix](const char* s) { return q.value(ix.pos.value(QLatin1String(s))); };
    TArtikelDatenX d;
    d.Artikel = v("Artikel").toString();
    d.Name = v("Name_AR").toString();
    d.Einheit = v("Einheit").toString();
    d.Gruppe = v("Artikelgruppe").toInt();
    d.RabattFaehig = v("Rabattfaehig").toInt() == 1;
    d.MWSTSatz = v("MWST").toInt();
    d.ID_GS = v("ID_GS").toInt();
    d.IstKuechenArtikel = v("IstKuechenArtikel").toInt();
    d.IstSchankArtikel = v("IstSchankArtikel").toInt();
    d.IstGebaeckArtikel = v("IstGebaeckArtikel").toInt();
    d.Lagerfuehrung = v("Lagerfuehrung").toInt() == 1;
    d.Artikelpreis_1 = v("Preis1").toDouble();
    d.Artikelpreis_2 = v("Preis2").toDouble();
    d.Artikelpreis_3 = v("Preis3").toDouble();
    d.Artikelpreis_4 = v("Preis4").toDouble();
    d.Artikelpreis_5 = v("Preis5").toDouble();
    d.Artikelpreis_6 = v("Preis6").toDouble();
    d.Einkaufspreis = v("Einkaufspreis").toDouble();
    d.Mengenrabatt_1 = v("Betrag_Verminderung_1").toDouble();
    d.Mengenrabatt_2 = v("Betrag_Verminderung_2").toDouble();
    d.Mengenrabatt_3 = v("Betrag_Verminderung_3").toDouble();
    d.Menge_Verminderung_1 = v("Menge_Verminderung_1").toDouble();
    d.Menge_Verminderung_2 = v("Menge_Verminderung_2").toDouble();
    d.Menge_Verminderung_3 = v("Menge_Verminderung_3").toDouble();
    d.HatSeriennummern = v("HatSeriennummern").toInt() == 1;
    d.AnzahlTickets = v("AnzahlTickets").toInt();
    d.Pfandartikel = v("Pfandartikel").toString();
    d.PLU = v("PLU").toInt();
    return d;
}

// Slots count from 1; the last button of a page takes the slots divisible by the page size.
int knopfIndex(int slot, int seitengroesse) {
    const int r = slot % seitengroesse;
    return r == 0 ? seitengroesse - 1 : r - 1;
}
} // namespace

Knopfseiten::Knopfseiten(Tdm_datenbank& dm, const Einstellungen& e, const QString& bilderordner)
    : m_dm(dm), m_e(e), m_bilder(bilderordner) {
    farbenZuruecksetzen();
}

void Knopfseiten::farbenZuruecksetzen() {
    m_favoritenFarbe = Knopffarbe::Gelb;
    m_gruppenFarben.fill(Knopffarbe::Orange);
}

QString Knopfseiten::bildpfad(const QString& gespeichert, const QString& bilderordner) {
    const QString pfad = Startregeln::AnfuehrungszeichenEntfernen(gespeichert).trimmed();
    if (pfad.isEmpty()) return {};
    if (QFileInfo(pfad).isFile()) return pfad;
    const QString imArchiv = QDir(bilderordner).filePath(pfad);
    return QFileInfo(imArchiv).isFile() ? imArchiv : QString();
}

void Knopfseiten::gruppenseiteFuellen(int s) {
    s = std::max(1, s);
    m_gruppenPosition = s;
    QSqlQuery& q = m_dm.ausfuehren(
        m_dm.haupt(),
        QStringLiteral("select Artikelgruppe, Name_AG, Reihenfolge from Artikelgruppen\nwhere\nIstKassaGruppe = 1 and\n"
                       "Reihenfolge between :pvonreihenfolge and :pbisreihenfolge\norder by Reihenfolge ,Name_AG"),
        {s, s + kGruppen - 1});
    m_gruppen.fill(Gruppenknopf{});
    farbenZuruecksetzen();
    while (q.next()) {
        Gruppenknopf& k = m_gruppen[knopfIndex(q.value(2).toInt(), kGruppen)];
        k.text = q.value(1).toString();
        k.hinweis = q.value(0).toString();
    }
    q.finish();
}

void Knopfseiten::seiteFuellen(int s, const QString& titel, bool favoriten, int von, int bis) {
    s = std::max(1, s);
    m_artikel.fill(Artikelknopf{});
    m_titel = titel;
    m_artikelPosition = s;
    m_von = favoriten ? kFavoriten : von;
    m_bis = favoriten ? kFavoriten : bis;

    QSqlQuery& q =
        favoriten
            ? m_dm.ausfuehren(m_dm.haupt(),
                              QStringLiteral("select %1 from Artikelstamm\nwhere\nIstFavorit = 1  and\n"
                                             "Favoritenreihenfolge >= 0 and\nFavoritenreihenfolge between :pvonreihenfolge "
                                             "and :pbisreihenfolge and\nIstKassaArtikel = 1\norder by "
                                             "Favoritenreihenfolge,Suchbegriff")
                                  .arg(kArtikelSpalten),
                              {s, s + kArtikel - 1})
            : m_dm.ausfuehren(m_dm.haupt(),
                              QStringLiteral("select %1 from Artikelstamm\nwhere\nArtikelgruppe between :pvonartikelgruppe "
                                             "and :pbisartikelgruppe and\nIstKassaArtikel = 1 and\nReihenfolgeInGruppe >= 0 "
                                             "and\nReihenfolgeInGruppe between :pvonreihenfolge and :pbisreihenfolge\n"
                                             "order by ReihenfolgeInGruppe ,Suchbegriff")
                                  .arg(kArtikelSpalten),
                              {von, bis, s, s + kArtikel - 1});
    const bool bilder = m_e.an(QStringLiteral("cb_artikelbilder.Checked"));
    const Spaltenindex ix(q.record());
    auto v = [&q, &ix](const char* s) { return q.value(ix.pos.value(QLatin1String(s))); };
    while (q.next()) {
        const int slot = v(favoriten ? "Favoritenreihenfolge" : "ReihenfolgeInGruppe").toInt();
        Artikelknopf& k = m_artikel[knopfIndex(slot, kArtikel)];
        const QString zeile1 = v("Buttontext1").toString();
        const QString zeile2 = v("Buttontext2").toString();
        k.text = zeile2.trimmed().isEmpty() ? zeile1 : zeile1 + QLatin1Char('\n') + zeile2;
        k.hinweis = v("Artikel").toString();
        k.farbe = v("ButtonFarbe").toInt();
        k.daten = artikelDaten(q, ix);
        k.bild = (bilder && v("BildAufKasse").toInt() == 1) ? bildpfad(v("Bildpfad").toString(), m_bilder) : QString();
    }
    q.finish();
}

void Knopfseiten::artikelseiteFuellen(int s, int von, int bis, const QString& titel) {
    seiteFuellen(s, titel, false, von, bis);
}

void Knopfseiten::favoritenseiteFuellen(int s, const QString& titel) { seiteFuellen(s, titel, true, 0, 0); }

bool Knopfseiten::artikelLeer() const {
    return std::all_of(m_artikel.begin(), m_artikel.end(), [](const Artikelknopf& k) { return k.text.isEmpty(); });
}

void Knopfseiten::start() {
    m_von = 0;
    m_bis = 32767;
    m_artikel.fill(Artikelknopf{});
    gruppenseiteFuellen(1);
    favoritenseiteFuellen(1, Tfrm_strings::text("sko_2"));
    farbenZuruecksetzen();
    m_favoritenFarbe = Knopffarbe::Rot;
}

void Knopfseiten::favoritenDruecken() {
    favoritenseiteFuellen(1, Tfrm_strings::text("sko_2"));
    farbenZuruecksetzen();
    m_favoritenFarbe = Knopffarbe::Rot;
}

void Knopfseiten::gruppeDruecken(int knopf) {
    const Gruppenknopf& g = m_gruppen.at(knopf - 1);
    const int gruppe = g.hinweis.trimmed().toInt();
    artikelseiteFuellen(1, gruppe, gruppe, Tfrm_strings::text("sko_1") + QLatin1Char(' ') + g.text);
    farbenZuruecksetzen();
    m_gruppenFarben[knopf - 1] = Knopffarbe::Rot;
}

void Knopfseiten::gruppenRunter() {
    const int alt = m_gruppenPosition;
    gruppenseiteFuellen(alt + kGruppen);
    const bool leer =
        std::all_of(m_gruppen.begin(), m_gruppen.end(), [](const Gruppenknopf& k) { return k.text.isEmpty(); });
    if (leer && m_e.an(QStringLiteral("cb_argr_scrollbegraenzer.Checked"))) gruppenseiteFuellen(alt);
}

void Knopfseiten::gruppenHoch() { gruppenseiteFuellen(std::max(1, m_gruppenPosition - kGruppen)); }

void Knopfseiten::artikelRunter() {
    const int alt = m_artikelPosition;
    const QString titel = m_titel;
    auto fuellen = [this, &titel](int s) {
        if (m_von == kFavoriten) favoritenseiteFuellen(s, titel);
        else artikelseiteFuellen(s, m_von, m_bis, titel);
    };
    fuellen(alt + kArtikel);
    if (artikelLeer() && m_e.an(QStringLiteral("cb_argr_scrollbegraenzer.Checked"))) fuellen(alt);
}

void Knopfseiten::artikelHoch() {
    const int s = std::max(1, m_artikelPosition - kArtikel);
    if (m_von == kFavoriten) favoritenseiteFuellen(s, m_titel);
    else artikelseiteFuellen(s, m_von, m_bis, m_titel);
}
