#include "data/Schema.h"

#include "shell/Fehler.h"

#include <QDate>
#include <algorithm>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using T = Spaltentyp;

Spalte sp(const char* name, T typ, int laenge = 0, bool notNull = false, const char* standard = "") {
    return Spalte{QString::fromLatin1(name), typ, laenge, notNull, QString::fromLatin1(standard)};
}
Spalte nn(const char* name, T typ, int laenge = 0) { return sp(name, typ, laenge, true); }

void reihe(QList<Spalte>& s, const char* praefix, int von, int bis, T typ, int laenge = 0,
           const char* suffix = "", const char* standard = "") {
    for (int i = von; i <= bis; ++i) {
        const QString n = QString::fromLatin1(praefix) + QString::number(i) + QString::fromLatin1(suffix);
        s << Spalte{n, typ, laenge, false, QString::fromLatin1(standard)};
    }
}

void ausfuehren(QSqlDatabase& db, const QString& sql, QStringList* protokoll = nullptr) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw DatenbankFehler(QStringLiteral("%1\n%2").arg(q.lastError().text(), sql));
    if (protokoll) *protokoll << sql;
}

Tabelle tab(const char* name, QList<Spalte> spalten, const char* pk = "") {
    return Tabelle{QString::fromLatin1(name), std::move(spalten), QString::fromLatin1(pk)};
}

// Tables that the register only empties on a new start; a few columns suffice.
Tabelle nebentabelle(const char* name) {
    return tab(name, {sp("Firma", T::SmallInt), sp("ID", T::Int), sp("Periode", T::Int), sp("Daten", T::Memo),
                      sp("Benutzer", T::Text, 50), sp("Benutzerdatum", T::DatumZeit)});
}

Tabelle nummerntabelle(const char* name, const char* zaehler) {
    return tab(name, {sp("Firma", T::SmallInt), sp("Periode", T::Int), sp(zaehler, T::Int)});
}

QList<Spalte> artikelpositionSpalten() {
    QList<Spalte> s{nn("ID_Artikelposition", T::Int),
                    sp("Artikel", T::Text, 15),
                    sp("ArtikelName", T::Text, 50),
                    sp("Menge", T::Float, 0, false, "0"),
                    sp("Preis", T::Float, 0, false, "0"),
                    sp("Rabatt", T::Float, 0, false, "0"),
                    sp("Text", T::Text, 200),
                    sp("Gesamt", T::Float, 0, false, "0"),
                    sp("Einheit", T::Text, 10),
                    sp("Einkaufspreis", T::Float, 0, false, "0"),
                    sp("Baustein", T::Text, 50),
                    sp("Formel", T::Memo),
                    sp("FormelDrucken", T::SmallInt, 0, false, "0"),
                    sp("Info", T::Text, 50),
                    sp("Zusatztext1", T::Memo)};
    reihe(s, "Menge", 1, 30, T::Float, 0, "", "0");
    s << sp("Groesse", T::SmallInt, 0, false, "-17") << sp("Groessenbezeichnung", T::Text, 100)
      << sp("Kopftext", T::Memo) << sp("Fusstext", T::Memo) << sp("Seriennummer", T::Text, 200)
      << sp("AnzahlTickets", T::Int, 0, false, "0");
    return s;
}

