#pragma once
#include <QString>
#include <optional>

class QWidget;

// Message boxes of the register. "\r" in a text is a line break. With the
// environment variable ORVENPOS_MELDUNGEN=stderr (unattended runs) the text goes
// to standard error and the box is not shown: questions answer No, inputs cancel.
namespace Meldungen {
void zeigen(QWidget* eltern, const QString& text, const QString& titel = {});
void fehler(QWidget* eltern, const QString& text, const QString& titel = {});
bool frage(QWidget* eltern, const QString& text, const QString& titel = {});
// Asks for a PIN ("PIN" / "bitte PIN eingeben"); empty optional on cancel.
std::optional<QString> pinAbfragen(QWidget* eltern);
bool unbeaufsichtigt();
} // namespace Meldungen
