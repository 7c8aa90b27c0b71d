#pragma once
#include <QByteArray>

class QTextDocument;

// Rich Text Format for the information text and the receipt archive: the
// formatting a shop uses (fonts, sizes, bold, italic, underline, text and
// background colours, paragraph alignment, line breaks), any Unicode text.
namespace Rtf {
QByteArray schreiben(const QTextDocument& dokument);
// Replaces the document's content; unknown control words and groups are skipped.
void lesen(const QByteArray& rtf, QTextDocument& dokument);
} // namespace Rtf
