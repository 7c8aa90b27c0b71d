#include "Testumgebung.h"
#include "data/Schema.h"
#include "data/Tdm_datenbank.h"

#include <QSqlQuery>
#include <QRegularExpression>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

QStringList spalten(Tdm_datenbank& dm, const QString& tabelle) { return dm.dialekt().spalten(dm.haupt(), tabelle); }

QVariant wert(Tdm_datenbank& dm, const QString& sql) {
    QSqlQuery q(dm.haupt());
    EXPECT_TRUE(q.exec(sql)) << qPrintable(sql);
    return q.next() ? q.value(0) : QVariant();
}

QString plan(Tdm_datenbank& dm, const QString& sql) {
    QSqlQuery q(dm.haupt());
    EXPECT_TRUE(q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql));
    QString p;
    while (q.next()) p += q.value(3).toString() + QLatin1Char('\n');
    return p;
}

} // namespace

TEST(Schema, NeueDatenbankHatAlleTabellenSpaltenUndStammzeilen) {
    Testumgebung u;
    Tdm_datenbank dm;
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    for (const Tabelle& t : Schema::haupttabellen()) {
        const QStringList vorhanden = spalten(dm, t.name);
        ASSERT_FALSE(vorhanden.isEmpty()) << qPrintable(t.name);
        for (const Spalte& s : t.spalten) EXPECT_TRUE(vorhanden.contains(s.name)) << qPrintable(t.name + "." + s.name);
    }
    // The archive must take rows of the sale table with "select *".
    EXPECT_EQ(spalten(dm, "Barverkaeufe"), spalten(dm, "BarverkaeufeVerschieben"));
    for (const char* s : {"Signaturzertifikat", "Umsatzzaehler", "KassenID", "SteuerIDNr", "SteuerID"})
        EXPECT_TRUE(spalten(dm, "Barverkaeufe").contains(QLatin1String(s))) << s;

    EXPECT_EQ(wert(dm, "select Name_AG from Artikelgruppen where Artikelgruppe = 1").toString(), "Allgemein");
    EXPECT_EQ(wert(dm, "select count(*) from Kundenstamm k join Laender l on l.Land = k.Land "
                       "where k.Firma = 1 and k.Kunde = 0").toInt(), 1);
    EXPECT_EQ(wert(dm, "select count(*) from Firmenstamm").toInt(), 1);
    EXPECT_EQ(wert(dm, "select count(*) from Einstellungen").toInt(), 1);
    EXPECT_EQ(wert(dm, "select Letzte_BV_Nummer from BarverkaufNummern").toInt(), 0);
}

TEST(Schema, NeueZeileTraegtDieUnsigniertMarkeA) {
    Testumgebung u;
    Tdm_datenbank dm;
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    QSqlQuery q(dm.haupt());
    ASSERT_TRUE(q.exec("insert into Barverkaeufe (ID_Barverkaufspositionen, Firma, Periode_bv, Barverkauf_nr, "
                       "Position_X, Filiale, Kassa, Erfassung, Kunde, Artikel, Menge, Preis, Rabatt, Einkaufspreis, "
                       "Status, Tagesabrechnung, Zahlungsart, KundeBruttoNetto) values (1, 1, 20120101, 1, 1, 0, 1, "
                       "'2026-01-01 10:00:00', 0, 'x', 1, 1, 0, 0, 0, '1899-12-30 00:00:00', 0, 0)"));
    for (const char* s : {"Signaturzertifikat", "Zertifizierungsstellen", "JWSSignatur", "JWSString", "Zertifikat"})
        EXPECT_EQ(wert(dm, QStringLiteral("select %1 from Barverkaeufe").arg(QLatin1String(s))).toString(), "A") << s;
}

// Lookups that run on every scan and every sale must not scan whole tables.
TEST(Schema, HaeufigeAbfragenNutzenIndizes) {
    Testumgebung u;
    Tdm_datenbank dm;
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    const struct {
        const char* sql;
    } faelle[] = {
        {"select Artikel from Artikelstamm where EANCode = '1'"},
        {"select * from Artikelstamm where Artikel = '1'"},
        {"select Max(Barverkauf_nr) from Barverkaeufe"},
        {"select MAX(ID_Barverkaufspositionen) from Barverkaeufe"},
        {"select MAX(ID_Kassenbuch) from Kassenbuch where Firma = 1"},
        {"select * from Artikelstamm where Artikelgruppe between 2 and 2 and IstKassaArtikel = 1 and "
         "ReihenfolgeInGruppe >= 0 and ReihenfolgeInGruppe between 1 and 28"},
    };
    for (const auto& f : faelle) {
        const QString p = plan(dm, QLatin1String(f.sql));
        EXPECT_FALSE(p.contains(QRegularExpression(QStringLiteral("^SCAN (Artikelstamm|Barverkaeufe|Kassenbuch)$"),
                                                   QRegularExpression::MultilineOption)))
            << f.sql << "\n" << qPrintable(p);
    }
}

