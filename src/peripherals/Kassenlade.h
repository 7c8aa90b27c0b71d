#pragma once
#include <QByteArray>
#include <QString>

class Einstellungen;

// The cash drawer hangs on the receipt printer and opens on an escape sequence.
namespace Kassenlade {
// ESC followed by the codes of the four code fields that hold an integer.
QByteArray Code(const Einstellungen& e);
// Sends the code to the receipt printer; printing errors reach the caller.
void Oeffnen(const Einstellungen& e, const QString& datenordner);
} // namespace Kassenlade
