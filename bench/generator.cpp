// Fills a database with a large synthetic shop: exhibitors, articles with
// barcodes and button slots, years of closed sales with their daily closings.
// Uses SQLite directly with one prepared statement per table: millions of rows
// in well under a minute.
#include "data/Demodaten.h"
#include "data/Tdm_datenbank.h"
#include "shell/Fehler.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <string>

namespace {

struct Parameter {
    QString ziel;
    int gruppen = 200;
    int artikel = 200000;
    long long positionen = 2000000;
    int tage = 3 * 365;
};

void pruefen(int rc, sqlite3* db, const char* was) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw Fehler(QStringLiteral("%1: %2").arg(QLatin1String(was), QString::fromUtf8(sqlite3_errmsg(db))));
}

struct Anweisung {
    sqlite3* db;
    sqlite3_stmt* st = nullptr;
    Anweisung(sqlite3* d, const char* sql) : db(d) { pruefen(sqlite3_prepare_v2(d, sql, -1, &st, nullptr), d, sql); }
    ~Anweisung() { sqlite3_finalize(st); }
    void text(int i, const std::string& s) { sqlite3_bind_text(st, i, s.c_str(), int(s.size()), SQLITE_TRANSIENT); }
    void ganz(int i, long long v) { sqlite3_bind_int64(st, i, v); }
    void zahl(int i, double v) { sqlite3_bind_double(st, i, v); }
    void los() {
        pruefen(sqlite3_step(st), db, "step");
        sqlite3_reset(st);
    }
};

void exec(sqlite3* db, const char* sql) { pruefen(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql); }

std::string zeit(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(); }

