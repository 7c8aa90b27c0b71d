#include "register/Verkauf.h"

#include "data/Numerik.h"
#include "data/Tdm_datenbank.h"
#include "register/Kundenanzeige.h"
#include "shell/Einstellungen.h"
#include "shell/Regional.h"
#include "shell/Tfrm_strings.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {
const char* const kGewichtsPraefixe[] = {"ed_prefixbarcode1.Text", "ed_prefixbarcode2.Text", "ed_prefixbarcode3.Text"};
const char* const kPreisPraefixe[] = {"ed_prefixbarcode1preis.Text", "ed_prefixbarcode2preis.Text",
                                      "ed_prefixbarcode3preis.Text"};
} // namespace

Verkauf::Verkauf(Tdm_datenbank& dm, const Einstellungen& e, Kundenanzeige& anzeige, QObject* eltern)
    : QObject(eltern), m_dm(dm), m_e(e), m_anzeige(anzeige) {}

bool Verkauf::fuenfCent() const { return m_e.zahl(QStringLiteral("rg_banknoten.ItemIndex")) == 1; }

void Verkauf::laden() {
    m_positionen.clear();
    QSqlQuery& q = m_dm.ausfuehren(m_dm.lokal(),
                                   QStringLiteral("select ID_Artikelposition, Artikel, ArtikelName, Menge, Preis, Rabatt, "
                                                  "Text, Gesamt, Einheit, Einkaufspreis, Info, Zusatztext1 "
                                                  "from Artikelpositionen order by ID_Artikelposition"));
    while (q.next()) {
        Position p;
        p.id = q.value(0).toInt();
        p.artikel = q.value(1).toString();
        p.artikelName = q.value(2).toString();
        p.menge = q.value(3).toDouble();
        p.preis = q.value(4).toDouble();
        p.rabatt = q.value(5).toDouble();
        p.text = q.value(6).toString();
        p.gesamt = q.value(7).toDouble();
        p.einheit = q.value(8).toString();
        p.einkaufspreis = q.value(9).toDouble();
        p.info = q.value(10).toString();
        p.zusatztext1 = q.value(11).toString();
        m_positionen << p;
    }
    q.finish();
    m_auswahl = m_positionen.isEmpty() ? -1 : 0;
    summeBerechnen();
}

void Verkauf::auswahlSetzen(int zeile) {
    if (zeile < 0 || zeile >= m_positionen.size()) return;
    m_auswahl = zeile;
    emit geaendert();
}
void Verkauf::auswahlHoch() { auswahlSetzen(m_auswahl - 1); }
void Verkauf::auswahlRunter() { auswahlSetzen(m_auswahl + 1); }

void Verkauf::protokoll(const QString& text) {
    m_dm.ProtokollEintragen(QString(), text.left(150), QDateTime::currentDateTime());
}

void Verkauf::hinzufuegen(const QString& artikel, const QString& name, const QString& einheit, double menge,
                          double preis) {
    if (m_positionen.isEmpty()) {
        // First position: the screen starts from zero.
        m_gesamt = m_bargeld = m_wechselgeld = 0;
        m_bar = QStringLiteral("0");
        m_anzeige.neuerVerkauf();
    }
    Position p;
    p.id = m_dm.NeueArtikelpositionID();
    p.artikel = artikel;
    p.artikelName = name;
    p.einheit = einheit;
    p.menge = menge;
    p.preis = preis;
    p.gesamt = PositionsBetrag(menge, preis, 0);
    m_dm.ausfuehren(m_dm.lokal(),
                    QStringLiteral("insert into Artikelpositionen (ID_Artikelposition, Artikel, ArtikelName, Menge, "
                                   "Preis, Rabatt, Text, Gesamt, Einheit, Einkaufspreis, Baustein, Info, Zusatztext1, "
                                   "Groessenbezeichnung, Seriennummer, AnzahlTickets) "
                                   "values (?, ?, ?, ?, ?, 0, '', ?, ?, 0, '', '', '', '', '', 0)"),
                    {p.id, p.artikel, p.artikelName, p.menge, p.preis, p.gesamt, p.einheit});
    m_positionen << p;
    m_auswahl = m_positionen.size() - 1;
    emit positionEingefuegt();
    summeBerechnen();
    m_anzeige.artikelHinzugefuegt(name.trimmed().left(18), m_gesamt);
}

