#pragma once
#include <QLocale>
#include <QString>

// The one number and date format of the register (German: decimal comma,
// "." thousands), independent of the machine's C library.
namespace Regional {
QLocale locale();
void setzen(const QLocale& l);
// ",0.00" style: thousands separator, two decimals.
QString betrag(double wert);
// Display format of amount fields: symbol, blank, amount.
QString waehrung(double wert, const QString& symbol);
} // namespace Regional
