#pragma once
#include <QString>

class Einstellungen;
struct TMwStSaetze;

// Decisions of the start-up sequence that need no window.
namespace Startregeln {

inline const QString kServicePin = QStringLiteral("3607");

// The configured PIN or the service PIN opens the register.
bool PinGueltig(const QString& eingabe, const QString& konfiguriert);
// Removes one leading and one trailing double quote.
QString AnfuehrungszeichenEntfernen(const QString& text);
// The main database: the configured folder when it is visible and exists (or a
// "postgresql://" address), else the data folder.
QString HauptdatenbankDatei(const Einstellungen& e, const QString& datenordner);
QString LokaleDatenbankDatei(const QString& datenordner);
// The Austrian mode needs the rates 20, 10, 13, 0 in this order, or any rate of 5.
bool RksvMwStReihenfolgeGueltig(const TMwStSaetze& m);
// Trimmed currency; "$" becomes "USD", empty becomes "€".
QString Waehrungssymbol(const QString& eingabe);

} // namespace Startregeln
