#pragma once

#include <QString>

namespace sigkarte {

// Exit codes the register tells apart (see README.md).
enum Exitcode : int {
    ExitOk = 0,
    ExitKarteDeaktiviert = 1, // "a.sign Client nicht initialisiert"
    ExitKeineKarte = 2,       // card missing or unreadable
    ExitAusgabe = 8,          // result file could not be written
    ExitEingabe = 9,          // bad command line or bad value
};

// The one error type of these programs: main() prints the text and exits with the code.
struct Fehler {
    int code;
    QString text;
};

[[noreturn]] inline void eingabeFehler(const QString& text) {
    throw Fehler{ExitEingabe, text};
}

} // namespace sigkarte
