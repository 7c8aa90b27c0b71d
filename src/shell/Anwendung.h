#pragma once
#include <QString>

// Application-wide state, owned by the main window and read everywhere.
struct Anwendungszustand {
    int Firmennummer = 1;
    QString Waehrungssymbol = QStringLiteral("€");
    bool HerunterfahrenBeimSchliessen = false;
    bool DatenbankFehlgeschlagen = false;
    bool Verwaltungsmodus = false;
    int Kassennummer = 1;
    // The sales period is a constant of the register.
    int Periode = 20120101;
};
