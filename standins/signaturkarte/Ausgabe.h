#pragma once

#include <QByteArray>
#include <QString>

class QImage;

namespace sigkarte {

// Writes a result file atomically, so a failed run never leaves a half-written file.
void ergebnisSchreiben(const QString& pfad, const QByteArray& inhalt);
void bildSchreiben(const QString& pfad, const QImage& bild, const char* format);

// Runs body() with the full argument list (program name first) and turns a Fehler into a message on stderr
// and its exit code.
int mitFehlerbehandlung(const char* programm, int (*body)(const QStringList&), const QStringList& args);

} // namespace sigkarte
