// A register that does nothing but complete sales: N sales of K positions on
// a shared main database, each with its own local database. Used by the
// concurrency and crash tests. Prints the receipt numbers it stored.
#include "data/Tdm_datenbank.h"
#include "register/Abschluss.h"
#include "register/Kundenanzeige.h"
#include "register/Verkauf.h"
#include "shell/Anwendung.h"
#include "shell/Einstellungen.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 7) {
        std::fprintf(stderr, "verkaufslast HAUPT.db LOKAL.db INI ANZAHL POSITIONEN KASSA\n");
        return 2;
    }
    try {
        Tdm_datenbank dm;
        dm.HauptdatenbankOeffnen(a.at(1));
        dm.LokaleDatenbankOeffnen(a.at(2));
        Einstellungen e(a.at(3));
        e.setzen(QStringLiteral("ed_kassanummer.Text"), a.at(6));
        Anwendungszustand z;
        KeineKundenanzeige anzeige;
        Verkauf v(dm, e, anzeige);
        v.laden();
        Abschluss abschluss(dm, e, z, v, QStringLiteral("."));
        const int anzahl = a.at(4).toInt(), positionen = a.at(5).toInt();
        for (int n = 0; n < anzahl; ++n) {
            v.NeuerVerkauf();
            for (int p = 0; p < positionen; ++p) {
                TArtikelDatenX art;
                art.Artikel = QStringLiteral("L%1").arg(p % 3);
                art.Name = art.Artikel;
                art.Artikelpreis_1 = 1.0 + p;
                v.ArtikelHinzufuegen(art);
            }
            const int nr = abschluss.abschliessen(Zahlknopf::Bargeld, Fiskalstatus{});
            std::printf("%d\n", nr);
            std::fflush(stdout);
        }
    } catch (const Fehler& f) {
        std::fprintf(stderr, "%s\n", qPrintable(f.text()));
        return 1;
    }
    return 0;
}
