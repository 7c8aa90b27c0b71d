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

BenchAnwendung::BenchAnwendung(int& argc, char** argv) : d(std::make_unique<Daten>(argc, argv)) {}
BenchAnwendung::~BenchAnwendung() = default;

namespace {
// The generator numbers its articles from 1 and gives article i the code 29 + i (ten digits) + check digit;
// group 2 holds the first thousand.
QString generatorBarcode(int i) { return Ean13(QStringLiteral("29%1").arg(i + 1, 10, 10, QLatin1Char('0'))); }
} // namespace

BenchLaden& BenchLaden::fuer(long art) {
    static std::map<long, std::unique_ptr<BenchLaden>> laeden;
    auto& l = laeden[art];
    if (!l) l.reset(new BenchLaden(Art(art)));
    return *l;
}

BenchLaden::BenchLaden(Art art) {
    m_e = std::make_unique<Einstellungen>(QDir(m_ordner.path()).filePath(QStringLiteral("orvenpos.ini")));
    m_dm = std::make_unique<Tdm_datenbank>(QStringLiteral("bench%1").arg(int(art)));
    if (art == Gross) {
        m_hauptdatei = QString::fromLocal8Bit(qgetenv("ORVENPOS_GROSSER_LADEN"));
        if (m_hauptdatei.isEmpty() || !QFile::exists(m_hauptdatei)) {
            std::fprintf(stderr, "ORVENPOS_GROSSER_LADEN fehlt: erst orvenpos-generator laufen lassen "
                                 "(bash scripts/bench.sh macht das).\n");
            std::exit(2);
        }
        m_name = QStringLiteral("gross");
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

QString BenchLaden::kopieDerHauptdatenbank() const {
    const QString ziel = QDir(m_ordner.path()).filePath(QStringLiteral("Kopie.db"));
    QFile::remove(ziel);
    if (!QFile::copy(m_hauptdatei, ziel)) throw Fehler(QStringLiteral("Kopie fehlgeschlagen: ") + ziel);
    return ziel;
}
