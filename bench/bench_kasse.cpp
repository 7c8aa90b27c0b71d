// Scanning and button pages on an empty shop and on the large synthetic shop:
// the cost of a scan must not grow with the years of sales behind it.
#include "BenchUmgebung.h"
#include "data/Tdm_datenbank.h"
#include "register/Knopfseiten.h"
#include "register/Kundenanzeige.h"
#include "register/Verkauf.h"
#include "shell/Einstellungen.h"

#include <benchmark/benchmark.h>

namespace {

void BarcodeNachschlagen(benchmark::State& state) {
    BenchLaden& laden = BenchLaden::fuer(state.range(0));
    int i = 0;
    for (auto _ : state) {
        const QString artikel = laden.dm().ArtikelVonBarcode(laden.barcode(i++));
        benchmark::DoNotOptimize(laden.dm().ArtikelDatenLesen(artikel));
    }
    state.SetLabel(laden.name().toStdString());
}

void PositionScannen(benchmark::State& state) {
    BenchLaden& laden = BenchLaden::fuer(state.range(0));
    KeineKundenanzeige anzeige;
    Verkauf verkauf(laden.dm(), laden.einstellungen(), anzeige);
    verkauf.NeuerVerkauf();
    int i = 0;
    for (auto _ : state) {
        verkauf.BarcodeEingeben(laden.barcode(i));
        if (++i % 40 == 0) {
            state.PauseTiming();
            verkauf.NeuerVerkauf(); // a long sale, then the next one
            state.ResumeTiming();
        }
    }
    verkauf.NeuerVerkauf();
    state.SetLabel(laden.name().toStdString());
}

void ArtikelseiteFuellen(benchmark::State& state) {
    BenchLaden& laden = BenchLaden::fuer(state.range(0));
    Knopfseiten seiten(laden.dm(), laden.einstellungen(), laden.ordner());
    seiten.start();
    for (auto _ : state) {
        seiten.gruppeDruecken(1);
        benchmark::DoNotOptimize(seiten.artikel());
    }
    state.SetLabel(laden.name().toStdString());
}

} // namespace

BENCHMARK(BarcodeNachschlagen)->Arg(BenchLaden::Leer)->Arg(BenchLaden::Gross)->Unit(benchmark::kMicrosecond);
BENCHMARK(PositionScannen)->Arg(BenchLaden::Leer)->Arg(BenchLaden::Gross)->Unit(benchmark::kMicrosecond);
BENCHMARK(ArtikelseiteFuellen)->Arg(BenchLaden::Leer)->Arg(BenchLaden::Gross)->Unit(benchmark::kMicrosecond);
ORVENPOS_BENCH_MAIN()
