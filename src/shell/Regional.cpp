#include "shell/Regional.h"

namespace {
QLocale& aktuell() {
    static QLocale l = [] {
        QLocale d(QLocale::German, QLocale::Germany);
        d.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitLeadingZeroInExponent);
        return d;
    }();
    return l;
}
} // namespace

QLocale Regional::locale() { return aktuell(); }

void Regional::setzen(const QLocale& l) {
    aktuell() = l;
    aktuell().setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitLeadingZeroInExponent);
}

QString Regional::betrag(double wert) {
    QLocale l = aktuell();
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    return l.toString(wert, 'f', 2);
}

QString Regional::waehrung(double wert, const QString& symbol) {
    if (wert < 0) return QStringLiteral("-") + symbol + QStringLiteral(" ") + betrag(-wert);
    return symbol + QStringLiteral(" ") + betrag(wert);
}
