#include "BenchUmgebung.h"

#include "data/Demodaten.h"
#include "data/Tdm_datenbank.h"
#include "shell/Einstellungen.h"
#include "shell/Fehler.h"
#include "shell/Regional.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <map>

struct BenchAnwendung::Daten {
    QCoreApplication app;
    Daten(int& argc, char** argv) : app(argc, argv) {}
};

namespace {
// The shops live until the application ends, and must be closed before it.
std::map<std::pair<long, bool>, std::unique_ptr<BenchLaden>>& laeden() {
    static std::map<std::pair<long, bool>, std::unique_ptr<BenchLaden>> l;
    return l;
}
} // namespace

BenchAnwendung::BenchAnwendung(int& argc, char** argv) : d(std::make_unique<Daten>(argc, argv)) {}
BenchAnwendung::~BenchAnwendung() { laeden().clear(); }

namespace {
// The generator numbers its articles from 1 and gives article i the code 29 + i (ten digits) + check digit;
// group 2 holds the first thousand.
QString generatorBarcode(int i) { return Ean13(QStringLiteral("29%1").arg(i + 1, 10, 10, QLatin1Char('0'))); }
} // namespace

BenchLaden& BenchLaden::fuer(long art) {
    auto& l = laeden()[{art, false}];
    if (!l) l.reset(new BenchLaden(Art(art), false));
    return *l;
}

BenchLaden& BenchLaden::schreibbar(long art) {
    auto& l = laeden()[{art, true}];
    if (!l) l.reset(new BenchLaden(Art(art), true));
    return *l;
}

BenchLaden::BenchLaden(Art art, bool kopie) {
    m_e = std::make_unique<Einstellungen>(QDir(m_ordner.path()).filePath(QStringLiteral("orvenpos.ini")));
    m_dm = std::make_unique<Tdm_datenbank>(QStringLiteral("bench%1_%2").arg(int(art)).arg(kopie));
    if (art == Gross) {
        m_hauptdatei = QString::fromLocal8Bit(qgetenv("ORVENPOS_GROSSER_LADEN"));
        if (m_hauptdatei.isEmpty() || !QFile::exists(m_hauptdatei)) {
            std::fprintf(stderr, "ORVENPOS_GROSSER_LADEN fehlt: erst orvenpos-generator laufen lassen "
                                 "(bash scripts/bench.sh macht das).\n");
            std::exit(2);
        }
        m_name = QStringLiteral("gross");
        if (kopie) {
            const QString ziel = QDir(m_ordner.path()).filePath(QStringLiteral("ZumoVarelo.db"));
            if (!QFile::copy(m_hauptdatei, ziel)) throw Fehler(QStringLiteral("Kopie fehlgeschlagen: ") + ziel);
            m_hauptdatei = ziel;
        }
    } else {
        m_hauptdatei = QDir(m_ordner.path()).filePath(QStringLiteral("ZumoVarelo.db"));
        m_name = QStringLiteral("leer");
    }
    m_dm->HauptdatenbankOeffnen(m_hauptdatei);
    m_dm->LokaleDatenbankOeffnen(QDir(m_ordner.path()).filePath(QStringLiteral("ZumoVarelo_Lokal.db")));
    if (art == Leer) {
        // The same first thousand articles of group 2 as in the large shop, and nothing else.
        m_dm->ausfuehren(m_dm->haupt(), QStringLiteral("insert into Artikelgruppen (Artikelgruppe, Name_AG, Reihenfolge) "
                                                       "values (2, 'Aussteller 1', 1)"));
        m_dm->ausfuehren(m_dm->haupt(), QStringLiteral("BEGIN"));
        for (int i = 0; i < 1000; ++i) {
            const QString nr = QStringLiteral("A%1").arg(i + 1, 7, 10, QLatin1Char('0'));
            m_dm->ausfuehren(m_dm->haupt(),
                             QStringLiteral("insert into Artikelstamm (Artikel, Name_AR, Artikelgruppe, Preis1, Suchbegriff, "
                                            "EANCode, ReihenfolgeInGruppe, Buttontext1) values (?, ?, 2, 2.5, ?, ?, ?, ?)"),
                             {nr, QStringLiteral("Artikel ") + nr, nr, generatorBarcode(i), i + 1, nr});
        }
        m_dm->ausfuehren(m_dm->haupt(), QStringLiteral("COMMIT"));
    }
}

QString BenchLaden::barcode(int i) const { return generatorBarcode((i * 37) % 1000); }