QList<Spalte> artikelstammSpalten() {
    QList<Spalte> s{nn("Artikel", T::Text, 15), sp("Name_AR", T::Text, 50), sp("Beschreibung_AR", T::Memo),
                    sp("Artikelgruppe", T::Int, 0, false, "1")};
    reihe(s, "Preis", 1, 6, T::Float, 0, "", "0");
    s << sp("Einkaufspreis", T::Float, 0, false, "0") << sp("Suchbegriff", T::Text, 50)
      << sp("Einheit", T::Text, 10) << sp("Skontofaehig", T::Int, 0, false, "0")
      << sp("Rabattfaehig", T::Int, 0, false, "1") << sp("MWST", T::Int, 0, false, "1")
      << sp("Markierung", T::Int, 0, false, "0");
    for (int i = 1; i <= 3; ++i) {
        s << Spalte{QStringLiteral("Betrag_Verminderung_%1").arg(i), T::Float, 0, false, "0"}
          << Spalte{QStringLiteral("Menge_Verminderung_%1").arg(i), T::Float, 0, false, "0"};
    }
    s << sp("Benutzer", T::Text, 50) << sp("Benutzerdatum", T::DatumZeit) << sp("Lagerbestand", T::Float, 0, false, "0")
      << sp("BenutzerSession", T::Text, 50) << sp("ErloesKontoInland", T::Text, 20)
      << sp("ErloesKontoAusland", T::Text, 20) << sp("ErloesKontoEU", T::Text, 20) << sp("Seriennummer", T::Text, 200)
      << sp("EANCode", T::Text, 50) << sp("Bildpfad", T::Text, 255);
    for (const char* n : {"BildAufRechnung", "BildAufLieferschein", "BildAufAuftrag", "BildAufAngebot", "BildAufBestellung"})
        s << sp(n, T::Int, 0, false, "0");
    s << sp("Lagerort", T::Text, 50) << sp("Mindestbestand", T::Float, 0, false, "0")
      << sp("Lagerfuehrung", T::Int, 0, false, "0");
    for (int i = 1; i <= 2; ++i) {
        s << Spalte{QStringLiteral("Lieferant%1").arg(i), T::Int, 0, false, "0"}
          << Spalte{QStringLiteral("Lieferant%1Name").arg(i), T::Text, 50, false, {}}
          << Spalte{QStringLiteral("Lieferant%1Einkaufspreis").arg(i), T::Float, 0, false, "0"}
          << Spalte{QStringLiteral("FremdartikelnummerLieferant%1").arg(i), T::Text, 50, false, {}};
    }
    for (const char* n : {"Name_AR_e", "Name_AR_f", "Name_AR_s", "Name_AR_n"}) s << sp(n, T::Text, 50);
    for (const char* n : {"Beschreibung_AR_e", "Beschreibung_AR_f", "Beschreibung_AR_s", "Beschreibung_AR_n"})
        s << sp(n, T::Memo);
    s << sp("Anlagedatum", T::DatumZeit);
    reihe(s, "Sonstiges", 1, 5, T::Text, 100);
    s << sp("HilfDouble1", T::Text, 50) << sp("HilfString1", T::Text, 100) << sp("Hauptnummer", T::Text, 50)
      << sp("Subnummer", T::Text, 50) << sp("ID_GS", T::Int, 0, false, "0");
    reihe(s, "Lager", 1, 30, T::Float, 0, "", "0");
    s << sp("IstKuechenArtikel", T::Int, 0, false, "0") << sp("IstSchankArtikel", T::Int, 0, false, "0");
    reihe(s, "EANCode", 1, 30, T::Text, 50);
    s << sp("IstFavorit", T::Int, 0, false, "0") << sp("Favoritenreihenfolge", T::Int, 0, false, "-1")
      << sp("ButtonFarbe", T::Int, 0, false, "12632256") << sp("Aktiv", T::Int, 0, false, "1")
      << sp("IstKassaArtikel", T::Int, 0, false, "1") << sp("ReihenfolgeInGruppe", T::Int, 0, false, "-1")
      << sp("Buttontext1", T::Text, 50) << sp("Buttontext2", T::Text, 50);
    for (const char* n : {"IstBeilage", "IstStueckliste", "BestandSammelArtikel", "SammelArtikelUmrechnung",
                          "NichtSteuerpflichtig"})
        s << sp(n, T::Int, 0, false, "0");
    reihe(s, "BestandSammelArtikel", 2, 5, T::Int, 0, "", "0");
    reihe(s, "SammelArtikelUmrechnung", 2, 5, T::Int, 0, "", "0");
    s << sp("OrderManFarbe", T::Int, 0, false, "0") << sp("HatSeriennummern", T::Int, 0, false, "0")
      << sp("PLU", T::Int, 0, false, "0") << sp("PreisAenderbar", T::Int, 0, false, "1")
      << sp("AnzahlTickets", T::Int, 0, false, "0") << sp("Preiskalkulation", T::Float, 0, false, "0")
      << sp("UmrechnungAEHinWEH", T::Float, 0, false, "1") << sp("BildAufKasse", T::Int, 0, false, "0")
      << sp("IstGebaeckArtikel", T::Int, 0, false, "0") << sp("Pfandartikel", T::Text, 50)
      << sp("HandyButtontext1", T::Text, 50) << sp("HandyButtontext2", T::Text, 50);
    return s;
}