void erzeugen(const Parameter& p) {
    QFile::remove(p.ziel);
    {
        Tdm_datenbank dm(QStringLiteral("generator"));
        dm.HauptdatenbankOeffnen(p.ziel); // full schema, indexes and reference rows
    }
    sqlite3* db = nullptr;
    pruefen(sqlite3_open(p.ziel.toUtf8().constData(), &db), db, "open");
    exec(db, "PRAGMA synchronous=OFF");
    exec(db, "BEGIN");
    std::mt19937 zufall(20261211);

    {
        Anweisung g(db, "insert into Artikelgruppen (Artikelgruppe, Name_AG, Reihenfolge, Farbe, Aktiv, IstKassaGruppe) "
                        "values (?, ?, ?, 33023, 1, 1)");
        for (int i = 0; i < p.gruppen; ++i) {
            g.ganz(1, i + 2);
            g.text(2, "Aussteller " + std::to_string(i + 1));
            g.ganz(3, i + 1);
            g.los();
        }
    }
    std::vector<double> preise(p.artikel);
    {
        Anweisung a(db, "insert into Artikelstamm (Artikel, Name_AR, Artikelgruppe, Preis1, Einkaufspreis, Suchbegriff, "
                        "Einheit, MWST, EANCode, IstFavorit, Favoritenreihenfolge, ButtonFarbe, IstKassaArtikel, "
                        "ReihenfolgeInGruppe, Buttontext1, Buttontext2) "
                        "values (?, ?, ?, ?, ?, ?, 'Stk', ?, ?, ?, ?, 12632256, 1, ?, ?, '')");
        std::uniform_int_distribution<int> cent(50, 9999);
        const int proGruppe = (p.artikel + p.gruppen - 1) / p.gruppen;
        for (int i = 0; i < p.artikel; ++i) {
            char nummer[16];
            std::snprintf(nummer, sizeof nummer, "A%07d", i + 1);
            char zwoelf[13];
            std::snprintf(zwoelf, sizeof zwoelf, "29%010d", i + 1);
            preise[i] = cent(zufall) / 100.0;
            const std::string name = std::string("Artikel ") + nummer;
            a.text(1, nummer);
            a.text(2, name);
            a.ganz(3, i / proGruppe + 2);
            a.zahl(4, preise[i]);
            a.zahl(5, preise[i] * 0.6);
            a.text(6, name);
            a.ganz(7, 1 + i % 2);
            a.text(8, Ean13(QString::fromLatin1(zwoelf)).toStdString());
            a.ganz(9, i < 56 ? 1 : 0);
            a.ganz(10, i < 56 ? i + 1 : -1);
            a.ganz(11, i % proGruppe + 1);
            a.text(12, name);
            a.los();
        }
    }
    {
        Anweisung v(db,
                    "insert into Barverkaeufe (ID_Barverkaufspositionen, Firma, Periode_bv, Barverkauf_nr, Position_X, "
                    "Filiale, Kassa, Angestellte, Erfassung, Kunde, Artikel, Menge, Preis, Rabatt, Einkaufspreis, Status, "
                    "Tagesabrechnung, BarBetrag, Zahlungsart, Barbetrag2, Zahlungsart2, KundeBruttoNetto, MWSTABetrag, "
                    "MWSTBBetrag, MWSTCBetrag, MWSTDBetrag, NettoABetrag, NettoBBetrag, NettoCBetrag, NettoDBetrag, "
                    "KartenBelegNr, AngNr, TagesabrechnungNummer, ArtikelMwSt, MwStProzent, KassenID) "
                    "values (?, 1, 20120101, ?, ?, 0, 1, '', ?, 0, ?, ?, ?, 0, ?, 1, ?, ?, ?, ?, 0, 0, ?, ?, 0, 0, ?, ?, "
                    "0, 0, -1, -1, ?, ?, ?, '1')");
        std::uniform_int_distribution<int> groesse(1, 7), artikelWahl(0, p.artikel - 1), menge(1, 3), zahlart(0, 9);
        const long long proTag = p.positionen / p.tage;
        const QDateTime start(QDate::currentDate().addDays(-p.tage), QTime(9, 0));
        long long id = 0;
        int bon = 0;
        for (int tag = 0; tag < p.tage && id < p.positionen; ++tag) {
            const QDateTime abschluss(start.date().addDays(tag), QTime(19, 0));
            const std::string abschlussText = zeit(abschluss);
            const long long ende = tag == p.tage - 1 ? p.positionen : std::min(p.positionen, id + proTag);
            int sekunde = 0;
            while (id < ende) {
                ++bon;
                const int n = int(std::min<long long>(groesse(zufall), ende - id));
                struct Pos {
                    int artikel;
                    int menge;
                };
                std::vector<Pos> pos(n);
                double gesamt = 0, a = 0, b = 0;
                for (auto& x : pos) {
                    x = {artikelWahl(zufall), menge(zufall)};
                    const double betrag = x.menge * preise[x.artikel];
                    gesamt += betrag;
                    (x.artikel % 2 == 0 ? a : b) += betrag;
                }
                const int art = zahlart(zufall) < 7 ? 0 : 1;
                sekunde += 60;
                const std::string erfassung = zeit(start.addDays(tag).addSecs(sekunde % 36000));
                for (int k = 0; k < n; ++k) {
                    const int art_i = pos[k].artikel;
                    char nummer[16];
                    std::snprintf(nummer, sizeof nummer, "A%07d", art_i + 1);
                    v.ganz(1, ++id);
                    v.ganz(2, bon);
                    v.ganz(3, k + 1);
                    v.text(4, erfassung);
                    v.text(5, nummer);
                    v.zahl(6, pos[k].menge);
                    v.zahl(7, preise[art_i]);
                    v.zahl(8, preise[art_i] * 0.6);
                    v.text(9, abschlussText);
                    v.zahl(10, gesamt);
                    v.ganz(11, art);
                    v.zahl(12, art == 0 ? gesamt : 0);
                    v.zahl(13, a - a / 1.19);
                    v.zahl(14, b - b / 1.07);
                    v.zahl(15, a / 1.19);
                    v.zahl(16, b / 1.07);
                    v.ganz(17, tag + 1);
                    v.zahl(18, art_i % 2 == 0 ? 19 : 7);
                    v.zahl(19, art_i % 2 == 0 ? 19 : 7);
                    v.los();
                }
            }
        }
    }
    exec(db, "COMMIT");
    exec(db, "ANALYZE");
    sqlite3_close(db);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Parameter p;
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        auto naechste = [&]() -> long long {
            if (i + 1 >= args.size()) throw Fehler(QStringLiteral("Wert fehlt nach ") + a);
            bool ok = false;
            const long long v = args.at(++i).toLongLong(&ok);
            if (!ok || v <= 0) throw Fehler(QStringLiteral("Ungültige Zahl nach ") + a);
            return v;
        };
        try {
            if (a == QLatin1String("--gruppen")) p.gruppen = int(naechste());
            else if (a == QLatin1String("--artikel")) p.artikel = int(naechste());
            else if (a == QLatin1String("--positionen")) p.positionen = naechste();
            else if (a == QLatin1String("--tage")) p.tage = int(naechste());
            else if (p.ziel.isEmpty() && !a.startsWith(QLatin1Char('-'))) p.ziel = a;
            else throw Fehler(QStringLiteral("Unbekannte Option: ") + a);
        } catch (const Fehler& f) {
            std::fprintf(stderr, "%s\n", qPrintable(f.text()));
            return 2;
        }
    }
    if (p.ziel.isEmpty()) {
        std::fprintf(stderr, "Aufruf: orvenpos-generator ZIEL.db [--gruppen N] [--artikel N] [--positionen N] [--tage N]\n");
        return 2;
    }
    QElapsedTimer uhr;
    uhr.start();
    try {
        erzeugen(p);
    } catch (const Fehler& f) {
        std::fprintf(stderr, "%s\n", qPrintable(f.text()));
        return 1;
    }
    std::printf("%s: %d Aussteller, %d Artikel, %lld Positionen über %d Tage in %.1f s\n", qPrintable(p.ziel), p.gruppen,
                p.artikel, p.positionen, p.tage, uhr.elapsed() / 1000.0);
    return 0;
}
