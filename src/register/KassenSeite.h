#pragma once
#include "register/Abschluss.h"
#include "register/Knopfseiten.h"

#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;
class QTableView;
class QTextBrowser;
class Einstellungen;
class Tdm_datenbank;
class Kundenanzeige;
class Verkauf;
class PositionenModell;
struct Anwendungszustand;

// A label that reports double-clicks (the total label switches the view).
class DoppelklickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void doppelklick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* ereignis) override;
};

// The register tab "Barverkauf": a touch screen with exhibitor and article
// buttons, the positions of the sale, the keypad and the money buttons.
class KassenSeite : public QWidget {
    Q_OBJECT
public:
    KassenSeite(Einstellungen& e, Tdm_datenbank& dm, Kundenanzeige& anzeige, Anwendungszustand& zustand,
                const QString& datenordner, QWidget* eltern = nullptr);

    QTextBrowser* anleitung() const { return m_anleitung; }
    QLabel* kartenleser() const { return m_kartenleser; }
    Verkauf& verkauf() { return *m_verkauf; }
    Knopfseiten& knoepfe() { return m_knoepfe; }
    Abschluss& abschluss() { return *m_abschluss; }

    // Start-up: scanner field, money panel and captions, button pages, a new sale.
    void starten();
    void barcodeFokus();
    // Fonts follow the screen size: factor 1 is a 1024×768 screen; 8 to 48 points.
    void skalieren(double faktor);
    void btn_neuerbarverkaufClick();
    void btn_barverkauf_abbrechenClick();
    // The five completion buttons share this handler.
    void abschliessen(Zahlknopf knopf);
    // Stored receipt numbers go out here (receipt screens follow them).
    int letzteBarverkaufNr() const { return m_letzteNummer; }
    // Entering the extra text of a position; the on-screen keyboard plugs in here.
    std::function<std::optional<QString>()> texteingabe;

signals:
    void betragDoppelklick();
    // While a sale is completed the page control is locked.
    void abschlussLaeuft(bool an);

private:
    QWidget* knopfbereich();
    QWidget* erfassungsbereich();
    QWidget* geldbereich();
    QWidget* zahlbereich();
    void bedienungSperren(bool gesperrt);
    void knoepfeAnzeigen();
    void anzeigen();
    void geldpanelWaehlen();
    void fehlerZeigen(const std::function<void()>& aktion);
    QString betrag(double wert) const;

    Einstellungen& m_e;
    Anwendungszustand& m_zustand;
    QString m_datenordner;
    Verkauf* m_verkauf;
    std::unique_ptr<Abschluss> m_abschluss;
    int m_letzteNummer = -1;
    double m_basisPunkte = 9.0;
    std::map<Zahlknopf, QPushButton*> m_zahlknoepfe;
    Knopfseiten m_knoepfe;
    PositionenModell* m_modell;
    QTextBrowser* m_anleitung;
    QLabel* m_kartenleser;
    QLabel* m_titel = nullptr;
    QTableView* m_grid = nullptr;
    QLineEdit *m_barcode = nullptr, *m_bar = nullptr, *m_gesamt = nullptr, *m_baranzeige = nullptr,
              *m_wechselgeld = nullptr;
    std::array<QLineEdit*, 4> m_mwst{};
    QPushButton* m_favoriten = nullptr;
    std::array<QPushButton*, Knopfseiten::kGruppen> m_gruppen{};
    std::array<QPushButton*, Knopfseiten::kArtikel> m_artikel{};
    QLineEdit *m_gruppeposition = nullptr, *m_artikelposition = nullptr, *m_vonGruppe = nullptr,
              *m_bisGruppe = nullptr;
    QWidget *m_euro = nullptr, *m_franken = nullptr, *m_zahlen = nullptr;
    std::array<QPushButton*, 9> m_zahlenknoepfe{};
};
