#include "QrBild.h"
#include "Fehler.h"

#include <cerrno>
#include <memory>

namespace sigkarte {

QImage qrBild(const QByteArray& daten, QRecLevel stufe, int modulPixel, int rand) {
    if (daten.isEmpty()) eingabeFehler(QStringLiteral("keine Daten für den QR-Code"));
    if (daten.contains('\0')) eingabeFehler(QStringLiteral("QR-Daten enthalten ein NUL-Zeichen"));
    errno = 0;
    std::unique_ptr<QRcode, void (*)(QRcode*)> qr(
        QRcode_encodeString(daten.constData(), 0, stufe, QR_MODE_8, 1), QRcode_free);
    if (!qr) {
        if (errno == ERANGE)
            eingabeFehler(QStringLiteral("%1 Zeichen sind zu viel für einen QR-Code").arg(daten.size()));
        eingabeFehler(QStringLiteral("QR-Code kann nicht erzeugt werden"));
    }

    const int module = qr->width;
    const int seite = (module + 2 * rand) * modulPixel;
    QImage bild(seite, seite, QImage::Format_Mono);
    bild.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    bild.fill(0);
    for (int y = 0; y < module; ++y)
        for (int x = 0; x < module; ++x) {
            if (!(qr->data[y * module + x] & 1)) continue;
            const int px = (x + rand) * modulPixel, py = (y + rand) * modulPixel;
            for (int dy = 0; dy < modulPixel; ++dy)
                for (int dx = 0; dx < modulPixel; ++dx)
                    bild.setPixel(px + dx, py + dy, 1);
        }
    return bild;
}

int zahlLesen(const QString& text, const QString& option, int min, int max) {
    bool ok = false;
    const int wert = text.toInt(&ok);
    if (!ok || wert < min || wert > max)
        eingabeFehler(QStringLiteral("%1 erwartet eine ganze Zahl von %2 bis %3, nicht \"%4\"")
                          .arg(option)
                          .arg(min)
                          .arg(max)
                          .arg(text));
    return wert;
}

} // namespace sigkarte
