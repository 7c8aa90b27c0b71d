#pragma once
#include "register/ArtikelDatenX.h"
#include "shell/Fehler.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <array>
#include <optional>

class Tdm_datenbank;
class Einstellungen;
class Kundenanzeige;

// One position of the sale being entered (a row of the local table).
struct Position {
    int id = 0;
    QString artikel, artikelName, text, einheit, info, zusatztext1;
    double menge = 0, preis = 0, rabatt = 0, gesamt = 0, einkaufspreis = 0;
    // Shown unrounded in the grid.
    double betrag() const { return (100.0 - rabatt) * preis * menge / 100.0; }
};

// What a scanned code asks for: the code to look up and an optional weight or price.
struct Barcode {
    QString suchcode;
    std::optional<double> menge, preis;
};

// An unknown barcode: the register beeps before showing the message.
class BarcodeUnbekannt : public Fehler {
public:
    using Fehler::Fehler;
};

// Keypad tags of the register's number pad.
namespace Taste {
constexpr int Komma = 10, Minus = 100, Loeschen = 200, Bar = 300, Menge = 400, Preis = 500, Rabatt = 600;
}

// The sale being entered: positions in the local table, the keypad, the
// running total, cash given and change. Errors are thrown as Fehler with the
// catalogue text; nothing changes when one is thrown.
class Verkauf : public QObject {
    Q_OBJECT
public:
    Verkauf(Tdm_datenbank& dm, const Einstellungen& e, Kundenanzeige& anzeige, QObject* eltern = nullptr);

    // Reads the local table again (e.g. positions left by an earlier run).
    void laden();
    const QVector<Position>& positionen() const { return m_positionen; }
    int auswahl() const { return m_auswahl; }
    void auswahlSetzen(int zeile);
    void auswahlHoch();
    void auswahlRunter();

    void ArtikelHinzufuegen(const TArtikelDatenX& artikel);
    void BarcodeEingeben(const QString& eingabe);
    // In-store codes: prefix check and weight or price digits.
    static Barcode BarcodeAuswerten(const QString& code, const Einstellungen& e);

    const QString& bar() const { return m_bar; }
    void tasteDruecken(int tag);
    void ZusatztextSetzen(const QString& text);
    void PositionLoeschen();
    void NeuerVerkauf();
    void Abbrechen(const QString& verkaeufer);

    void Geldtaste(double betrag);
    void Zahlentaste(const QString& beschriftung);

    double gesamtbetrag() const { return m_gesamt; }
    double baranzeige() const { return m_bargeld; }
    double wechselgeld() const { return m_wechselgeld; }
    // VAT per rate A to D, shown once a sale is stored; a change of the positions clears them.
    const std::array<double, 4>& mwst() const { return m_mwst; }
    void mwstSetzen(const std::array<double, 4>& mwst);
    // While a sale is being stored the total is not recomputed.
    void speichernLaeuft(bool an) { m_speichern = an; }
    bool fuenfCent() const;

signals:
    void geaendert();
    void positionEingefuegt();

private:
    double tastenwert(const char* fehlerId) const;
    void hinzufuegen(const QString& artikel, const QString& name, const QString& einheit, double menge, double preis);
    void zeileSchreiben(const Position& p);
    void alleLoeschen();
    void neuerVerkaufZuruecksetzen();
    void summeBerechnen();
    void wechselgeldBerechnen();
    void protokoll(const QString& text);

    Tdm_datenbank& m_dm;
    const Einstellungen& m_e;
    Kundenanzeige& m_anzeige;
    QVector<Position> m_positionen;
    int m_auswahl = -1;
    QString m_bar = QStringLiteral("0");
    double m_gesamt = 0, m_bargeld = 0, m_wechselgeld = 0;
    std::array<double, 4> m_mwst{};
    bool m_speichern = false;
};