QList<Spalte> kassenbuchSpalten() {
    QList<Spalte> s{sp("Firma", T::SmallInt),          sp("ID_Kassenbuch", T::Int),
                    sp("Periode", T::Int),             sp("Datum", T::DatumZeit),
                    sp("Vorgang", T::Text, 50),        sp("EinnahmenBrutto", T::Float),
                    sp("Umsatzsteuer", T::Float),      sp("EnthalteneUmsatzsteuer", T::Float),
                    sp("AusgabenBrutto", T::Float),    sp("EnthalteneVorsteuer", T::Float),
                    sp("AusgabenNetto", T::Float)};
    reihe(s, "Sonstiges", 1, 4, T::Text, 100);
    s << sp("Markierung", T::SmallInt) << sp("Sperrung", T::SmallInt) << sp("Zahlungsart", T::SmallInt)
      << sp("Belegnummer", T::Text, 50);
    return s;
}

struct Nummernkreis {
    const char* tabelle;
    const char* zaehler;
};

const Nummernkreis kNummernkreise[] = {
    {"LieferscheinNummern", "Letzte_LS_Nummer"},   {"Angebotsnummern", "Letzte_AN_Nummer"},
    {"AuftragsNummern", "Letzte_AT_Nummer"},       {"RechnungsNummern", "Letzte_RE_Nummer"},
    {"RechnungsNummernIntern", "Letzte_RE_Nummer_Int"}, {"BarverkaufNummern", "Letzte_BV_Nummer"},
    {"BarverkaufNummernGastro", "Letzte_BV_Nummer"}, {"BestellNummern", "Letzte_BE_Nummer"},
};

struct Index {
    const char* name;
    const char* tabelle;
    const char* spalten;
};

// Lookups and max+1 numbering stay independent of the table size.
const Index kIndizes[] = {
    {"ix_artikelstamm_ean", "Artikelstamm", "EANCode"},
    {"ix_artikelstamm_gruppe", "Artikelstamm", "Artikelgruppe, ReihenfolgeInGruppe"},
    {"ix_artikelstamm_favorit", "Artikelstamm", "IstFavorit, Favoritenreihenfolge"},
    {"ix_artikelstamm_such", "Artikelstamm", "Suchbegriff"},
    {"ix_artikelgruppen_reihe", "Artikelgruppen", "IstKassaGruppe, Reihenfolge"},
    {"ix_barverkaeufe_nr", "Barverkaeufe", "Barverkauf_nr"},
    {"ix_barverkaeufe_offen", "Barverkaeufe", "Kassa, Status"},
    {"ix_barverkaeufe_abrechnung", "Barverkaeufe", "Tagesabrechnung"},
    {"ix_barverkaeufe_abrnr", "Barverkaeufe", "Firma, TagesabrechnungNummer"},
    {"ix_barverkaeufe_erfassung", "Barverkaeufe", "Erfassung"},
    {"ix_bvverschieben_id", "BarverkaeufeVerschieben", "ID_Barverkaufspositionen"},
    {"ix_bvverschieben_nr", "BarverkaeufeVerschieben", "Barverkauf_nr"},
    {"ix_bvverschieben_abrechnung", "BarverkaeufeVerschieben", "Tagesabrechnung"},
    {"ix_kassenbuch_id", "Kassenbuch", "Firma, ID_Kassenbuch"},
    {"ix_kassenbuch_datum", "Kassenbuch", "Firma, Datum"},
    {"ix_kbverschieben_datum", "KassenbuchVerschieben", "Firma, Datum"},
    {"ix_protokoll_zeit", "Protokoll", "DatumZeit"},
};

} // namespace

