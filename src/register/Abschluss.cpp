#include "register/Abschluss.h"

#include "data/Numerik.h"
#include "data/Tdm_datenbank.h"
#include "data/Transaktion.h"
#include "peripherals/Kassenlade.h"
#include "register/Verkauf.h"
#include "shell/Anwendung.h"
#include "shell/Einstellungen.h"
#include "shell/Tfrm_strings.h"

#include <QSqlQuery>
#include <array>
#include <cmath>

namespace {

// Columns of a stored sale row that completion writes; the rest take the table's defaults.
const char* const kZeilenspalten[] = {
    "ID_Barverkaufspositionen", "Firma", "Periode_bv", "Barverkauf_nr", "Position_X", "Filiale", "Kassa",
    "Angestellte", "Erfassung", "Kunde", "Artikel", "Menge", "Preis", "Rabatt", "Einkaufspreis", "Status",
    "Benutzer", "Benutzerdatum", "Tagesabrechnung", "BarBetrag", "Zahlungsart", "Barbetrag2", "Zahlungsart2",
    "KundeBruttoNetto", "MWSTABetrag", "MWSTBBetrag", "MWSTCBetrag", "MWSTDBetrag", "NettoABetrag", "NettoBBetrag",
    "NettoCBetrag", "NettoDBetrag", "KartenBelegNr", "AngNr", "Groessenbezeichnung", "Seriennummer", "AnzahlTickets",
    "Zusatztext1", "Periode_au_merken", "Auftrag_nr_merken", "ArtikelMwSt", "AusserhausMwSt", "NichtSteuerpflichtig",
    "MwStProzent", "KassenID"};

QString einfuegeAnweisung() {
    QStringList spalten, platz;
    for (const char* s : kZeilenspalten) spalten << QLatin1String(s);
    for (int i = 1; i <= 30; ++i) spalten << QStringLiteral("Menge%1").arg(i);
    for (int i = 0; i < spalten.size(); ++i) platz << QStringLiteral("?");
    return QStringLiteral("insert into Barverkaeufe (%1) values (%2)")
        .arg(spalten.join(QStringLiteral(", ")), platz.join(QStringLiteral(", ")));
}

} // namespace

int ZahlungsartVon(Zahlknopf knopf) {
    switch (knopf) {
    case Zahlknopf::Speichern:
    case Zahlknopf::Bargeld: return 0;
    case Zahlknopf::Bankomat: return 1;
    case Zahlknopf::Kreditkarte: return 2;
    case Zahlknopf::Gutschrift: return 5;
    }
    return 0;
}

Abschluss::Abschluss(Tdm_datenbank& dm, const Einstellungen& e, const Anwendungszustand& zustand, Verkauf& verkauf,
                     const QString& datenordner)
    : m_dm(dm), m_e(e), m_zustand(zustand), m_verkauf(verkauf), m_datenordner(datenordner),
      m_einfuegen(einfuegeAnweisung()) {}

void Abschluss::schrittSetzen(Abschlussschritt stelle, Schritt schritt) { m_schritte[stelle] = std::move(schritt); }

bool Abschluss::schrittAusfuehren(Abschlussschritt stelle, Abschlusskontext& k) {
    auto it = m_schritte.find(stelle);
    if (it == m_schritte.end() || !it->second) return false;
    it->second(k);
    return true;
}

void Abschluss::ablehnen(const QString& text, bool protokollieren) {
    if (protokollieren) m_dm.ProtokollEintragen(QString(), text.left(150), QDateTime::currentDateTime());
    throw AbschlussAbgelehnt(text);
}

