#pragma once

#include <QByteArray>
#include <QImage>

#include <qrencode.h>

namespace sigkarte {

// Black-on-white QR code, modulPixel pixels per module and a quiet zone of
// rand modules; throws when the data do not fit a QR code.
QImage qrBild(const QByteArray& daten, QRecLevel stufe, int modulPixel, int rand);

// Reads a whole-number option value within [min, max].
int zahlLesen(const QString& text, const QString& option, int min, int max);

} // namespace sigkarte
