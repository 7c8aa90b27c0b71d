#include "shell/Tfrm_barverkauf.h"

#include "data/Tdm_datenbank.h"
#include "report/Rtf.h"
#include "register/KassenSeite.h"
#include "shell/Einstellungen.h"
#include "shell/EinstellungenSeite.h"
#include "shell/Fehler.h"
#include "shell/Meldungen.h"
#include "shell/Startregeln.h"
#include "shell/Tfrm_strings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextBrowser>
#include <QTextEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Tabs only the administration view shows.
const char* const kVerwaltungsTabs[] = {"ts_beschleunigen", "ts_artikel", "ts_einstellungen", "ts_journal",
                                        "ts_kassenjournal", "ts_tagesabrechnung", "ts_zahlungsterminal"};

QWidget* seite(const char* name) {
    auto* w = new QWidget;
    w->setObjectName(QLatin1String(name));
    return w;
}
} // namespace

Tfrm_barverkauf::Tfrm_barverkauf(const QString& datenordner, const QString& iniDatei, QWidget* eltern)
    : QWidget(eltern), m_datenordner(datenordner), m_einstellungen(std::make_unique<Einstellungen>(iniDatei)),
      m_dm(std::make_unique<Tdm_datenbank>()) {
    setObjectName(QStringLiteral("Tfrm_barverkauf"));
    setWindowTitle(Tfrm_strings::text("lbl_barverkauf"));
    // Stored settings come back before any screen reads them.
    m_einstellungen->laden();
    aufbauen();
    qApp->installEventFilter(this);
}

Tfrm_barverkauf::~Tfrm_barverkauf() {
    qApp->removeEventFilter(this);
    if (!m_geschlossen) schliessenAblauf();
}

void Tfrm_barverkauf::aufbauen() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_pcMain = new QTabWidget(this);
    m_pcMain->setObjectName(QStringLiteral("pc_main"));
    layout->addWidget(m_pcMain, 1);

    m_kasse = new KassenSeite(*m_einstellungen, *m_dm, m_kundenanzeige, m_zustand, m_datenordner);
    m_kasse->setObjectName(QStringLiteral("ts_barverkauf"));
    connect(m_kasse, &KassenSeite::betragDoppelklick, this, &Tfrm_barverkauf::lbl_betragDblClick);
    connect(m_kasse, &KassenSeite::abschlussLaeuft, this, [this](bool an) { m_pcMain->tabBar()->setEnabled(!an); });
    m_pcMain->addTab(m_kasse, QStringLiteral("Barverkauf"));
    m_pcMain->addTab(seite("ts_tagesabrechnung"), QStringLiteral("Tagesabrechnungen"));
    m_pcMain->addTab(seite("ts_kassenjournal"), QStringLiteral("Kassenbuch"));
    m_pcMain->addTab(seite("ts_journal"), QStringLiteral("Artikeljournal"));
    m_pcMain->addTab(seite("ts_artikel"), QStringLiteral("Artikel anlegen"));
    auto* einstellungen = seite("ts_einstellungen");
    auto* innenLayout = new QVBoxLayout(einstellungen);
    m_pcEinstellungen = new QTabWidget(einstellungen);
    m_pcEinstellungen->setObjectName(QStringLiteral("pc_einstellungen"));
    innenLayout->addWidget(m_pcEinstellungen);
    einstellungenSeitenAufbauen(m_pcEinstellungen);
    m_pcMain->addTab(einstellungen, QStringLiteral("Einstellungen"));
    m_pcMain->addTab(seite("ts_beschleunigen"), QStringLiteral("Kasse beschleunigen"));
    m_pcMain->addTab(seite("ts_zahlungsterminal"), QStringLiteral("Kartenzahlungen"));

    m_fuss = new QWidget(this);
    m_fuss->setObjectName(QStringLiteral("pnl_fuss2"));
    auto* fuss = new QHBoxLayout(m_fuss);
    fuss->addStretch();
    auto* schliessen = new QPushButton(QStringLiteral("Schliessen"), m_fuss);
    schliessen->setObjectName(QStringLiteral("btn_schliessen"));
    auto* shutdown = new QPushButton(QStringLiteral("Herunterfahren"), m_fuss);
    shutdown->setObjectName(QStringLiteral("btn_shutdown"));
    for (QPushButton* b : {schliessen, shutdown}) {
        b->setMinimumHeight(48);
        fuss->addWidget(b);
    }
    connect(schliessen, &QPushButton::clicked, this, &Tfrm_barverkauf::btn_schliessenClick);
    connect(shutdown, &QPushButton::clicked, this, &Tfrm_barverkauf::btn_shutdownClick);
    layout->addWidget(m_fuss);

    m_fuss->setVisible(m_zustand.Verwaltungsmodus);
    for (const char* t : kVerwaltungsTabs) tabSichtbar(t, false);
    // Whatever way a page change comes, the cashier view shows only the register.
    connect(m_pcMain, &QTabWidget::currentChanged, this, [this](int) {
        if (!m_zustand.Verwaltungsmodus && m_pcMain->currentWidget() != m_kasse) m_pcMain->setCurrentWidget(m_kasse);
    });
}

