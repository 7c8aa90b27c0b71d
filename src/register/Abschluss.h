#pragma once
#include "shell/Fehler.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <map>

class Tdm_datenbank;
class Einstellungen;
class Verkauf;
struct Anwendungszustand;
struct TMwStSaetze;

// VAT split of one sale over the rates A to D.
struct TMwStAufteilung {
    double Gesamt = 0;
    double MwStA = 0, MwStB = 0, MwStC = 0, MwStD = 0;
    double NettoA = 0, NettoB = 0, NettoC = 0, NettoD = 0;
};

// The five buttons that complete a sale.
enum class Zahlknopf { Speichern, Bargeld, Bankomat, Kreditkarte, Gutschrift };
int ZahlungsartVon(Zahlknopf knopf);

// What the register screen shows of the fiscal devices when a sale is completed.
struct Fiskalstatus {
    QString kartenleserText;
    int kartenleserTag = 0;
    bool tseVorhanden = false;
    QString transaktionsnr, transaktionstartzeit;
    int bargeldTag = 0; // the cash button's tag marks a start receipt
};

// Everything the steps of one completion share.
struct Abschlusskontext {
    Zahlknopf knopf = Zahlknopf::Speichern;
    int zahlungsart = 0;
    QDateTime zeit; // read once, used everywhere
    int firma = 1, periode = 20120101, kassa = 1;
    int nummer = -1; // the receipt number, drawn inside the transaction
    double gesamtbetrag = 0; // the displayed total
    TMwStAufteilung mwst;
    QString kassenId;
    Fiskalstatus fiskal;
};

// The places where the steps of other parts of the register plug in, in the
// order they run. Inside the transaction unless noted.
enum class Abschlussschritt {
    VorherigerBeleg, // Austrian mode, before the transaction
    Kartenzahlung,   // before the receipt number is drawn
    Signierung,      // Austrian mode, after the rows and the drawer
    TseAbschluss,    // German mode
    Bondruck,        // receipt, RTF copy and tickets
    Kassenbuch,
};

// A check before anything is written failed: show the text, nothing else happened.
class AbschlussAbgelehnt : public Fehler {
public:
    using Fehler::Fehler;
};

// The sale was rolled back; text() is what the register shows (sm_13 + error).
class AbschlussZurueckgesetzt : public Fehler {
public:
    using Fehler::Fehler;
};

// Completing a sale: the local positions become rows of the sale table with a
// new receipt number, in one transaction on the main database, together with
// everything the fiscal mode, the drawer, the printer and the cash book need.
// Any error inside rolls the whole sale back and leaves the positions.
class Abschluss {
public:
    using Schritt = std::function<void(Abschlusskontext&)>;

    Abschluss(Tdm_datenbank& dm, const Einstellungen& e, const Anwendungszustand& zustand, Verkauf& verkauf,
              const QString& datenordner);

    void schrittSetzen(Abschlussschritt stelle, Schritt schritt);

    // Returns the stored receipt number; throws AbschlussAbgelehnt or AbschlussZurueckgesetzt.
    int abschliessen(Zahlknopf knopf, const Fiskalstatus& fiskal);

    // VAT split of the local positions with the given rates.
    TMwStAufteilung MwStAufteilen(const TMwStSaetze& saetze, bool fuenfCent);

private:
    struct Artikelsteuer {
        bool gefunden = false;
        int mwst = -1;
        bool nichtSteuerpflichtig = false;
    };
    struct Lokalzeile {
        QString artikel, groessenbezeichnung, seriennummer, zusatztext1;
        double menge = 0, preis = 0, rabatt = 0, einkaufspreis = 0;
        int anzahlTickets = 0;
        std::array<double, 30> mengen{};
    };
    QList<Lokalzeile> lokaleZeilen();
    TMwStAufteilung aufteilen(const TMwStSaetze& saetze, bool fuenfCent);
    void steuernLesen();
    Artikelsteuer steuer(const QString& artikel) const;
    void zeilenSchreiben(Abschlusskontext& k, const TMwStSaetze& saetze);
    bool schrittAusfuehren(Abschlussschritt stelle, Abschlusskontext& k);
    void ablehnen(const QString& text, bool protokollieren = false);

    Tdm_datenbank& m_dm;
    const Einstellungen& m_e;
    const Anwendungszustand& m_zustand;
    Verkauf& m_verkauf;
    QString m_datenordner;
    std::map<Abschlussschritt, Schritt> m_schritte;
    QString m_einfuegen;
    QHash<QString, Artikelsteuer> m_steuern; // articles of the sale being completed
    QList<Lokalzeile> m_zeilen;               // its local positions, read once
};
