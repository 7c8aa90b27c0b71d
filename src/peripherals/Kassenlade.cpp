#include "peripherals/Kassenlade.h"

#include "peripherals/RohDruck.h"
#include "shell/Einstellungen.h"

QByteArray Kassenlade::Code(const Einstellungen& e) {
    QByteArray code(1, char(27));
    for (int i = 1; i <= 4; ++i) {
        bool ok = false;
        const int wert = e.text(QStringLiteral("ed_esc%1.Text").arg(i)).trimmed().toInt(&ok);
        if (ok) code += char(wert & 0xFF);
    }
    return code;
}

void Kassenlade::Oeffnen(const Einstellungen& e, const QString& datenordner) {
    RohDruck::senden(Code(e), e.text(QStringLiteral("cb_drucker.Text")), QStringLiteral("Lade oeffnen"), datenordner);
}