QList<Spalte> Schema::barverkaufSpalten() {
    QList<Spalte> s{nn("ID_Barverkaufspositionen", T::Int), nn("Firma", T::SmallInt), nn("Periode_bv", T::Int),
                    nn("Barverkauf_nr", T::Int),           nn("Position_X", T::Int),   nn("Filiale", T::Int),
                    nn("Kassa", T::SmallInt),              sp("Angestellte", T::Text, 50),
                    nn("Erfassung", T::DatumZeit),         nn("Kunde", T::Int),        nn("Artikel", T::Text, 15),
                    nn("Menge", T::Float),                 nn("Preis", T::Float),      nn("Rabatt", T::Float),
                    nn("Einkaufspreis", T::Float),         nn("Status", T::SmallInt),  sp("Benutzer", T::Text, 50),
                    sp("Benutzerdatum", T::DatumZeit),     nn("Tagesabrechnung", T::DatumZeit),
                    sp("BarBetrag", T::Float),             nn("Zahlungsart", T::SmallInt),
                    sp("Barbetrag2", T::Float),            sp("Zahlungsart2", T::SmallInt),
                    sp("Hinweis", T::Text, 150),           nn("KundeBruttoNetto", T::SmallInt)};
    for (const char* n : {"MWSTABetrag", "MWSTBBetrag", "MWSTCBetrag", "MWSTDBetrag"}) s << sp(n, T::Float);
    reihe(s, "Menge", 1, 30, T::Float);
    s << sp("Groessenbezeichnung", T::Text, 100) << sp("KartenBelegNr", T::Int) << sp("Anfangsbestand", T::Float);
    reihe(s, "Entnahme", 1, 10, T::Float);
    reihe(s, "Einlage", 1, 10, T::Float);
    for (const char* n : {"NettoABetrag", "NettoBBetrag", "NettoCBetrag", "NettoDBetrag"}) s << sp(n, T::Float);
    s << sp("AngNr", T::Int) << sp("Seriennummer", T::Text, 200) << sp("AnzahlTickets", T::Int)
      << sp("Kartentyp", T::Int) << sp("Zusatztext1", T::Text, 200) << sp("Zusatztext2", T::Text, 200)
      << sp("Periode_au_merken", T::Int) << sp("Auftrag_nr_merken", T::Int) << sp("TagesabrechnungNummer", T::Int)
      << sp("Flag", T::Int) << sp("ArtikelGruppenSumme", T::Float) << sp("Zahlgeld", T::Float)
      << sp("Wechselgeld", T::Float) << sp("ArtikelMwSt", T::Float) << sp("AusserhausMwSt", T::Float)
      << sp("NichtSteuerpflichtig", T::Int) << sp("MwStProzent", T::Float)
      << sp("Signaturzertifikat", T::Memo, 0, false, "'A'") << sp("Zertifizierungsstellen", T::Memo, 0, false, "'A'")
      << sp("JWSSignatur", T::Memo, 0, false, "'A'") << sp("JWSString", T::Memo, 0, false, "'A'")
      // Turnover counter in cents: 64 bits, a busy shop passes 2^31 cents.
      << sp("Umsatzzaehler", T::Long) << sp("Zertifikat", T::Memo, 0, false, "'A'")
      << sp("hashTransactionItems", T::Text, 255) << sp("sig", T::Text, 255) << sp("seqNoTransaction", T::Int)
      << sp("DatumUhrzeitString", T::Text, 255) << sp("KassenID", T::Text, 50) << sp("SteuerIDNr", T::Int)
      << sp("SteuerID", T::Text, 254);
    // A new sale row takes 0 for numbers and an empty text where the register writes nothing.
    for (Spalte& x : s) {
        if (!x.standard.isEmpty() || x.typ == T::DatumZeit || x.typ == T::Memo) continue;
        x.standard = x.typ == T::Text ? QStringLiteral("''") : QStringLiteral("0");
    }
    return s;
}