void Tfrm_barverkauf::einstellungenSeitenAufbauen(QTabWidget* innen) {
    m_einstellungenSeite = new EinstellungenSeite(*m_einstellungen);
    m_einstellungenSeite->setObjectName(QStringLiteral("ts_settings"));
    connect(m_einstellungenSeite, &EinstellungenSeite::upgradeAngefordert, this, [this] {
        const QStringList gelaufen = m_dm->SchemaErweitern();
        Meldungen::zeigen(this, gelaufen.isEmpty() ? QStringLiteral("Datenbank ist aktuell.")
                                                   : QStringLiteral("Datenbank wurde erweitert."));
    });
    connect(m_einstellungenSeite, &EinstellungenSeite::waehrungGewaehlt, this,
            [this](const QString& s) { m_zustand.Waehrungssymbol = s; });
    innen->addTab(m_einstellungenSeite, QStringLiteral("Einstellungen"));
    innen->addTab(seite("ts_drucker"), QStringLiteral("BON-Drucker"));
    innen->addTab(seite("ts_display"), QStringLiteral("Kundendisplay"));
    innen->addTab(seite("ts_kassensichv"), QStringLiteral("TSE-KassenSichV"));
    innen->addTab(seite("ts_rksv"), QStringLiteral("RKSV 2017"));
    innen->addTab(seite("ts_scanner"), QStringLiteral("Barcodescanner"));
}

void Tfrm_barverkauf::tabSichtbar(const char* name, bool sichtbar) {
    for (int i = 0; i < m_pcMain->count(); ++i) {
        if (m_pcMain->widget(i)->objectName() != QLatin1String(name)) continue;
        // A hidden tab must not be reachable by keyboard either (Ctrl+Tab, arrow keys).
        m_pcMain->setTabEnabled(i, sichtbar);
        m_pcMain->setTabVisible(i, sichtbar);
    }
}

void Tfrm_barverkauf::resizeEvent(QResizeEvent* ereignis) {
    QWidget::resizeEvent(ereignis);
    // The register grows with its screen: 1024×768 is the smallest it is laid out for.
    m_kasse->skalieren(std::max(1.0, std::min(width() / 1024.0, height() / 768.0)));
}

void Tfrm_barverkauf::showEvent(QShowEvent* ereignis) {
    QWidget::showEvent(ereignis);
    if (m_gestartet) return;
    m_gestartet = true;
    // Run once the window is on screen, so the start-up questions have a parent to sit on.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void Tfrm_barverkauf::protokoll(const QString& text) {
    m_dm->ProtokollEintragen(QString(), text.left(150), QDateTime::currentDateTime());
}

bool Tfrm_barverkauf::pinPruefen() {
    Einstellungen& e = *m_einstellungen;
    if (!e.an(QStringLiteral("cb_login.Checked")) || !e.an(QStringLiteral("cb_login.Visible"))) return true;
    const std::optional<QString> pin = Meldungen::pinAbfragen(this);
    if (pin && Startregeln::PinGueltig(*pin, e.text(QStringLiteral("ed_login.Text")))) return true;
    Meldungen::zeigen(this, QStringLiteral("falscher PIN!"));
    return false;
}

void Tfrm_barverkauf::startAbbrechen(const QString& meldung) {
    Meldungen::fehler(this, meldung);
    protokoll(meldung);
}

bool Tfrm_barverkauf::FormShow() {
    const bool ok = startAblauf();
    emit startBeendet(ok);
    return ok;
}

