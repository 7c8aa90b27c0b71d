#pragma once
#include <QApplication>
#include <exception>

// The application object: every error no handler caught ends here, is shown,
// and the register goes on.
class KassenAnwendung : public QApplication {
public:
    KassenAnwendung(int& argc, char** argv);
    bool notify(QObject* empfaenger, QEvent* ereignis) override;

    // The text the global handler shows for an error.
    static QString fehlertext(const std::exception& e);
    static void globalerFehler(const std::exception& e);
};