QList<Abschluss::Lokalzeile> Abschluss::lokaleZeilen() {
    static const QString sql = [] {
        QStringList s{QStringLiteral("Artikel"),       QStringLiteral("Menge"),
                      QStringLiteral("Preis"),         QStringLiteral("Rabatt"),
                      QStringLiteral("Einkaufspreis"), QStringLiteral("Groessenbezeichnung"),
                      QStringLiteral("Seriennummer"),  QStringLiteral("AnzahlTickets"),
                      QStringLiteral("Zusatztext1")};
        for (int i = 1; i <= 30; ++i) s << QStringLiteral("Menge%1").arg(i);
        return QStringLiteral("select %1 from Artikelpositionen order by ID_Artikelposition").arg(s.join(QStringLiteral(", ")));
    }();
    QList<Lokalzeile> zeilen;
    for (const QVariantList& w : m_dm.lesen(m_dm.lokal(), sql)) {
        Lokalzeile z;
        z.artikel = w.at(0).toString();
        z.menge = w.at(1).toDouble();
        z.preis = w.at(2).toDouble();
        z.rabatt = w.at(3).toDouble();
        z.einkaufspreis = w.at(4).toDouble();
        z.groessenbezeichnung = w.at(5).toString();
        z.seriennummer = w.at(6).toString();
        z.anzahlTickets = w.at(7).toInt();
        z.zusatztext1 = w.at(8).toString();
        for (int i = 0; i < 30; ++i) z.mengen[i] = w.at(9 + i).toDouble();
        zeilen << z;
    }
    return zeilen;
}

void Abschluss::steuernLesen() {
    // One query for all articles of the sale.
    m_steuern.clear();
    QStringList artikel;
    for (const Lokalzeile& z : m_zeilen)
        if (!artikel.contains(z.artikel)) artikel << z.artikel;
    for (qsizetype von = 0; von < artikel.size(); von += 50) {
        const QStringList teil = artikel.mid(von, 50);
        QStringList platz;
        QVariantList werte;
        for (const QString& a : teil) platz << QStringLiteral("?"), werte << a;
        const QString sql = QStringLiteral("select Artikel, MWST, NichtSteuerpflichtig from Artikelstamm where Artikel in (%1)")
                                .arg(platz.join(QLatin1Char(',')));
        for (const QVariantList& z : m_dm.lesen(m_dm.haupt(), sql, werte))
            m_steuern.insert(z.at(0).toString(), {true, z.at(1).toInt(), z.at(2).toInt() == 1});
    }
}

Abschluss::Artikelsteuer Abschluss::steuer(const QString& artikel) const { return m_steuern.value(artikel); }

TMwStAufteilung Abschluss::MwStAufteilen(const TMwStSaetze& saetze, bool fuenfCent) {
    m_zeilen = lokaleZeilen();
    return aufteilen(saetze, fuenfCent);
}

TMwStAufteilung Abschluss::aufteilen(const TMwStSaetze& saetze, bool fuenfCent) {
    steuernLesen();
    std::array<double, 4> brutto{};
    double gesamt = 0;
    for (const Lokalzeile& z : m_zeilen) {
        const double betrag = RundenAufCent((100.0 - z.rabatt) * z.preis * z.menge / 100.0);
        gesamt += betrag;
        const int kategorie = steuer(z.artikel).mwst;
        if (kategorie >= 1 && kategorie <= 4) brutto[kategorie - 1] += betrag;
    }
    std::array<double, 4> mwst{}, netto{};
    for (int i = 0; i < 4; ++i) {
        const double satz = saetze.satz(i + 1);
        mwst[i] = RundenAufCent(satz / 100.0 * NettoAusBrutto(satz, brutto[i]));
        netto[i] = brutto[i] - mwst[i];
    }
    TMwStAufteilung a;
    a.Gesamt = fuenfCent ? RundenAufFuenfCent(gesamt) : gesamt;
    a.MwStA = mwst[0], a.MwStB = mwst[1], a.MwStC = mwst[2], a.MwStD = mwst[3];
    a.NettoA = netto[0], a.NettoB = netto[1], a.NettoC = netto[2], a.NettoD = netto[3];
    return a;
}

