#pragma once
#include "register/ArtikelDatenX.h"

#include <QString>
#include <array>
#include <optional>

class Tdm_datenbank;
class Einstellungen;

// Windows colour values (0x00BBGGRR) of the register's buttons.
namespace Knopffarbe {
constexpr int Gelb = 65535, Orange = 33023, Rot = 255, Silber = 12632256;
}

struct Gruppenknopf {
    QString text;
    QString hinweis = QStringLiteral("-1"); // group number, "-1" when empty
};

struct Artikelknopf {
    QString text;
    QString hinweis = QStringLiteral("-1"); // article number, "-1" when empty
    int farbe = Knopffarbe::Silber;
    std::optional<TArtikelDatenX> daten;
    QString bild; // picture file to show, empty for none
};

// The six group buttons and 28 article buttons of the register with their
// paging: which article sits on which button follows the slot numbers of the
// master data, one query per page.
class Knopfseiten {
public:
    static constexpr int kGruppen = 6, kArtikel = 28, kFavoriten = -17;

    Knopfseiten(Tdm_datenbank& dm, const Einstellungen& e, const QString& bilderordner);

    // State at start: group page 1, favourites page 1, favourites red.
    void start();
    void favoritenDruecken();
    void gruppeDruecken(int knopf); // 1..6
    void gruppenRunter();
    void gruppenHoch();
    void artikelRunter();
    void artikelHoch();

    const std::array<Gruppenknopf, kGruppen>& gruppen() const { return m_gruppen; }
    const std::array<Artikelknopf, kArtikel>& artikel() const { return m_artikel; }
    int favoritenFarbe() const { return m_favoritenFarbe; }
    int gruppenFarbe(int knopf) const { return m_gruppenFarben.at(knopf - 1); }
    const QString& titel() const { return m_titel; }
    int gruppenPosition() const { return m_gruppenPosition; }
    int artikelPosition() const { return m_artikelPosition; }
    int vonGruppe() const { return m_von; }
    int bisGruppe() const { return m_bis; }

    // A picture path as stored: quotes removed; absolute or below the picture folder.
    static QString bildpfad(const QString& gespeichert, const QString& bilderordner);

private:
    void gruppenseiteFuellen(int s);
    void artikelseiteFuellen(int s, int von, int bis, const QString& titel);
    void favoritenseiteFuellen(int s, const QString& titel);
    void seiteFuellen(int s, const QString& titel, bool favoriten, int von, int bis);
    void farbenZuruecksetzen();
    bool artikelLeer() const;

    Tdm_datenbank& m_dm;
    const Einstellungen& m_e;
    QString m_bilder;
    std::array<Gruppenknopf, kGruppen> m_gruppen;
    std::array<Artikelknopf, kArtikel> m_artikel;
    std::array<int, kGruppen> m_gruppenFarben{};
    int m_favoritenFarbe = Knopffarbe::Gelb;
    QString m_titel;
    int m_gruppenPosition = 1, m_artikelPosition = 1, m_von = 0, m_bis = 32767;
};
