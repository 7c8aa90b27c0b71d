#include "shell/Einstellungen.h"

#include "shell/Fehler.h"
#include "shell/Regional.h"

#include <QSettings>
#include <QTime>

namespace {

using E = Einstellungen::Eintrag;

QList<E> aufbauen() {
    QList<E> l;
    auto g = [&l](const QString& k, const QVariant& v) { l << E{k, v, true}; };
    auto s = [&g](const char* k, const QVariant& v) { g(QString::fromLatin1(k), v); };
    const QString leer;

    s("ed_kassanummer.Text", "1");
    s("ed_firma.Text", "Company");
    s("ed_floskel1.Text", "Thanks for visiting us");
    s("ed_floskel2.Text", "See you again");
    s("ed_ort.Text", "Your ZIP/Village");
    s("ed_strasse.Text", "Your Streetname");
    s("ed_telefon.Text", "Tel.: Your number here");
    s("cb_drucker.Text", "Default");
    s("cb_firma.Checked", true);
    s("cb_floskel.Checked", true);
    s("cb_ort.Checked", true);
    s("cb_papier.Text", "Custom");
    s("cb_strasse.Checked", true);
    s("cb_telefon.Checked", true);
    s("cb_zufuhr.Text", "Default");
    s("ed_firmennummer.Text", leer);
    s("cb_firmennummer.Checked", true);
    s("cb_drucker_kd.Text", "Default");
    s("cb_papier_kd.Text", "Custom");
    s("cb_zufuhr_kd.Text", "Default");
    s("sw_display.StateOn", false);
    s("rg_banknoten.ItemIndex", 0);
    s("ed_anzahl_bons.Value", 1);
    s("ed_biszeit.Time", QTime(23, 59, 59));
    s("ed_vonzeit.Time", QTime(0, 0, 0));
    for (int i = 1; i <= 10; ++i) g(QStringLiteral("ed_e%1.Value").arg(i), 0.0);
    for (int i = 1; i <= 10; ++i) g(QStringLiteral("ed_ei%1.Value").arg(i), 0.0);
    s("cb_glancetronkundendisplayverwenden.Checked", false);
    s("cb_glancetroncomport.ItemIndex", 0);
    s("cb_epsonanglancetron.Checked", false);
    s("ed_mwst_a.Text", "19");
    s("ed_mwst_b.Text", "7");
    s("ed_mwst_c.Text", "10,7");
    s("ed_mwst_d.Text", "0");
    s("cb_bondrucktagesabrechnungen.Checked", true);
    s("sw_scanner.StateOn", false);
    const char* bz[] = {"1000", "100", "50", "20", "10", "5", "1", "0,5", "0,1"};
    for (int i = 1; i <= 9; ++i) g(QStringLiteral("bz_%1.Text").arg(i), QString::fromLatin1(bz[i - 1]));
    s("rg_sprache.ItemIndex", 0);
    s("ed_waehrung.Text", QStringLiteral("€"));
    s("ed_netzlaufwerkordner.Text", leer);
    s("ed_netzlaufwerkordner.Visible", false);
    s("lbl_netzlaufwerkordner.Visible", false);
    s("rg_bonformat.ItemIndex", 0);
    s("ed_baude.ItemIndex", 6); // 9600
    s("ed_stopbits.ItemIndex", 0);
    s("ed_databits.ItemIndex", 8);
    s("ed_parity.ItemIndex", 0);
    s("ed_flowcontrol.ItemIndex", 0);
    s("ed_display1.Text", "       Welcome      ");
    s("ed_display2.Text", leer);
    s("cb_displaywelcome.Checked", false);
    s("ed_display1.Visible", true);
    s("se_display.Value", 60);
    s("cb_f4.Checked", false);
    s("cb_unicode.Checked", false);
    s("cb_rtfbonerzeugen.Checked", false);
    s("cb_ticketdruck.Checked", false);
    const char* esc[] = {"112", "0", "55", "255"};
    for (int i = 1; i <= 4; ++i) g(QStringLiteral("ed_esc%1.Text").arg(i), QString::fromLatin1(esc[i - 1]));
    s("cb_kassaoeffnen_bankomat.Checked", false);
    s("cb_kassaoeffnen_bargeld.Checked", false);
    s("cb_kassaoeffnen_kreditkarte.Checked", false);
    s("cb_kassaoeffnen_speichern.Checked", false);
    s("sp_ZeitspanneZwischenZweiTasten.Value", 500);
    s("cb_nurgruppensummen.Checked", false);
    s("cb_nullpreise.Checked", false);
    s("rg_qrcodetext.ItemIndex", 0);
    s("ed_zertifikatseriennummer.Text", leer);
    s("ed_benutzerschluessel.Text", leer);
    s("ed_zda.Text", leer);
    s("ed_datenbanksichern.Text", leer);
    s("ed_zertifikatseriennummerhex.Text", leer);
    s("tb_qrcode.Position", 2);
    s("sw_kassenbuch.StateOn", true);
    s("sw_kassenbuch.Enabled", false);
    s("me_vorgangeinlagen.Lines", QStringList{"Anfangsbestand", "Privateinlage", "Einzahlung", "DifferenzSollIst",
                                              "TrinkgeldAG", "TrinkgeldAN"});
    s("me_vorgangentnahmen.Lines",
      QStringList{"Privatentnahme", "Geldtransit", "Lohnzahlung", "Auszahlung", "DifferenzSollIst"});
    s("cb_barverkaeufe.Checked", true);
    s("ed_kassenID.Enabled", true);
    s("sw_rksv2017.StateOn", false);
    s("ed_kassenID.Text", "KASSE1");
    s("sw_kassensichv.StateOn", false);
    s("ed_zeitaktualisieren.Value", 30);
    s("cb_zeitaktualisieren.Checked", true);
    s("cb_fehlfunktionaufrechnung.Checked", false);
    s("ed_laufwerk.Text", "E");
    s("ed_kassenID2.Text", "KASSE1");
    s("ed_pin.Text", "61738");
    s("ed_puk.Text", leer);
    s("ed_zeitpin.Text", leer);
    s("ed_passwort.Text", leer);
    s("pnl_tseeinstellungen.Enabled", true);
    s("tb_qrcode2.Position", 2);
    s("cb_errorlevel.ItemIndex", 1);
    s("ed_tar.Text", leer);
    s("ed_dsfinv.Text", leer);
    s("ed_dsfinv_bis.Text", leer);
    s("ed_dsfinv_von.Text", leer);
    s("ed_algorithmus.Text", "ecdsa-plain-SHA384");
    s("cb_intransaktion.Checked", false);
    s("cb_btn_bankomat.Checked", true);
    s("cb_btn_bargeld.Checked", true);
    s("cb_btn_kreditkarte.Checked", true);
    s("cb_btn_speichern.Checked", true);
    s("ed_artikeldatei.Text", leer);
    s("ed_datensatzab.Value", 1);
    s("ed_trennzeichen.Text", ";");
    s("ed_tausender.Text", ".");
    s("cb_artikelnummer.ItemIndex", 0);
    s("cb_barcode.ItemIndex", 0);
    s("cb_artikelname1.ItemIndex", 0);
    s("cb_preis1.ItemIndex", 0);
    s("cb_mwst.ItemIndex", 0);
    s("sw_terminal_zvt.StateOn", false);
    s("rg_zahlterminalsetting.ItemIndex", 0);
    s("ed_IPTerminal.Text", "192.168.1.100");
    s("ed_PortTerminal.Text", "22000");
    s("cb_zahlterminalcom.ItemIndex", 0);
    s("cb_kassenschnitt.Checked", false);
    s("cb_login.Checked", false);
    s("ed_login.Text", "9481");
    s("ed_prefixbarcode1.Text", leer);
    s("ed_prefixbarcode2.Text", leer);
    s("ed_prefixbarcode3.Text", leer);
    s("me_zusatztext.Lines", QStringList{});
    s("cb_zusaetzlicherTerminaldruck.Checked", false);
    s("cb_dialogklein.Checked", true);
    s("ed_prefixbarcode1preis.Text", leer);
    s("ed_prefixbarcode2preis.Text", leer);
    s("ed_prefixbarcode3preis.Text", leer);

    // Hidden switches that only their design value sets.
    auto u = [&l](const char* k, const QVariant& v) { l << E{QString::fromLatin1(k), v, false}; };
    u("cb_argr_scrollbegraenzer.Checked", true);
    u("cb_artikelbilder.Checked", true);
    u("cb_rabattpositionen.Checked", true);
    u("cb_glancetroncursor.Checked", false);
    u("cb_login.Visible", true);
    u("cb_tse_leeren.Checked", false);
    return l;
}

// Reads an INI value back into the default's type; anything unreadable keeps the default.
QVariant einlesen(const QVariant& gelesen, const QVariant& standard) {
    switch (standard.typeId()) {
    case QMetaType::Bool: {
        const QString t = gelesen.toString().trimmed().toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1")) return true;
        if (t == QLatin1String("false") || t == QLatin1String("0")) return false;
        return standard;
    }
    case QMetaType::Int: {
        bool ok = false;
        const int v = gelesen.toString().trimmed().toInt(&ok);
        return ok ? QVariant(v) : standard;
    }
    case QMetaType::Double: {
        bool ok = false;
        const double v = gelesen.toString().trimmed().toDouble(&ok);
        return ok ? QVariant(v) : standard;
    }
    case QMetaType::QTime: {
        const QTime t = QTime::fromString(gelesen.toString().trimmed(), QStringLiteral("HH:mm:ss"));
        return t.isValid() ? QVariant(t) : standard;
    }
    case QMetaType::QStringList:
        if (!gelesen.isValid()) return QStringList{};
        if (gelesen.typeId() == QMetaType::QStringList) return gelesen;
        return QStringList{gelesen.toString()};
    default:
        return gelesen.toString();
    }
}

QVariant ausschreiben(const QVariant& wert) {
    if (wert.typeId() == QMetaType::QTime) return wert.toTime().toString(QStringLiteral("HH:mm:ss"));
    if (wert.typeId() == QMetaType::QStringList) return wert;
    return wert.toString();
}

const QString kGruppe = QStringLiteral("Tfrm_barverkauf");

} // namespace