int Abschluss::abschliessen(Zahlknopf knopf, const Fiskalstatus& fiskal) {
    const bool rksv = m_e.an(QStringLiteral("sw_rksv2017.StateOn"));
    const bool tse = m_e.an(QStringLiteral("sw_kassensichv.StateOn"));
    if (rksv && tse)
        ablehnen(QStringLiteral("Es kann nicht RKSV und KassenSichV (Österreich und Deutschland) gemeinsam betrieben "
                                "werde!"),
                 true);
    auto gesetzt = [](const QString& t) { return !t.trimmed().isEmpty() && t.trimmed() != QLatin1String("-1"); };
    if (tse && (fiskal.kartenleserText.trimmed() != QLatin1String("TSE OK") || !fiskal.tseVorhanden ||
                !gesetzt(fiskal.transaktionsnr) || !gesetzt(fiskal.transaktionstartzeit))) {
        const QString text = QStringLiteral("Abrechnung kann nicht durchgeführt werde wegen TSE!");
        m_dm.ProtokollEintragen(QString(),
                                (text + QLatin1Char(' ') + fiskal.kartenleserText + fiskal.transaktionsnr +
                                 QLatin1Char(' ') + fiskal.transaktionstartzeit)
                                    .left(150),
                                QDateTime::currentDateTime());
        throw AbschlussAbgelehnt(text);
    }

    Abschlusskontext k;
    k.knopf = knopf;
    k.zahlungsart = ZahlungsartVon(knopf);
    k.zeit = QDateTime::currentDateTime();
    k.fiskal = fiskal;
    if (!m_dm.lokalOffen()) ablehnen(Tfrm_strings::text("sm_8"));
    m_zeilen = lokaleZeilen();
    if (m_zeilen.isEmpty()) ablehnen(Tfrm_strings::text("sm_9"));
    k.periode = m_zustand.Periode;
    k.firma = m_zustand.Firmennummer;
    bool kassaOk = false;
    k.kassa = m_e.text(QStringLiteral("ed_kassanummer.Text")).trimmed().toInt(&kassaOk);
    if (!kassaOk) ablehnen(QStringLiteral("Kassennummer muß Zahl sein!"));
    const TMwStSaetze saetze = m_e.MwStSaetzeLesen();

    if (knopf == Zahlknopf::Gutschrift) {
        // A credit note: every quantity becomes negative.
        QStringList teile{QStringLiteral("Menge = case when Menge > 0 then -Menge else Menge end")};
        for (int i = 1; i <= 30; ++i)
            teile << QStringLiteral("Menge%1 = case when Menge%1 > 0 then -Menge%1 else Menge%1 end").arg(i);
        m_dm.ausfuehren(m_dm.lokal(), QStringLiteral("update Artikelpositionen set ") + teile.join(QStringLiteral(", ")));
        m_verkauf.laden();
        m_zeilen = lokaleZeilen();
    }

    // From here on the total on screen stays as it is until the completion ends.
    m_verkauf.speichernLaeuft(true);
    struct Freigabe {
        Verkauf& v;
        ~Freigabe() { v.speichernLaeuft(false); }
    } freigabe{m_verkauf};

    k.gesamtbetrag = m_verkauf.gesamtbetrag();
    k.mwst = aufteilen(saetze, m_verkauf.fuenfCent());
    if (std::abs(k.gesamtbetrag - k.mwst.Gesamt) > 0.01) ablehnen(Tfrm_strings::text("sm_12"));
    m_verkauf.mwstSetzen({k.mwst.MwStA, k.mwst.MwStB, k.mwst.MwStC, k.mwst.MwStD});

    k.kassenId = QStringLiteral("1");
    if (rksv) k.kassenId = m_e.text(QStringLiteral("ed_kassenID.Text")).trimmed();
    if (tse) k.kassenId = m_e.text(QStringLiteral("ed_kassenID2.Text")).trimmed();

    if (rksv) {
        schrittAusfuehren(Abschlussschritt::VorherigerBeleg, k);
        if (fiskal.kartenleserTag != 1) {
            m_dm.ProtokollEintragen(QString(),
                                    QStringLiteral("Karte nicht aktiv!Warten Sie bitte bis links oben *Kartenleser "
                                                   "betriebsbereit* steht."),
                                    QDateTime::currentDateTime());
            throw AbschlussAbgelehnt(QStringLiteral("Karte nicht aktiv!\rWarten Sie bitte bis links oben *Kartenleser "
                                                    "betriebsbereit* steht und\r\rschließen Sie bitte diese Meldung"));
        }
    }

    try {
        Transaktion t(m_dm, QStringLiteral("Barverkauf"));
        const bool karte = knopf == Zahlknopf::Bankomat || knopf == Zahlknopf::Kreditkarte;
        if (karte && m_e.an(QStringLiteral("sw_terminal_zvt.StateOn")) &&
            !schrittAusfuehren(Abschlussschritt::Kartenzahlung, k))
            throw Fehler(QStringLiteral("Kartenzahlung nicht möglich: kein Kartenterminal eingerichtet."));

        k.nummer = m_dm.NaechsteBarverkaufNr();
        if (k.nummer == -1) throw Fehler(Tfrm_strings::text("sm_56"));
        zeilenSchreiben(k, saetze);

        const std::pair<Zahlknopf, const char*> lade[] = {{Zahlknopf::Speichern, "cb_kassaoeffnen_speichern.Checked"},
                                                          {Zahlknopf::Kreditkarte, "cb_kassaoeffnen_kreditkarte.Checked"},
                                                          {Zahlknopf::Bankomat, "cb_kassaoeffnen_bankomat.Checked"},
                                                          {Zahlknopf::Bargeld, "cb_kassaoeffnen_bargeld.Checked"}};
        for (const auto& [k2, option] : lade)
            if (k2 == knopf && m_e.an(QLatin1String(option))) Kassenlade::Oeffnen(m_e, m_datenordner);

        // A fiscal mode without its device step must not store an unsigned sale.
        if (rksv && !schrittAusfuehren(Abschlussschritt::Signierung, k))
            throw Fehler(QStringLiteral("Signierung fehlgeschlagen"));
        if (tse && !schrittAusfuehren(Abschlussschritt::TseAbschluss, k))
            throw Fehler(QStringLiteral("TSE-Transaktion abschließen fehlgeschlagen!"));
        schrittAusfuehren(Abschlussschritt::Bondruck, k);
        if (m_e.an(QStringLiteral("sw_kassenbuch.StateOn"))) schrittAusfuehren(Abschlussschritt::Kassenbuch, k);
        t.commit();
    } catch (const std::exception& e) {
        const QString text = dynamic_cast<const Fehler*>(&e) ? static_cast<const Fehler&>(e).text()
                                                             : QString::fromLocal8Bit(e.what());
        // Logged after the rollback, so the entry itself is not rolled back.
        m_dm.ProtokollEintragen(QString(), (Tfrm_strings::text("sm_14") + text).left(150), QDateTime::currentDateTime());
        throw AbschlussZurueckgesetzt(Tfrm_strings::text("sm_13") + text);
    }
    m_verkauf.speichernLaeuft(false);
    m_verkauf.NeuerVerkauf();
    return k.nummer;
}

