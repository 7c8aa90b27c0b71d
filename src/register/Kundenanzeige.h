#pragma once
#include <QString>

// What the sale tells the customer display. The register talks only to this
// interface; with the display switched off nothing is shown.
class Kundenanzeige {
public:
    virtual ~Kundenanzeige() = default;
    virtual void artikelHinzugefuegt(const QString& name, double gesamt) = 0;
    virtual void gesamtZeigen(double gesamt) = 0;
    virtual void rueckgeldZeigen(double gesamt, double rueckgeld) = 0;
    virtual void neuerVerkauf() = 0;
};

// The display switched off.
class KeineKundenanzeige : public Kundenanzeige {
public:
    void artikelHinzugefuegt(const QString&, double) override {}
    void gesamtZeigen(double) override {}
    void rueckgeldZeigen(double, double) override {}
    void neuerVerkauf() override {}
};