double TMwStSaetze::satz(int kategorie) const {
    switch (kategorie) {
    case 1: return A;
    case 2: return B;
    case 3: return C;
    case 4: return D;
    default: return 0;
    }
}

const QList<Einstellungen::Eintrag>& Einstellungen::eintraege() {
    static const QList<Eintrag> liste = aufbauen();
    return liste;
}

Einstellungen::Einstellungen(const QString& iniDatei, QObject* parent) : QObject(parent), m_datei(iniDatei) {
    for (const Eintrag& e : eintraege()) m_werte.insert(e.schluessel, e.standard);
}

void Einstellungen::laden() {
    QSettings ini(m_datei, QSettings::IniFormat);
    ini.beginGroup(kGruppe);
    for (const Eintrag& e : eintraege()) {
        if (!e.gespeichert) continue;
        const QVariant v = ini.contains(e.schluessel) ? einlesen(ini.value(e.schluessel), e.standard) : e.standard;
        setzen(e.schluessel, v);
    }
    // Printer choices never stay empty.
    const std::pair<const char*, const char*> drucker[] = {
        {"cb_drucker.Text", "Default"}, {"cb_papier.Text", "Custom"},    {"cb_zufuhr.Text", "Default"},
        {"cb_drucker_kd.Text", "Default"}, {"cb_papier_kd.Text", "Custom"}, {"cb_zufuhr_kd.Text", "Default"}};
    for (const auto& [k, v] : drucker)
        if (text(QLatin1String(k)).isEmpty()) setzen(QLatin1String(k), QLatin1String(v));
}

