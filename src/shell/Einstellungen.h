#pragma once
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

// VAT rates of the categories A to D in percent.
struct TMwStSaetze {
    bool geladen = false;
    double A = 0, B = 0, C = 0, D = 0;
    double satz(int kategorie) const; // 1..4, else 0
};

// The register's settings: one value per control property ("ed_kassanummer.Text",
// "sw_display.StateOn", ...), starting from the design defaults. The stored ones
// persist to an INI file; widgets edit the store live and code reads it.
class Einstellungen : public QObject {
    Q_OBJECT
public:
    struct Eintrag {
        QString schluessel;
        QVariant standard;
        bool gespeichert; // persisted across restarts
    };
    // Every known property: the stored ones in storage order, then the unstored ones.
    static const QList<Eintrag>& eintraege();

    explicit Einstellungen(const QString& iniDatei, QObject* parent = nullptr);

    // Restores the stored values; missing or unreadable ones keep their defaults.
    void laden();
    // Writes every stored value.
    void speichern() const;
    const QString& datei() const { return m_datei; }

    bool kennt(const QString& schluessel) const { return m_werte.contains(schluessel); }
    QVariant wert(const QString& schluessel) const;
    QVariant standard(const QString& schluessel) const;
    QString text(const QString& schluessel) const { return wert(schluessel).toString(); }
    bool an(const QString& schluessel) const { return wert(schluessel).toBool(); }
    int zahl(const QString& schluessel) const { return wert(schluessel).toInt(); }
    QStringList zeilen(const QString& schluessel) const { return wert(schluessel).toStringList(); }
    void setzen(const QString& schluessel, const QVariant& wert);

    // Rates from "ed_mwst_a.Text" ... "ed_mwst_d.Text"; empty counts 0, a
    // non-number raises Fehler.
    TMwStSaetze MwStSaetzeLesen() const;

signals:
    void geaendert(const QString& schluessel, const QVariant& wert);

private:
    QString m_datei;
    QHash<QString, QVariant> m_werte;
};

// Reads a number the way the register's locale writes it ("10,7"); throws Fehler otherwise.
double ZahlAusText(const QString& text);
