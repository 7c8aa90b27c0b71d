#include "shell/Tfrm_strings.h"

#include <QHash>

namespace {

const QHash<QString, QString>& katalog() {
    static const QHash<QString, QString> texte = {
        {"sm_1", "Falsches Zahlenformat auf Schaltfläche!Achten sie z.B. darauf,daß das Dezimalzeichen richtig "
                 "ist.Ändern sie die Zahlenangaben in den Einstellungen und starten sie das Programm neu."},
        {"sm_2", "Verbindung zur Datenbank fehlgeschlagen!"},
        {"sm_3", "Fehler bei der Verbindung zur lokalen Datenbank!"},
        {"sm_4", "überprüfen sie den Barbetrag auf Korrektheit!"},
        {"sm_5", "überprüfen sie den Preis auf Korrektheit!"},
        {"sm_6", "überprüfen sie den Rabatt auf Korrektheit!"},
        {"sm_8", "Tabelle für Artikelpositionen nicht geöffnet!"},
        {"sm_9", "keine Artikelpositionen zu speichern!"},
        {"sm_10", "Periode muß Zahl sein!"},
        {"sm_12", "Differenz in der Kalkulation!"},
        {"sm_13", "Ein Fehler ist aufgetreten!Transaktion wurde zurückgesetzt.Fehler:"},
        {"sm_14", "Fehler Barverkaufspeicherung: "},
        {"sm_16", "Stornogenerierung abgeschlossen."},
        {"sm_17", "Fehler Barverkaufstorno: "},
        {"sm_18", "keine Daten für Druck!"},
        {"sm_19", "nach dieser Kolumne kann nicht sortiert werden!"},
        {"sm_22", "Befehl ausgeführt"},
        {"sm_23", "SQL Error "},
        {"sm_24", "Artikel zu Barcode konnte nicht gefunden werden!"},
        {"sm_25", "Bitte geben Sie einen Artikel/Barcode ein!"},
        {"sm_26", "Artikel konnte nicht gefunden werden!Überprüfen Sie den eingegebenen Artikel."},
        {"sm_27", "Erfassungsdaten wurden gelöscht"},
        {"sm_28", "Statistiken wurden gelöscht"},
        {"sm_29", "Kunden wurden gelöscht"},
        {"sm_30", "Artikeln wurden gelöscht"},
        {"sm_31", "Lieferanten wurden gelöscht"},
        {"sm_32", "Nummernkreise wurden neu angelegt"},
        {"sm_33", "Datenbank wurde für Neuanfang initialisiert"},
        {"sm_40", "kann die Zahlungsart nicht zuweisen!"},
        {"sm_41", "Artikelgruppe wirklich löschen ?"},
        {"sm_42", "Artikel wirklich löschen ?"},
        {"sm_43", "Barverkauf wirklich abbrechen!"},
        {"sm_44", "Tagesabrechnung starten?"},
        {"sm_45", "Storno-Generierung starten?"},
        {"sm_46", "Zahlungsart für ausgewählten BON ändern?"},
        {"sm_47", "Wirklich alle Daten wie Artikel,Bons usw. löschen?"},
        {"sm_48", "Sämtliche Erfassungsdaten wirklich löschen?"},
        {"sm_49", "Sämtliche Statsitiken wirklich löschen?"},
        {"sm_50", "Sämtliche Kunden wirklich löschen?"},
        {"sm_51", "Sämtliche Artikel wirklich löschen?"},
        {"sm_52", "Sämtliche Lieferanten wirklich löschen?"},
        {"sm_53", "Sämtliche Nummerkreise wirklich löschen?"},
        {"sm_54", "Sämtliche oben angeführte Daten wirklich löschen?"},
        {"sm_56", "Barverkaufsnummer ermitteln gescheitert!"},
        {"sm_57", "Artikel  nicht vorhanden!Transaktion wird abgebrochen.Artikel: "},
        {"sm_58", "keine Daten für Barverkauf gefunden"},
        {"sm_59", "Barverkaufsnummer ermitteln gescheitert!"},

        {"sko_1", "Artikelgruppe "},
        {"sko_2", "Favoriten"},
        {"sko_3", "Storno von Barverkauf Nr. "},
        {"sko_4", "Abrechnungen"},
        {"sko_5", "Von-Bis:"},
        {"sko_6", "Beleg Nr.: "},
        {"sko_7", "Verkäufer: "},
        {"sko_8", "Kasse Nr.: "},
        {"sko_10", "Rueck:"},
        {"sko_11", "Gesamt:"},
        {"sko_12", "neuer Barverkauf"},
        {"sko_13", "Kasse geschlossen"},

        {"lbl_bargeld", "BARZAHLUNG"},
        {"lbl_kreditkarte", "KREDITKARTE"},
        {"lbl_bankomat", "EC-CARD"},
        {"lbl_rechnung", "RECHNUNG"},
        {"lbl_scheck", "SCHECK"},
        {"lbl_sonstiges", "GUTSCHRIFT"},

        {"gr_barverkauf_artikel", "Artikel"},
        {"gr_barverkauf_menge", "Menge"},
        {"gr_barverkauf_preis", "Preis"},
        {"gr_barverkauf_rabatt", "Rab."},
        {"gr_barverkauf_betrag", "Betrag"},
        {"gr_tagesbons_bonnummer", "BON-Nr."},
        {"gr_tagesbons_erfassung", "Erfassung"},
        {"gr_tagesbons_zahlungsart", "Zahlungsart"},
        {"gr_tagesbons_betrag", "Betrag"},
        {"gr_tagesabrechnung_details_bonnummer", "BON-Nr."},
        {"gr_tagesabrechnung_details_erfassung", "Erfassung"},
        {"gr_tagesabrechnung_details_zahlungsart", "Zahlungsart"},
        {"gr_tagesabrechnung_details_betrag", "Betrag"},
        {"gr_tagesabrechnungen_kasse", "Kasse"},
        {"gr_tagesabrechnungen_nummer", "Nr"},
        {"gr_tagesabrechnungen_tagesabrechnung", "Tagesabrechnung"},
        {"gr_journal_artikel", "Artikel"},
        {"gr_journal_bezeichnung", "Bezeichnung"},
        {"gr_journal_erfassung", "Erfassung"},
        {"gr_journal_menge", "Menge"},
        {"gr_journal_mwst", "MwSt. %"},
        {"gr_journal_betrag", "Betrag"},

        {"lbl_barverkauf", "ORVEN-POS"},
        {"lbl_zahlungsart", "Zahlungsart auswählen"},
        {"lbl_tastatur", "Tastatur"},
        {"lbl_reportzielauswahl", "Auswahl"},
        {"lbl_kassaartikel", "Artikel hinzufügen und ändern"},
        {"lbl_artikelzuordnen", "Artikel den Schaltknöpfen zuordnen"},
        {"lbl_artikelgruppezuordnen", "Artikelgruppen"},
        {"lbl_datenbankinitialisieren", "Datenbank für Neustart leeren"},
    };
    return texte;
}

} // namespace

QString Tfrm_strings::text(const char* id) {
    return katalog().value(QString::fromLatin1(id), QString::fromLatin1(id));
}

bool Tfrm_strings::enthaelt(const char* id) { return katalog().contains(QString::fromLatin1(id)); }

QString Tfrm_strings::anzeigetext(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}