void Einstellungen::speichern() const {
    QSettings ini(m_datei, QSettings::IniFormat);
    ini.beginGroup(kGruppe);
    for (const Eintrag& e : eintraege())
        if (e.gespeichert) ini.setValue(e.schluessel, ausschreiben(m_werte.value(e.schluessel)));
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError)
        throw Fehler(QStringLiteral("Einstellungen konnten nicht gespeichert werden: ") + m_datei);
}

QVariant Einstellungen::wert(const QString& schluessel) const {
    auto it = m_werte.constFind(schluessel);
    if (it == m_werte.constEnd()) throw Fehler(QStringLiteral("Unbekannte Einstellung: ") + schluessel);
    return *it;
}

QVariant Einstellungen::standard(const QString& schluessel) const {
    for (const Eintrag& e : eintraege())
        if (e.schluessel == schluessel) return e.standard;
    throw Fehler(QStringLiteral("Unbekannte Einstellung: ") + schluessel);
}

void Einstellungen::setzen(const QString& schluessel, const QVariant& neu) {
    auto it = m_werte.find(schluessel);
    if (it == m_werte.end()) throw Fehler(QStringLiteral("Unbekannte Einstellung: ") + schluessel);
    QVariant v = neu;
    if (v.typeId() != it->typeId() && !v.convert(it->metaType())) return;
    if (*it == v) return;
    *it = v;
    emit geaendert(schluessel, v);
}

double ZahlAusText(const QString& text) {
    bool ok = false;
    const double v = Regional::locale().toDouble(text.trimmed(), &ok);
    if (!ok) throw Fehler(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(text));
    return v;
}

TMwStSaetze Einstellungen::MwStSaetzeLesen() const {
    auto lesen = [this](const char* k) {
        const QString t = text(QLatin1String(k)).trimmed();
        return t.isEmpty() ? 0.0 : ZahlAusText(t);
    };
    TMwStSaetze m;
    m.A = lesen("ed_mwst_a.Text");
    m.B = lesen("ed_mwst_b.Text");
    m.C = lesen("ed_mwst_c.Text");
    m.D = lesen("ed_mwst_d.Text");
    m.geladen = true;
    return m;
}