QList<Tabelle> Schema::haupttabellen() {
    QList<Tabelle> t;
    t << tab("Barverkaeufe", barverkaufSpalten(), "ID_Barverkaufspositionen")
      << tab("BarverkaeufeVerschieben", barverkaufSpalten())
      << tab("Artikelstamm", artikelstammSpalten(), "Artikel")
      << tab("Artikelgruppen",
             {nn("Artikelgruppe", T::Int), sp("Name_AG", T::Text, 50), sp("Reihenfolge", T::Int, 0, false, "-1"),
              sp("Farbe", T::Int, 0, false, "33023"), sp("Aktiv", T::Int, 0, false, "1"),
              sp("IstKassaGruppe", T::Int, 0, false, "1")},
             "Artikelgruppe")
      << tab("Einstellungen",
             {sp("ArtikelPreisart", T::Int), sp("WebShopServerName", T::Text, 100),
              sp("WebShopDatenbankname", T::Text, 100), sp("WebShopBenutzer", T::Text, 100),
              sp("WebShopPasswort", T::Text, 100), sp("ServerFuerMobileKasseAktiv", T::Int),
              sp("KassenID", T::Text, 100), sp("RKSV", T::SmallInt)})
      << tab("Protokoll", {sp("DatumZeit", T::DatumZeit), sp("Aufzeichnung", T::Text, 255), sp("Benutzer", T::Text, 50)})
      << tab("Kassenbuch", kassenbuchSpalten()) << tab("KassenbuchVerschieben", kassenbuchSpalten())
      << tab("Firmenstamm",
             {nn("Firma", T::Int), sp("Name_FI", T::Text, 50), sp("Strasse_FI", T::Text, 50), sp("PLZ_FI", T::Text, 50),
              sp("Ort_FI", T::Text, 50), sp("Anschrift_FI", T::Memo), sp("Fusstext1", T::Memo),
              sp("Fusstext2", T::Memo), sp("Fusstext3", T::Memo), sp("Fusstext4", T::Memo)},
             "Firma")
      << tab("Kundenstamm",
             {nn("Firma", T::Int), nn("Kunde", T::Int), sp("Name_KU", T::Text, 60), sp("Zusatzname_KU", T::Text, 100),
              sp("Strasse_Hnr", T::Text, 100), sp("PLZ", T::Text, 15), sp("Ort", T::Text, 30),
              sp("Land", T::SmallInt), sp("TelefonPrivat", T::Text, 15), sp("EMail1", T::Text, 30),
              sp("UIDNummer", T::Text, 15), sp("Lieferadresse", T::Memo), sp("MWST", T::SmallInt)},
             "Firma, Kunde")
      << tab("Laender",
             {nn("Land", T::Int), sp("Name_LA", T::Text, 50), sp("Umrechnung", T::Float), sp("Waehrung", T::Text, 10)},
             "Land")
      << tab("Angestellte", {nn("ID_Ang", T::Int), sp("Name", T::Text, 50)}, "ID_Ang")
      << tab("Lagerorte", {nn("LagerortID", T::Int), sp("Name_LG", T::Text, 50)}, "LagerortID")
      << tab("Hilfstabelle", {sp("I1", T::Int)})
      << tab("Artikelpositionen", artikelpositionSpalten(), "ID_Artikelposition");
    for (const char* n : {"Angebotspositionen", "Angebotevorlagen", "ArtikelpositionenVorschau", "Journal",
                          "Sammelfakturen", "Textbausteine", "Bestellungen", "Kundenstatistik", "Artikelstatistik",
                          "Sonderkonditionen", "Lieferanten", "Kundengruppen", "Stuecklisten", "BarverkaeufeGastro",
                          "Gastropositionen", "KundenbriefeVorlagen", "Kundenbriefe", "Lagerstamm", "Ausgaben",
                          "Seriennummern", "LagerChronologie"})
        t << nebentabelle(n);
    for (const Nummernkreis& n : kNummernkreise) t << nummerntabelle(n.tabelle, n.zaehler);
    return t;
}

QList<Tabelle> Schema::lokaltabellen() {
    return {tab("Artikelpositionen", artikelpositionSpalten(), "ID_Artikelposition")};
}

QString Schema::createTable(const Tabelle& t, const SqlDialect& d) {
    QStringList teile;
    for (const Spalte& s : t.spalten) {
        QString def = QStringLiteral("%1 %2").arg(s.name, d.typ(s.typ, s.laenge));
        if (s.notNull) def += QStringLiteral(" NOT NULL");
        if (!s.standard.isEmpty()) def += QStringLiteral(" DEFAULT ") + s.standard;
        teile << def;
    }
    if (!t.primaerschluessel.isEmpty()) teile << QStringLiteral("PRIMARY KEY (%1)").arg(t.primaerschluessel);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, teile.join(QStringLiteral(", ")));
}

bool Schema::istLeer(const QSqlDatabase& db) { return db.tables(QSql::Tables).isEmpty(); }

