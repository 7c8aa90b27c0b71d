#include "shell/Fehler.h"
#include "shell/KassenAnwendung.h"
#include "shell/Tfrm_strings.h"

#include <QTimer>
#include <gtest/gtest.h>

TEST(Katalog, TexteNachIdUndZeilenumbruch) {
    const struct {
        const char* id;
        const char* text;
    } faelle[] = {
        {"sm_2", "Verbindung zur Datenbank fehlgeschlagen!"},
        {"sm_24", "Artikel zu Barcode konnte nicht gefunden werden!"},
        {"sm_57", "Artikel  nicht vorhanden!Transaktion wird abgebrochen.Artikel: "},
        {"sm_59", "Barverkaufsnummer ermitteln gescheitert!"},
        {"sko_1", "Artikelgruppe "},
        {"sko_13", "Kasse geschlossen"},
        {"lbl_sonstiges", "GUTSCHRIFT"},
        {"gr_journal_mwst", "MwSt. %"},
        {"lbl_datenbankinitialisieren", "Datenbank für Neustart leeren"},
    };
    for (const auto& f : faelle) EXPECT_EQ(Tfrm_strings::text(f.id), QString::fromUtf8(f.text)) << f.id;
    for (const char* fehlt : {"sm_7", "sm_11", "sm_55", "sko_9"}) EXPECT_FALSE(Tfrm_strings::enthaelt(fehlt)) << fehlt;
    EXPECT_EQ(Tfrm_strings::anzeigetext("a\rb\r\rc"), "a\nb\n\nc");
}

TEST(GlobalerFehler, TextUndDruckerhinweis) {
    EXPECT_EQ(KassenAnwendung::fehlertext(Fehler("kaputt")), "Fehler\rkaputt");
    EXPECT_EQ(KassenAnwendung::fehlertext(DatenbankFehler("weg")), "DatenbankFehler\rweg");
    EXPECT_TRUE(KassenAnwendung::fehlertext(Fehler("Canvas does not allow drawing"))
                    .startsWith("Damit das Programm korrekt funktioniert\rlegen Sie bitte"));
}

TEST(GlobalerFehler, ProgrammLaeuftNachUnbehandeltemFehlerWeiter) {
    qputenv("ORVENPOS_MELDUNGEN", "stderr");
    bool danach = false;
    QTimer::singleShot(0, [] { throw Fehler("unbehandelt"); });
    QTimer::singleShot(10, [&danach] {
        danach = true;
        QCoreApplication::exit(0);
    });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(danach);
    qunsetenv("ORVENPOS_MELDUNGEN");
}
