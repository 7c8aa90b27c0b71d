#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>

class Tdm_datenbank;
class Einstellungen;

// A shop to measure on: "Leer" is a fresh database holding just the articles
// the benchmarks touch; "Gross" is the generator's large shop
// ($ORVENPOS_GROSSER_LADEN). The sale being entered lives in a local database
// of its own, as on a register.
class BenchLaden {
public:
    enum Art { Leer = 0, Gross = 1 };
    static BenchLaden& fuer(long art);
    // A shop of its own to write into (the large shop as a copy).
    static BenchLaden& schreibbar(long art);

    Tdm_datenbank& dm() { return *m_dm; }
    Einstellungen& einstellungen() { return *m_e; }
    const QString& name() const { return m_name; }
    QString ordner() const { return m_ordner.path(); }
    // The barcode of one of the first articles of group 2 (the same in both shops).
    QString barcode(int i) const;
    const QString& hauptdatei() const { return m_hauptdatei; }

private:
    BenchLaden(Art art, bool kopie);
    QTemporaryDir m_ordner;
    QString m_name, m_hauptdatei;
    std::unique_ptr<Tdm_datenbank> m_dm;
    std::unique_ptr<Einstellungen> m_e;
};

// Benchmarks need a Qt application object for the SQL drivers.
#define ORVENPOS_BENCH_MAIN()                                                                                          \
    int main(int argc, char** argv) {                                                                                  \
        BenchAnwendung app(argc, argv);                                                                                \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }

class BenchAnwendung {
public:
    BenchAnwendung(int& argc, char** argv);
    ~BenchAnwendung();

private:
    struct Daten;
    std::unique_ptr<Daten> d;
};