void Schema::hauptdatenbankAnlegen(QSqlDatabase& db, const SqlDialect& d) {
    ausfuehren(db, d.beginSchreibtransaktion());
    try {
        for (const Tabelle& t : haupttabellen()) ausfuehren(db, createTable(t, d));
        for (const Index& i : kIndizes)
            ausfuehren(db, QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                               .arg(QLatin1String(i.name), QLatin1String(i.tabelle), QLatin1String(i.spalten)));

        // Reference rows every stored sale and receipt relies on.
        ausfuehren(db, QStringLiteral("INSERT INTO Firmenstamm (Firma, Name_FI, Strasse_FI, PLZ_FI, Ort_FI) "
                                      "VALUES (1, 'Firma', '', '', '')"));
        ausfuehren(db, QStringLiteral("INSERT INTO Laender (Land, Name_LA, Umrechnung, Waehrung) "
                                      "VALUES (1, 'Inland', 1, 'EUR')"));
        ausfuehren(db, QStringLiteral("INSERT INTO Kundenstamm (Firma, Kunde, Name_KU, Land, MWST) "
                                      "VALUES (1, 0, 'Barverkauf', 1, 1)"));
        ausfuehren(db, QStringLiteral("INSERT INTO Artikelgruppen (Artikelgruppe, Name_AG) VALUES (1, 'Allgemein')"));
        ausfuehren(db, QStringLiteral("INSERT INTO Einstellungen (ArtikelPreisart, ServerFuerMobileKasseAktiv, "
                                      "KassenID, RKSV) VALUES (1, 0, '', 0)"));
        const int heute = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toInt();
        for (const Nummernkreis& n : kNummernkreise)
            ausfuehren(db, QStringLiteral("INSERT INTO %1 (Firma, Periode, %2) VALUES (1, %3, 0)")
                               .arg(QLatin1String(n.tabelle), QLatin1String(n.zaehler))
                               .arg(heute));
        ausfuehren(db, QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void Schema::lokaldatenbankAnlegen(QSqlDatabase& db, const SqlDialect& d) {
    for (const Tabelle& t : lokaltabellen()) ausfuehren(db, createTable(t, d));
}

QStringList Schema::aktualisieren(QSqlDatabase& db, const SqlDialect& d) {
    struct Ergaenzung {
        const char* spalte;
        Spaltentyp typ;
        int laenge;
        const char* standard;
    };
    static const Ergaenzung kErgaenzungen[] = {
        {"Signaturzertifikat", T::Memo, 0, "'A'"}, {"Zertifizierungsstellen", T::Memo, 0, "'A'"},
        {"JWSSignatur", T::Memo, 0, "'A'"},        {"JWSString", T::Memo, 0, "'A'"},
        {"Umsatzzaehler", T::Long, 0, ""},         {"KassenID", T::Text, 50, ""},
    };
    QStringList gelaufen;
    for (const Ergaenzung& e : kErgaenzungen) {
        // Read the column list again each time: every statement changes it.
        if (d.spalten(db, QStringLiteral("Barverkaeufe")).contains(QLatin1String(e.spalte), Qt::CaseInsensitive))
            continue;
        QString sql = QStringLiteral("ALTER TABLE Barverkaeufe ADD %1 %2").arg(QLatin1String(e.spalte), d.typ(e.typ, e.laenge));
        if (*e.standard) sql += QStringLiteral(" DEFAULT ") + QLatin1String(e.standard);
        ausfuehren(db, sql, &gelaufen);
    }
    // Anything else an older sale table lacks: later steps and the archive
    // moves rely on the full column set.
    const QStringList vorhanden = d.spalten(db, QStringLiteral("Barverkaeufe"));
    for (const Spalte& s : barverkaufSpalten()) {
        if (vorhanden.contains(s.name, Qt::CaseInsensitive)) continue;
        QString sql = QStringLiteral("ALTER TABLE Barverkaeufe ADD %1 %2").arg(s.name, d.typ(s.typ, s.laenge));
        if (!s.standard.isEmpty()) sql += QStringLiteral(" DEFAULT ") + s.standard;
        ausfuehren(db, sql, &gelaufen);
    }
    return gelaufen;
}

QStringList Schema::erweitern(QSqlDatabase& db, const SqlDialect& d) {
    QStringList gelaufen;
    const QStringList spalten = d.spalten(db, QStringLiteral("Einstellungen"));
    if (!spalten.contains(QLatin1String("RKSV"), Qt::CaseInsensitive))
        ausfuehren(db, QStringLiteral("ALTER TABLE Einstellungen ADD RKSV %1").arg(d.typ(T::SmallInt, 0)), &gelaufen);
    if (!spalten.contains(QLatin1String("KassenID"), Qt::CaseInsensitive))
        ausfuehren(db, QStringLiteral("ALTER TABLE Einstellungen ADD KassenID %1").arg(d.typ(T::Text, 100)), &gelaufen);
    // The archive must carry the sale table's columns in the same order: rows move with "select *".
    if (d.spalten(db, QStringLiteral("BarverkaeufeVerschieben")).isEmpty()) {
        const QList<Spalte> definiert = barverkaufSpalten();
        Tabelle archiv = tab("BarverkaeufeVerschieben", {});
        for (const QString& name : d.spalten(db, QStringLiteral("Barverkaeufe"))) {
            auto it = std::find_if(definiert.begin(), definiert.end(),
                                   [&name](const Spalte& s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; });
            archiv.spalten << (it != definiert.end() ? *it : Spalte{name, T::Memo, 0, false, {}});
        }
        ausfuehren(db, createTable(archiv, d), &gelaufen);
    }
    return gelaufen;
}