TEST(Schema, AlteDatenbankWirdErgaenztOhneDatenverlust) {
    Testumgebung u;
    FixtureLaden(QStringLiteral(ORVENPOS_FIXTURES "/altschema.sql"), u.hauptdatei());
    Tdm_datenbank dm;
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    EXPECT_FALSE(spalten(dm, "Barverkaeufe").contains("Umsatzzaehler"));

    const QStringList gelaufen = dm.SchemaAktualisieren();
    ASSERT_GE(gelaufen.size(), 6);
    EXPECT_EQ(gelaufen.first(), "ALTER TABLE Barverkaeufe ADD Signaturzertifikat TEXT DEFAULT 'A'");
    for (const Spalte& s : Schema::barverkaufSpalten())
        EXPECT_TRUE(spalten(dm, "Barverkaeufe").contains(s.name)) << qPrintable(s.name);
    for (const char* s : {"Signaturzertifikat", "Zertifizierungsstellen", "JWSSignatur", "JWSString", "Umsatzzaehler",
                          "KassenID"})
        EXPECT_TRUE(spalten(dm, "Barverkaeufe").contains(QLatin1String(s))) << s;
    // Old rows keep their data and read as unsigned.
    EXPECT_EQ(wert(dm, "select count(*) from Barverkaeufe where Barverkauf_nr = 41").toInt(), 2);
    EXPECT_EQ(wert(dm, "select JWSSignatur from Barverkaeufe where ID_Barverkaufspositionen = 7").toString(), "A");
    EXPECT_EQ(dm.NaechsteBarverkaufNr(), 42);
    EXPECT_EQ(dm.NeueBarverkaufspositionID(), 9);

    // An up-to-date database runs no statement.
    EXPECT_TRUE(dm.SchemaAktualisieren().isEmpty());
}

TEST(Schema, ErweiternLegtEinstellungsspaltenUndArchivAnUndIstWiederholbar) {
    Testumgebung u;
    FixtureLaden(QStringLiteral(ORVENPOS_FIXTURES "/altschema.sql"), u.hauptdatei());
    Tdm_datenbank dm;
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    TEinstellungen vorher = dm.EinstellungenLesen();
    EXPECT_TRUE(vorher.gefunden);
    EXPECT_EQ(vorher.ArtikelPreisart, 2);
    EXPECT_EQ(vorher.RKSV, 0);
    dm.KassenIDSpeichern("KASSE9"); // no column yet: must not fail

    dm.SchemaAktualisieren();
    EXPECT_EQ(dm.SchemaErweitern().size(), 3);
    EXPECT_TRUE(spalten(dm, "Einstellungen").contains("RKSV"));
    EXPECT_EQ(spalten(dm, "Barverkaeufe"), spalten(dm, "BarverkaeufeVerschieben"));
    QSqlQuery q(dm.haupt());
    EXPECT_TRUE(q.exec("insert into BarverkaeufeVerschieben select * from Barverkaeufe"));
    // Pressing the button again changes nothing and raises nothing.
    EXPECT_TRUE(dm.SchemaErweitern().isEmpty());

    dm.KassenIDSpeichern("KASSE9");
    dm.RKSVSpeichern(true);
    const TEinstellungen e = dm.EinstellungenLesen();
    EXPECT_EQ(e.KassenID, "KASSE9");
    EXPECT_EQ(e.RKSV, 1);
    EXPECT_EQ(e.WebShopPasswort, "geheim");
    EXPECT_TRUE(e.ServerFuerMobileKasseAktiv);
}

TEST(Schema, LokaleDatenbankHaeltNurDieErfassung) {
    Testumgebung u;
    Tdm_datenbank dm;
    dm.LokaleDatenbankOeffnen(u.pfad("daten/ZumoVarelo_Lokal.db"));
    EXPECT_EQ(dm.lokal().tables(), QStringList{"Artikelpositionen"});
    QSqlQuery q(dm.lokal());
    ASSERT_TRUE(q.exec("insert into Artikelpositionen (ID_Artikelposition, Artikel) values (1, 'x')"));
    ASSERT_TRUE(q.exec("select Groesse, Menge5, FormelDrucken, Gesamt from Artikelpositionen"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), -17);
    EXPECT_EQ(q.value(1).toDouble(), 0.0);
    EXPECT_EQ(q.value(2).toInt(), 0);
    EXPECT_EQ(q.value(3).toDouble(), 0.0);
}

TEST(Schema, DauerhaftigkeitIstEingestellt) {
    Testumgebung u;
    Tdm_datenbank dm;
    dm.HauptdatenbankOeffnen(u.hauptdatei());
    EXPECT_EQ(wert(dm, "PRAGMA journal_mode").toString(), "wal");
    EXPECT_EQ(wert(dm, "PRAGMA synchronous").toInt(), 2); // FULL
}