bool Tfrm_barverkauf::startAblauf() {
    Einstellungen& e = *m_einstellungen;

    informationstextLaden();
    if (!pinPruefen()) {
        close();
        return false;
    }
    m_zustand.Firmennummer = 1;
    m_zustand.Kassennummer = e.text(QStringLiteral("ed_kassanummer.Text")).trimmed().toInt();

    try {
        m_dm->Trennen();
        m_dm->HauptdatenbankOeffnen(Startregeln::HauptdatenbankDatei(e, m_datenordner));
    } catch (const Fehler&) {
        m_zustand.DatenbankFehlgeschlagen = true;
        Meldungen::fehler(this, Tfrm_strings::text("sm_2"));
        throw; // the global handler shows the driver's own words
    }
    try {
        m_dm->LokaleDatenbankOeffnen(Startregeln::LokaleDatenbankDatei(m_datenordner));
    } catch (const Fehler&) {
        Meldungen::fehler(this, Tfrm_strings::text("sm_3"));
        throw;
    }

    if (!e.an(QStringLiteral("sw_rksv2017.StateOn"))) {
        const TEinstellungen zeile = m_dm->EinstellungenLesen();
        if (zeile.RKSV == 1) e.setzen(QStringLiteral("sw_rksv2017.StateOn"), true);
        // An empty id in a fresh database must not wipe the configured one.
        if (!zeile.KassenID.trimmed().isEmpty()) e.setzen(QStringLiteral("ed_kassenID.Text"), zeile.KassenID);
    }
    const bool rksv = e.an(QStringLiteral("sw_rksv2017.StateOn"));
    if (rksv && !Startregeln::RksvMwStReihenfolgeGueltig(e.MwStSaetzeLesen())) {
        startAbbrechen(QStringLiteral("MwSt Reihenfolge (soll 20%,10%,13%,0 sein) stimmt nicht für RKSV 2017!\r"
                                      "Bitte wenden Sie sich an Ihren Kassenbetreuer."));
        return false;
    }
    if (rksv && e.an(QStringLiteral("sw_kassensichv.StateOn"))) {
        startAbbrechen(QStringLiteral("Es kann nicht RKSV und KassenSichV (Österreich und Deutschland) gemeinsam "
                                      "betrieben werde!"));
        return false;
    }
    m_zustand.HerunterfahrenBeimSchliessen = false;

    m_pcMain->setCurrentWidget(m_kasse);
    m_pcEinstellungen->setCurrentIndex(0);
    m_zustand.Waehrungssymbol = Startregeln::Waehrungssymbol(e.text(QStringLiteral("ed_waehrung.Text")));
    m_zustand.Periode = 20120101;
    m_kasse->starten();

    m_dm->ProtokollBereinigen(QDate::currentDate());
    m_dm->SchemaAktualisieren();
    protokoll(QStringLiteral("KASSENSTART"));

    VerwaltungsansichtAnzeigen();

    if (rksv && m_dm->FirmenAnzahl() > 1) {
        startAbbrechen(QStringLiteral("RKSV 2017 Funktion geht nur mit einer Firma!"));
        return false;
    }
    QLabel* leser = m_kasse->kartenleser();
    leser->setProperty("tag", 0);
    leser->setVisible(rksv || e.an(QStringLiteral("sw_kassensichv.StateOn")));
    leser->setText(QStringLiteral("auf Kartenleser warten"));
    return true;
}

void Tfrm_barverkauf::informationstextLaden() {
    QTextEdit* editor = m_einstellungenSeite->zusatztext();
    QFile datei(QDir(m_datenordner).filePath(QStringLiteral("Information.rtf")));
    if (!datei.open(QIODevice::ReadOnly)) {
        // No file (yet): the text kept with the settings, if any.
        editor->setPlainText(m_einstellungen->zeilen(QStringLiteral("me_zusatztext.Lines")).join(QLatin1Char('\n')));
        m_kasse->anleitung()->setPlainText(editor->toPlainText());
        return;
    }
    const QByteArray rtf = datei.readAll();
    Rtf::lesen(rtf, *editor->document());
    Rtf::lesen(rtf, *m_kasse->anleitung()->document());
    if (m_kasse->anleitung()->document()->isEmpty()) m_kasse->anleitung()->setDocument(editor->document()->clone(m_kasse));
}

void Tfrm_barverkauf::informationstextSpeichern() noexcept {
    try {
        const QTextDocument* d = m_einstellungenSeite->zusatztext()->document();
        m_einstellungen->setzen(QStringLiteral("me_zusatztext.Lines"), d->toPlainText().split(QLatin1Char('\n')));
        QSaveFile datei(QDir(m_datenordner).filePath(QStringLiteral("Information.rtf")));
        if (datei.open(QIODevice::WriteOnly)) {
            datei.write(Rtf::schreiben(*d));
            datei.commit();
        }
    } catch (...) {
        // Losing the information text must not stop the close.
    }
}

