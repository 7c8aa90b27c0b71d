#pragma once
#include <QByteArray>
#include <QString>

// Raw bytes to a printer, untouched (drawer pulses, printer commands).
// Installed printers are reached through CUPS; a name that is not installed
// goes to the default printer; without any printer, and for the built-in
// printer "PDF", the job is written as a file below "Sicherungen/Druck".
namespace RohDruck {
inline const QString kDateidrucker = QStringLiteral("PDF");
// Sends the bytes as one job; throws Fehler when the job cannot be delivered.
// Returns the file written for the built-in printer, else an empty text.
QString senden(const QByteArray& daten, const QString& drucker, const QString& titel, const QString& datenordner);
} // namespace RohDruck
