#pragma once
#include <QString>

class Tdm_datenbank;

// EAN-13 check digit of the first twelve digits.
int Ean13Pruefziffer(const QString& zwoelfStellen);
QString Ean13(const QString& zwoelfStellen);

// A small shop to show the register with: six exhibitors with ten articles
// each, barcodes, button slots and favourites. Does nothing when articles exist.
// Returns the number of articles written.
int DemodatenAnlegen(Tdm_datenbank& dm);