void Abschluss::zeilenSchreiben(Abschlusskontext& k, const TMwStSaetze& saetze) {
    const SqlDialect& d = m_dm.dialekt();
    const double betrag = RundenAufCent(k.gesamtbetrag);
    const bool nullpreise = m_e.an(QStringLiteral("cb_nullpreise.Checked"));
    const QVariant erfassung = d.zeit(k.zeit), offen = d.zeit(Nullzeit()),
                   gestempelt = d.zeit(QDateTime::currentDateTime());
    int id = m_dm.NeueBarverkaufspositionID();
    int position = 0;
    for (const Lokalzeile& z : m_zeilen) {
        ++position; // rows without an article leave a gap
        if (z.artikel.trimmed().isEmpty()) continue;
        const Artikelsteuer s = steuer(z.artikel);
        if (!s.gefunden) throw Fehler(Tfrm_strings::text("sm_57") + z.artikel);
        if (nullpreise && z.preis == 0)
            throw Fehler(QStringLiteral("Eine Position mit Preis 0 ist vorhanden!Abrechnung nicht möglich!"));
        const double satz = (s.mwst >= 1 && s.mwst <= 4) ? saetze.satz(s.mwst) : 0;
        QVariantList werte{
            id++, k.firma, k.periode, k.nummer, position, 0, k.kassa, QString(), erfassung, 0, z.artikel, z.menge,
            z.preis, z.rabatt, z.einkaufspreis, 0, QString(), gestempelt, offen, betrag,
            k.zahlungsart, k.zahlungsart == 0 ? betrag : 0.0, 0, 0, RundenAufCent(k.mwst.MwStA),
            RundenAufCent(k.mwst.MwStB), RundenAufCent(k.mwst.MwStC), RundenAufCent(k.mwst.MwStD), k.mwst.NettoA,
            k.mwst.NettoB, k.mwst.NettoC, k.mwst.NettoD, -1, -1, z.groessenbezeichnung, z.seriennummer,
            z.anzahlTickets, z.zusatztext1, -1, -1, satz, -1, s.nichtSteuerpflichtig ? 1 : 0, satz, k.kassenId};
        for (double m : z.mengen) werte << m;
        m_dm.schreiben(m_dm.haupt(), m_einfuegen, werte);
    }
}
