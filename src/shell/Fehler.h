#pragma once
#include <QString>
#include <stdexcept>

// The one error type of the register: carries the text the user sees.
// Core code throws it; forms and the global handler show it.
class Fehler : public std::runtime_error {
public:
    explicit Fehler(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};

// Database errors keep the driver's own wording after our text.
class DatenbankFehler : public Fehler {
public:
    using Fehler::Fehler;
};
