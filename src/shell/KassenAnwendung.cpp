#include "shell/KassenAnwendung.h"

#include "shell/Fehler.h"
#include "shell/Meldungen.h"

#include <QApplication>
#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace {
QString klassenname(const std::exception& e) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> n(abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
    return QString::fromLatin1(status == 0 && n ? n.get() : typeid(e).name());
}

QString nachricht(const std::exception& e) {
    if (const auto* f = dynamic_cast<const Fehler*>(&e)) return f->text();
    return QString::fromLocal8Bit(e.what());
}
} // namespace

KassenAnwendung::KassenAnwendung(int& argc, char** argv) : QApplication(argc, argv) {}

QString KassenAnwendung::fehlertext(const std::exception& e) {
    const QString text = nachricht(e);
    if (text.toUpper().contains(QLatin1String("CANVAS")))
        return QStringLiteral("Damit das Programm korrekt funktioniert\rlegen Sie bitte einen Standarddrucker unter "
                              "Windows fest!\r\rPlease set a standardprinter under windows otherwise you get "
                              "errormessages!");
    return klassenname(e) + QStringLiteral("\r") + text;
}

void KassenAnwendung::globalerFehler(const std::exception& e) {
    Meldungen::fehler(QApplication::activeWindow(), fehlertext(e));
}

bool KassenAnwendung::notify(QObject* empfaenger, QEvent* ereignis) {
    try {
        return QApplication::notify(empfaenger, ereignis);
    } catch (const std::exception& e) {
        globalerFehler(e);
    } catch (...) {
        Meldungen::fehler(QApplication::activeWindow(), QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}
