#pragma once
#include "data/SqlDialect.h"
#include "shell/Fehler.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>
#include <array>
#include <memory>

// One article of the master table, as the register reads it.
struct TArtikelDaten {
    bool gefunden = false;
    QString Artikel, Name_AR, Name_AR_e, Name_AR_f, Name_AR_s, Name_AR_n, Einheit;
    int Artikelgruppe = -1;
    bool Rabattfaehig = false;
    QString ErloesKontoInland = QStringLiteral("0"), ErloesKontoAusland = QStringLiteral("0"),
            ErloesKontoEU = QStringLiteral("0");
    int MWST = -1;
    double Einkaufspreis = 0, Lieferant1Einkaufspreis = 0, Lieferant2Einkaufspreis = 0;
    int Lieferant1 = -17, Lieferant2 = -17;
    QString FremdartikelnummerLieferant1, FremdartikelnummerLieferant2;
    double Lagerbestand = 0;
    int ID_GS = -1;
    std::array<double, 30> Lager{};
    int IstKuechenArtikel = 0, IstSchankArtikel = 0;
    bool Lagerfuehrung = false;
    std::array<double, 6> Preis{};
    std::array<double, 3> Betrag_Verminderung{}, Menge_Verminderung{};
    bool NichtSteuerpflichtig = false, HatSeriennummern = false;
    int PLU = 0;
    bool PreisAenderbar = true;
    int AnzahlTickets = 0;
    double UmrechnungAEHinWEH = 1.0;
};

// The single row of the settings table.
struct TEinstellungen {
    bool gefunden = false;
    int ArtikelPreisart = -1;
    QString WebShopServerName, WebShopDatenbankname, WebShopBenutzer, WebShopPasswort;
    bool ServerFuerMobileKasseAktiv = false;
    QString KassenID;
    int RKSV = 0;
};

// Both database connections and the queries every part of the register shares.
// The main database holds everything that lasts; the local one only the sale being entered.
class Tdm_datenbank {
public:
    explicit Tdm_datenbank(const QString& name = QStringLiteral("Datenbank_Verbindung"));
    ~Tdm_datenbank();
    Tdm_datenbank(const Tdm_datenbank&) = delete;
    Tdm_datenbank& operator=(const Tdm_datenbank&) = delete;

    // Opens the main database: a SQLite file (created with the full schema when
    // missing) or a "postgresql://" address. Throws DatenbankFehler.
    void HauptdatenbankOeffnen(const QString& dateiOderAdresse);
    void LokaleDatenbankOeffnen(const QString& datei);
    void Trennen() noexcept;
    bool hauptOffen() const;
    bool lokalOffen() const;

    QSqlDatabase haupt() const;
    QSqlDatabase lokal() const;
    const SqlDialect& dialekt() const { return *m_dialekt; }
    const SqlDialect& lokalDialekt() const { return *m_lokalDialekt; }

    // Prepares, binds and runs; throws DatenbankFehler with the statement's error.
    QSqlQuery& ausfuehren(const QSqlDatabase& db, const QString& sql, const QVariantList& werte = {});
    // The same for a statement that returns no rows and runs many times in a row
    // (the rows of a sale): on SQLite straight through the driver's own handle.
    void schreiben(const QSqlDatabase& db, const QString& sql, const QVariantList& werte);
    // All rows of a small query as values, the same way (used on the completion's hot path).
    QList<QVariantList> lesen(const QSqlDatabase& db, const QString& sql, const QVariantList& werte = {});

    int NaechsteBarverkaufNr();
    int NeueBarverkaufspositionID();
    int NeueArtikelpositionID();
    int NeueKassenbuchID(int firma);

    TArtikelDaten ArtikelDatenLesen(const QString& artikel);
    QString ArtikelVonBarcode(const QString& barcode); // "-17" when unknown

    TEinstellungen EinstellungenLesen();
    // Rows of the company table (the Austrian mode allows exactly one).
    int FirmenAnzahl();
    void KassenIDSpeichern(const QString& kassenId);
    void RKSVSpeichern(bool an);

    // Appends one audit row; never raises.
    void ProtokollEintragen(const QString& benutzer, const QString& text, const QDateTime& zeit) noexcept;
    // Deletes audit rows older than ten years before the given day.
    void ProtokollBereinigen(const QDate& heute);

    QStringList SchemaAktualisieren();
    QStringList SchemaErweitern();

    // Transaction depth on the main connection, kept by the transaction guard.
    int& transaktionsTiefe() { return m_tiefe; }
    // How long a writer waits for another register's write lock before giving up.
    void wartezeitSetzen(int millisekunden);

private:
    // A prepared statement kept for reuse on the given connection.
    QSqlQuery& abfrage(const QSqlDatabase& db, const QString& sql);
    void* rohAnweisung(const QSqlDatabase& db, const QString& sql); // sqlite3_stmt*, null off SQLite
    int maxPlusEins(const QSqlDatabase& db, const QString& sql, const QVariantList& werte = {});
    void schliessen(const QString& name) noexcept;

    QString m_hauptName, m_lokalName;
    std::unique_ptr<SqlDialect> m_dialekt, m_lokalDialekt;
    QHash<QString, QSqlQuery> m_abfragen;
    QHash<QString, void*> m_rohAnweisungen; // sqlite3_stmt*, finalized before the connection closes
    int m_tiefe = 0;
};

// The database error as the register reports it; a database held by another
// register gets a clear text of its own.
[[nodiscard]] DatenbankFehler datenbankFehler(const QSqlError& e, const QString& sql = {});

// Stamps a row with user (first 50 characters) and time.
void BenutzerStempeln(QSqlRecord& zeile, const QString& benutzer, const QDateTime& zeit, const SqlDialect& d);