void Verkauf::ArtikelHinzufuegen(const TArtikelDatenX& a) {
    if (a.Artikel.trimmed().isEmpty() || a.Artikel.trimmed() == QLatin1String("-1")) return;
    hinzufuegen(a.Artikel, a.Name, a.Einheit, 1, a.Artikelpreis_1);
}

Barcode Verkauf::BarcodeAuswerten(const QString& code, const Einstellungen& e) {
    Barcode b{code, {}, {}};
    if (code.size() <= 6) return b;
    bool gewicht = false, preis = false;
    for (const char* k : kGewichtsPraefixe) {
        const QString p = e.text(QLatin1String(k));
        if (!p.isEmpty() && code.startsWith(p)) gewicht = true;
    }
    if (!gewicht)
        for (const char* k : kPreisPraefixe) {
            const QString p = e.text(QLatin1String(k));
            if (!p.isEmpty() && code.startsWith(p)) preis = true;
        }
    if ((!gewicht && !preis) || code.size() <= 12) return b;

    // In-store EAN-13: the article is the first seven digits; five digits carry grams or cents.
    b.suchcode = code.left(7) + QStringLiteral("000000");
    const QString ziffern = code.mid(7, 5);
    bool ok = false;
    const int wert = ziffern.toInt(&ok);
    if (!ok) {
        const QString grund = QStringLiteral("'%1' ist kein gültiger ganzzahliger Wert").arg(ziffern);
        throw Fehler((gewicht ? QStringLiteral("Gewicht aus Barcode auslesen fehlgeschalgen!")
                              : QStringLiteral("Preis aus Barcode auslesen fehlgeschalgen!")) +
                     QLatin1Char('\r') + grund);
    }
    if (gewicht) b.menge = wert / 1000.0;
    else b.preis = wert / 100.0;
    return b;
}

void Verkauf::BarcodeEingeben(const QString& eingabe) {
    const QString code = eingabe.trimmed();
    if (code.isEmpty()) return;
    const Barcode b = BarcodeAuswerten(code, m_e);
    const QString artikel = m_dm.ArtikelVonBarcode(b.suchcode);
    if (artikel == QLatin1String("-17")) throw BarcodeUnbekannt(Tfrm_strings::text("sm_24"));
    const TArtikelDaten a = m_dm.ArtikelDatenLesen(artikel);
    if (!a.gefunden) throw Fehler(Tfrm_strings::text("sm_26"));
    hinzufuegen(a.Artikel, a.Name_AR, a.Einheit, b.menge.value_or(1.0), b.preis.value_or(a.Preis[0]));
}

double Verkauf::tastenwert(const char* fehlerId) const {
    bool ok = false;
    const double v = Regional::locale().toDouble(m_bar.trimmed(), &ok);
    if (!ok) throw Fehler(Tfrm_strings::text(fehlerId));
    return v;
}

void Verkauf::zeileSchreiben(const Position& p) {
    m_dm.ausfuehren(m_dm.lokal(),
                    QStringLiteral("update Artikelpositionen set Menge = ?, Preis = ?, Rabatt = ?, Gesamt = ?, Info = ?, "
                                   "Zusatztext1 = ? where ID_Artikelposition = ?"),
                    {p.menge, p.preis, p.rabatt, p.gesamt, p.info, p.zusatztext1, p.id});
}

void Verkauf::tasteDruecken(int tag) {
    if (tag >= 0 && tag <= 9) {
        if (m_bar.trimmed() == QLatin1String("0")) m_bar.clear();
        m_bar += QString::number(tag);
    } else if (tag == Taste::Komma) {
        m_bar += Regional::locale().decimalPoint();
    } else if (tag == Taste::Minus) {
        m_bar = m_bar.trimmed() == QLatin1String("0") ? QStringLiteral("-") : QStringLiteral("-") + m_bar;
    } else if (tag == Taste::Loeschen) {
        m_bar = QStringLiteral("0");
    } else if (tag == Taste::Bar) {
        const double bar = tastenwert("sm_4");
        m_bargeld = bar;
        m_bar = QStringLiteral("0");
        wechselgeldBerechnen();
    } else if (tag == Taste::Menge || tag == Taste::Preis || tag == Taste::Rabatt) {
        const double wert = tastenwert(tag == Taste::Rabatt ? "sm_6" : "sm_5");
        if (!m_positionen.isEmpty() && m_auswahl >= 0) {
            // Work on copies: the table and the list change together or not at all.
            QVector<Position> neu = m_positionen;
            QList<int> zeilen;
            if (tag == Taste::Rabatt && !m_e.an(QStringLiteral("cb_rabattpositionen.Checked")))
                for (int i = 0; i < neu.size(); ++i) zeilen << i;
            else zeilen << m_auswahl;
            for (int i : zeilen) {
                Position& p = neu[i];
                if (tag == Taste::Menge) p.menge = wert;
                else if (tag == Taste::Preis) p.preis = wert, p.info += QStringLiteral("PM");
                else p.rabatt = wert, p.info += QStringLiteral("RM");
                p.gesamt = PositionsBetrag(p.menge, p.preis, p.rabatt);
                zeileSchreiben(p);
            }
            m_positionen = neu;
            summeBerechnen();
            m_anzeige.gesamtZeigen(m_gesamt);
        }
        m_bar = QStringLiteral("0");
    }
    emit geaendert();
}

