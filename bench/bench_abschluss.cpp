// Completing a sale of ten positions, on an empty shop and on the large one,
// next to a hand-written SQLite transaction that inserts the same rows with
// the same durability settings (WAL, synchronous FULL).
#include "BenchUmgebung.h"
#include "data/Tdm_datenbank.h"
#include "register/Abschluss.h"
#include "register/Kundenanzeige.h"
#include "register/Verkauf.h"
#include "shell/Anwendung.h"
#include "shell/Einstellungen.h"

#include <QDateTime>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <string>

namespace {

constexpr int kPositionen = 10;

void Abschluss10Positionen(benchmark::State& state) {
    BenchLaden& laden = BenchLaden::schreibbar(state.range(0));
    Anwendungszustand zustand;
    KeineKundenanzeige anzeige;
    Verkauf verkauf(laden.dm(), laden.einstellungen(), anzeige);
    Abschluss abschluss(laden.dm(), laden.einstellungen(), zustand, verkauf, laden.ordner());
    verkauf.NeuerVerkauf();
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int p = 0; p < kPositionen; ++p) verkauf.BarcodeEingeben(laden.barcode(i++));
        state.ResumeTiming();
        benchmark::DoNotOptimize(abschluss.abschliessen(Zahlknopf::Bargeld, Fiskalstatus{}));
    }
    state.SetLabel(laden.name().toStdString());
}

// The same rows (same columns and values) in one raw SQLite transaction.
void HandgeschriebeneTransaktion(benchmark::State& state) {
    BenchLaden& laden = BenchLaden::schreibbar(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_open_v2(laden.hauptdatei().toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA busy_timeout=15000", nullptr, nullptr,
                 nullptr);
    std::string spalten =
        "ID_Barverkaufspositionen, Firma, Periode_bv, Barverkauf_nr, Position_X, Filiale, Kassa, Angestellte, Erfassung, "
        "Kunde, Artikel, Menge, Preis, Rabatt, Einkaufspreis, Status, Benutzer, Benutzerdatum, Tagesabrechnung, "
        "BarBetrag, Zahlungsart, Barbetrag2, Zahlungsart2, KundeBruttoNetto, MWSTABetrag, MWSTBBetrag, MWSTCBetrag, "
        "MWSTDBetrag, NettoABetrag, NettoBBetrag, NettoCBetrag, NettoDBetrag, KartenBelegNr, AngNr, "
        "Groessenbezeichnung, Seriennummer, AnzahlTickets, Zusatztext1, Periode_au_merken, Auftrag_nr_merken, "
        "ArtikelMwSt, AusserhausMwSt, NichtSteuerpflichtig, MwStProzent, KassenID";
    int anzahl = 45;
    for (int m = 1; m <= 30; ++m) spalten += ", Menge" + std::to_string(m), ++anzahl;
    std::string platz = "?";
    for (int k = 1; k < anzahl; ++k) platz += ", ?";
    const std::string sql = "insert into Barverkaeufe (" + spalten + ") values (" + platz + ")";
    sqlite3_stmt *einfuegen = nullptr, *maxNr = nullptr, *maxId = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &einfuegen, nullptr);
    sqlite3_prepare_v2(db, "select max(Barverkauf_nr) from Barverkaeufe", -1, &maxNr, nullptr);
    sqlite3_prepare_v2(db, "select max(ID_Barverkaufspositionen) from Barverkaeufe", -1, &maxId, nullptr);
    for (auto _ : state) {
        const std::string jetzt = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_step(maxNr);
        const int nr = sqlite3_column_int(maxNr, 0) + 1;
        sqlite3_reset(maxNr);
        sqlite3_step(maxId);
        int id = sqlite3_column_int(maxId, 0) + 1;
        sqlite3_reset(maxId);
        for (int p = 0; p < kPositionen; ++p) {
            int k = 1;
            auto ganz = [&](long long v) { sqlite3_bind_int64(einfuegen, k++, v); };
            auto zahl = [&](double v) { sqlite3_bind_double(einfuegen, k++, v); };
            auto text = [&](const std::string& v) { sqlite3_bind_text(einfuegen, k++, v.c_str(), -1, SQLITE_TRANSIENT); };
            ganz(id++), ganz(1), ganz(20120101), ganz(nr), ganz(p + 1), ganz(0), ganz(1), text(""), text(jetzt);
            ganz(0), text("A0000001"), zahl(1), zahl(2.5), zahl(0), zahl(0), ganz(0), text(""), text(jetzt);
            text("1899-12-30 00:00:00"), zahl(25), ganz(0), zahl(25), ganz(0), ganz(0);
            for (int m = 0; m < 4; ++m) zahl(1.5);
            for (int m = 0; m < 4; ++m) zahl(10);
            ganz(-1), ganz(-1), text(""), text(""), ganz(0), text(""), ganz(-1), ganz(-1), zahl(19), ganz(-1), ganz(0),
                zahl(19), text("1");
            for (int m = 0; m < 30; ++m) zahl(0);
            sqlite3_step(einfuegen);
            sqlite3_reset(einfuegen);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(einfuegen);
    sqlite3_finalize(maxNr);
    sqlite3_finalize(maxId);
    sqlite3_close(db);
    state.SetLabel(laden.name().toStdString());
}

} // namespace

BENCHMARK(Abschluss10Positionen)->Arg(BenchLaden::Leer)->Arg(BenchLaden::Gross)->Unit(benchmark::kMicrosecond);
BENCHMARK(HandgeschriebeneTransaktion)->Arg(BenchLaden::Leer)->Arg(BenchLaden::Gross)->Unit(benchmark::kMicrosecond);
ORVENPOS_BENCH_MAIN()