void Tfrm_barverkauf::VerwaltungsansichtAnzeigen() {
    m_fuss->setVisible(m_zustand.Verwaltungsmodus);
    for (const char* t : kVerwaltungsTabs) tabSichtbar(t, m_zustand.Verwaltungsmodus);
    if (!m_zustand.Verwaltungsmodus) m_pcMain->setCurrentWidget(m_kasse);
}

void Tfrm_barverkauf::lbl_betragDblClick() {
    if (!pinPruefen()) return;
    m_zustand.Verwaltungsmodus = !m_zustand.Verwaltungsmodus;
    VerwaltungsansichtAnzeigen();
}

void Tfrm_barverkauf::btn_schliessenClick() { close(); }

void Tfrm_barverkauf::btn_shutdownClick() {
    m_zustand.HerunterfahrenBeimSchliessen = true;
    close();
}

void Tfrm_barverkauf::closeEvent(QCloseEvent* ereignis) {
    schliessenAblauf();
    ereignis->accept();
}

void Tfrm_barverkauf::schliessenAblauf() {
    if (m_geschlossen) return;
    m_geschlossen = true;
    informationstextSpeichern();
    try {
        m_einstellungen->speichern();
    } catch (const Fehler& f) {
        qWarning("%s", qPrintable(f.text()));
    }
    if (m_dm->hauptOffen()) {
        // Two settings also live in the shared database, so a new installation finds them.
        try {
            m_dm->KassenIDSpeichern(m_einstellungen->text(QStringLiteral("ed_kassenID.Text")));
            m_dm->RKSVSpeichern(m_einstellungen->an(QStringLiteral("sw_rksv2017.StateOn")));
        } catch (const Fehler& f) {
            qWarning("%s", qPrintable(f.text()));
        }
    }
    protokoll(QStringLiteral("KASSENENDE"));
    m_dm->Trennen();
    if (m_zustand.HerunterfahrenBeimSchliessen) {
        QString befehl = QString::fromLocal8Bit(qgetenv("ORVENPOS_HERUNTERFAHREN"));
        if (befehl.isEmpty()) befehl = QStringLiteral("systemctl poweroff");
        QStringList teile = QProcess::splitCommand(befehl);
        const QString programm = teile.takeFirst();
        QProcess::startDetached(programm, teile);
    }
}

void Tfrm_barverkauf::verstecktesUmschalten(const QString& schluessel) {
    m_einstellungen->setzen(schluessel, !m_einstellungen->an(schluessel));
}

bool Tfrm_barverkauf::eventFilter(QObject* objekt, QEvent* ereignis) {
    const bool druck = ereignis->type() == QEvent::KeyPress;
    const bool los = ereignis->type() == QEvent::KeyRelease;
    if ((!druck && !los) || !objekt->isWidgetType() || !isActiveWindow()) return QWidget::eventFilter(objekt, ereignis);
    auto* taste = static_cast<QKeyEvent*>(ereignis);
    if (taste->isAutoRepeat()) return QWidget::eventFilter(objekt, ereignis);
    // F4: the scanner announces a code; the barcode field takes it.
    if (druck && taste->key() == Qt::Key_F4 && !(taste->modifiers() & Qt::ShiftModifier) &&
        m_pcMain->currentWidget() == m_kasse) {
        m_kasse->barcodeFokus();
        return true;
    }
    if (!(taste->modifiers() & Qt::ShiftModifier) || !los) return QWidget::eventFilter(objekt, ereignis);
    // The window sees these keys before its controls; consuming them stops the
    // event from travelling on to the parents and acting twice.
    switch (taste->key()) {
    case Qt::Key_F2:
        if (QWidget* b = findChild<QWidget*>(QStringLiteral("btn_upgrade"))) b->setVisible(b->isHidden());
        return true;
    case Qt::Key_F3:
        verstecktesUmschalten(QStringLiteral("sw_kassenbuch.Enabled"));
        return true;
    case Qt::Key_F4:
        verstecktesUmschalten(QStringLiteral("ed_netzlaufwerkordner.Visible"));
        verstecktesUmschalten(QStringLiteral("lbl_netzlaufwerkordner.Visible"));
        return true;
    default:
        return QWidget::eventFilter(objekt, ereignis);
    }
}