void Verkauf::ZusatztextSetzen(const QString& text) {
    if (m_auswahl < 0 || m_auswahl >= m_positionen.size()) return;
    Position p = m_positionen.at(m_auswahl);
    p.zusatztext1 = text;
    zeileSchreiben(p);
    m_positionen[m_auswahl] = p;
    emit geaendert();
}

void Verkauf::PositionLoeschen() {
    if (m_positionen.isEmpty() || m_auswahl < 0) return;
    const Position p = m_positionen.at(m_auswahl);
    protokoll(QStringLiteral("Artikel Shopkasse ") + p.artikel + QStringLiteral(" gelöscht"));
    m_dm.ausfuehren(m_dm.lokal(), QStringLiteral("delete from Artikelpositionen where ID_Artikelposition = ?"), {p.id});
    m_positionen.removeAt(m_auswahl);
    if (m_auswahl >= m_positionen.size()) m_auswahl = m_positionen.size() - 1;
    summeBerechnen();
    m_anzeige.gesamtZeigen(m_gesamt);
}

void Verkauf::alleLoeschen() {
    m_dm.ausfuehren(m_dm.lokal(), QStringLiteral("delete  from Artikelpositionen"));
    m_positionen.clear();
    m_auswahl = -1;
}

void Verkauf::mwstSetzen(const std::array<double, 4>& mwst) {
    m_mwst = mwst;
    emit geaendert();
}

void Verkauf::neuerVerkaufZuruecksetzen() {
    m_gesamt = m_bargeld = m_wechselgeld = 0;
    m_mwst.fill(0);
    m_bar = QStringLiteral("0");
    m_anzeige.neuerVerkauf();
}

void Verkauf::NeuerVerkauf() {
    alleLoeschen();
    neuerVerkaufZuruecksetzen();
    emit geaendert();
}

void Verkauf::Abbrechen(const QString& verkaeufer) {
    protokoll(QStringLiteral("Kassa: ") + m_e.text(QStringLiteral("ed_kassanummer.Text")) + QStringLiteral(" Verk.: ") +
              verkaeufer + QStringLiteral("  Barverkauf wurde abgebrochen"));
    neuerVerkaufZuruecksetzen();
    alleLoeschen();
    emit geaendert();
}

void Verkauf::summeBerechnen() {
    if (m_speichern) return;
    double summe = 0;
    for (const Position& p : m_positionen) summe += RundenAufCent(p.preis * p.menge * (100.0 - p.rabatt) / 100.0);
    m_gesamt = fuenfCent() ? RundenAufFuenfCent(summe) : RundenAufCent(summe);
    m_mwst.fill(0);
    wechselgeldBerechnen();
    emit geaendert();
}

void Verkauf::wechselgeldBerechnen() {
    m_wechselgeld = 0;
    const double differenz = RundenAufCent(m_bargeld - m_gesamt);
    if (differenz > 0) {
        m_wechselgeld = differenz;
        m_anzeige.rueckgeldZeigen(m_gesamt, m_wechselgeld);
    }
}

void Verkauf::Geldtaste(double betrag) {
    m_bargeld += betrag;
    wechselgeldBerechnen();
    emit geaendert();
}

void Verkauf::Zahlentaste(const QString& beschriftung) {
    bool ok = false;
    const double betrag = Regional::locale().toDouble(beschriftung.trimmed(), &ok);
    if (ok) m_bargeld += betrag;
    wechselgeldBerechnen();
    emit geaendert();
    if (!ok) throw Fehler(Tfrm_strings::text("sm_1"));
}
