#pragma once
#include "register/Kundenanzeige.h"
#include "shell/Anwendung.h"

#include <QWidget>
#include <memory>

class Einstellungen;
class Tdm_datenbank;
class QTabWidget;
class QPushButton;
class KassenSeite;
class EinstellungenSeite;

// The main window: every screen of the register is a tab of pc_main.
class Tfrm_barverkauf : public QWidget {
    Q_OBJECT
public:
    Tfrm_barverkauf(const QString& datenordner, const QString& iniDatei, QWidget* eltern = nullptr);
    ~Tfrm_barverkauf() override;

    Einstellungen& einstellungen() { return *m_einstellungen; }
    Tdm_datenbank& datenbank() { return *m_dm; }
    Anwendungszustand& zustand() { return m_zustand; }
    const QString& datenordner() const { return m_datenordner; }
    KassenSeite& kasse() { return *m_kasse; }

    // The start-up sequence; false when it was abandoned. Database failures raise.
    bool FormShow();
    void lbl_betragDblClick();
    void btn_schliessenClick();
    void btn_shutdownClick();
    void VerwaltungsansichtAnzeigen();

    // Writes an audit row with the register's (empty) user name, cut to 150 characters.
    void protokoll(const QString& text);

signals:
    void startBeendet(bool erfolgreich);

protected:
    void showEvent(QShowEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;
    void closeEvent(QCloseEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    void aufbauen();
    void einstellungenSeitenAufbauen(QTabWidget* innen);
    bool startAblauf();
    bool pinPruefen();
    void informationstextLaden();
    void informationstextSpeichern() noexcept;
    void startAbbrechen(const QString& meldung);
    void tabSichtbar(const char* name, bool sichtbar);
    void verstecktesUmschalten(const QString& schluessel);
    void schliessenAblauf();

    QString m_datenordner;
    std::unique_ptr<Einstellungen> m_einstellungen;
    std::unique_ptr<Tdm_datenbank> m_dm;
    Anwendungszustand m_zustand;
    KeineKundenanzeige m_kundenanzeige;
    QTabWidget* m_pcMain = nullptr;
    QTabWidget* m_pcEinstellungen = nullptr;
    QWidget* m_fuss = nullptr;
    KassenSeite* m_kasse = nullptr;
    EinstellungenSeite* m_einstellungenSeite = nullptr;
    bool m_gestartet = false;
    bool m_geschlossen = false;
};
