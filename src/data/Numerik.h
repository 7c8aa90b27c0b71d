#pragma once

// Amounts are doubles; what is stored or compared is rounded to cents,
// an exact half going to the even neighbour (the processor's rounding).
double RundenAufCent(double x);
// Swiss-franc mode: to five cents, same rounding.
double RundenAufFuenfCent(double x);
// Net from gross at a VAT rate in percent; rate 0 or -100 gives the gross back.
double NettoAusBrutto(double satz, double brutto);
// Amount of one position, rounded to cents.
double PositionsBetrag(double menge, double preis, double rabatt);
