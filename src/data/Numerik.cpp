#include "data/Numerik.h"

#include <cmath>

double RundenAufCent(double x) { return std::nearbyint(x * 100.0) / 100.0; }

double RundenAufFuenfCent(double x) { return std::nearbyint(x * 20.0) / 20.0; }

double NettoAusBrutto(double satz, double brutto) {
    if (satz == 0.0 || satz == -100.0) return brutto;
    return brutto * 100.0 / (satz + 100.0);
}

double PositionsBetrag(double menge, double preis, double rabatt) {
    return RundenAufCent(menge * preis * (100.0 - rabatt) / 100.0);
}
