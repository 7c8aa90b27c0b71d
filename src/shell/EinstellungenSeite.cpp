#include "shell/EinstellungenSeite.h"

#include "shell/EinstellungBinder.h"
#include "shell/Einstellungen.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
template <typename W> W* benannt(W* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

// The seventeen colours of the information text's two colour menus.
const std::pair<const char*, QColor> kFarben[] = {
    {"Schwarz", Qt::black},       {"Dunkelrot", QColor(128, 0, 0)},  {"Grün", QColor(0, 128, 0)},
    {"Oliv", QColor(128, 128, 0)}, {"Marine", QColor(0, 0, 128)},    {"Violett", QColor(128, 0, 128)},
    {"Petrol", QColor(0, 128, 128)}, {"Grau", QColor(128, 128, 128)}, {"Silber", QColor(192, 192, 192)},
    {"Rot", Qt::red},             {"Hellgrün", Qt::green},           {"Gelb", Qt::yellow},
    {"Blau", Qt::blue},           {"Fuchsia", Qt::magenta},          {"Aqua", Qt::cyan},
    {"Weiß", Qt::white},          {"Standard", QColor()},
};
} // namespace

EinstellungenSeite::EinstellungenSeite(Einstellungen& e, QWidget* eltern)
    : QWidget(eltern), m_e(e), m_zusatztext(new QTextEdit(this)) {
    auto* haupt = new QHBoxLayout(this);
    auto* links = new QVBoxLayout;
    haupt->addLayout(links, 1);

    auto* kasse = new QFormLayout;
    auto* kassanummer = benannt(new QLineEdit(this), "ed_kassanummer");
    kassanummer->setReadOnly(true);
    kassanummer->setVisible(false);
    EinstellungBinder::binden(kassanummer, e, "Text");

    auto* mwst = new QGroupBox(QStringLiteral("Mehrwertsteuer"), this);
    auto* mwstForm = new QFormLayout(mwst);
    const char* mwstNamen[] = {"ed_mwst_a", "ed_mwst_b", "ed_mwst_c", "ed_mwst_d"};
    for (int i = 0; i < 4; ++i) {
        auto* ed = benannt(new QLineEdit(mwst), mwstNamen[i]);
        EinstellungBinder::binden(ed, e, "Text");
        mwstForm->addRow(QStringLiteral("MwSt %1").arg(QChar(u'A' + i)), ed);
    }
    for (const char* hinweis : {"Achtung die Felder nicht leeren.", "Es muß eine Zahl drinnenstehen.",
                                "Im laufenden Betrieb Werte nicht ändern!"})
        mwstForm->addRow(new QLabel(QString::fromUtf8(hinweis), mwst));
    links->addWidget(mwst);

    auto* waehrung = benannt(new QComboBox(this), "ed_waehrung");
    waehrung->setEditable(true);
    waehrung->addItems({QStringLiteral("EUR"), QStringLiteral("€"), QStringLiteral("USD"), QStringLiteral("$"),
                        QStringLiteral("GBP"), QStringLiteral("£"), QStringLiteral("AED"), QStringLiteral("CAD"),
                        QStringLiteral("CHF"), QStringLiteral("SFr"), QStringLiteral("ILS"), QStringLiteral("RUB"),
                        QStringLiteral("SAR"), QStringLiteral("AUD"), QStringLiteral("INR")});
    EinstellungBinder::binden(waehrung, e, "Text");
    connect(waehrung, &QComboBox::activated, this, [this, waehrung] { emit waehrungGewaehlt(waehrung->currentText().trimmed()); });
    kasse->addRow(QStringLiteral("Währung"), waehrung);
    auto* hinweis = benannt(new QLabel(QStringLiteral("Währungskürzel hier eingeben.\nAchtung keine Punkte und Beistriche\n"
                                                      "sondern nur Buchstaben oder Währungssymbol\nhier eingeben und "
                                                      "dann Programm neu starten."),
                                       this),
                            "me_einstellungen");
    hinweis->setWordWrap(true);
    kasse->addRow(hinweis);

    auto* login = benannt(new QCheckBox(QStringLiteral("Login"), this), "cb_login");
    EinstellungBinder::binden(login, e, "Checked");
    EinstellungBinder::binden(login, e, "Visible");
    auto* pin = benannt(new QLineEdit(this), "ed_login");
    pin->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    EinstellungBinder::binden(pin, e, "Text");
    auto* loginZeile = new QHBoxLayout;
    loginZeile->addWidget(login);
    loginZeile->addWidget(new QLabel(QStringLiteral("PIN ="), this));
    loginZeile->addWidget(pin);
    kasse->addRow(loginZeile);

    auto* pfadLabel = benannt(new QLabel(QStringLiteral("Path to the database"), this), "lbl_netzlaufwerkordner");
    auto* pfad = benannt(new QLineEdit(this), "ed_netzlaufwerkordner");
    EinstellungBinder::binden(pfad, e, "Text");
    EinstellungBinder::binden(pfad, e, "Visible");
    EinstellungBinder::binden(pfadLabel, e, "Visible");
    kasse->addRow(pfadLabel, pfad);
    links->addLayout(kasse);

    auto* zahlen = new QGroupBox(QStringLiteral("Werte für Zahlenanzeige"), this);
    auto* zahlenGitter = new QGridLayout(zahlen);
    for (int i = 1; i <= 9; ++i) {
        auto* ed = new QLineEdit(zahlen);
        ed->setObjectName(QStringLiteral("bz_%1").arg(i));
        EinstellungBinder::binden(ed, e, "Text");
        zahlenGitter->addWidget(ed, (i - 1) / 3, (i - 1) % 3);
    }
    links->addWidget(zahlen);

    // Hidden switches, changed only through their stored values or the hidden keys.
    auto* banknoten = benannt(new RadioGruppe(QStringLiteral("Banknotenanzeige"),
                                              {QStringLiteral("EURO-Zone"), QStringLiteral("Schweizer Franken"),
                                               QStringLiteral("Zahlen")},
                                              this),
                              "rg_banknoten");
    EinstellungBinder::binden(banknoten, e, "ItemIndex");
    banknoten->setVisible(false);
    auto* sprache = benannt(
        new RadioGruppe(QStringLiteral("Language/Sprache/Langue/Lengua"),
                        {QStringLiteral("Deutsch"), QStringLiteral("Österreich"), QStringLiteral("Schweiz"),
                         QStringLiteral("English"), QStringLiteral("Français"), QStringLiteral("Español"),
                         QStringLiteral("Italian"), QStringLiteral("Greek"), QStringLiteral("Nederlands"),
                         QStringLiteral("Selftranslation")},
                        this),
        "rg_sprache");
    EinstellungBinder::binden(sprache, e, "ItemIndex");
    sprache->setVisible(false);
    const std::pair<const char*, const char*> versteckt[] = {{"cb_nullpreise", "Nullpreise checken"},
                                                             {"cb_argr_scrollbegraenzer", "Scrollbegrenzer"},
                                                             {"cb_artikelbilder", "Artikelbilder"},
                                                             {"cb_rabattpositionen", "Rabatt nur Position"},
                                                             {"cb_bondrucktagesabrechnungen", "BON-Druck Tagesabrechnungen"},
                                                             {"cb_glancetroncursor", "Glancetron Cursor"}};
    for (const auto& [name, titel] : versteckt) {
        auto* cb = benannt(new QCheckBox(QString::fromUtf8(titel), this), name);
        EinstellungBinder::binden(cb, e, "Checked");
        cb->setVisible(false);
        links->addWidget(cb);
    }
    links->addWidget(banknoten);
    links->addWidget(sprache);

    auto* upgrade = benannt(new QPushButton(QStringLiteral("Upgrade"), this), "btn_upgrade");
    upgrade->setVisible(false);
    connect(upgrade, &QPushButton::clicked, this, &EinstellungenSeite::upgradeAngefordert);
    links->addWidget(upgrade);
    auto* neustart = new QLabel(QStringLiteral("If you make changes please restart application to take over changes"), this);
    neustart->setWordWrap(true);
    links->addWidget(neustart);
    links->addStretch();

    auto* rechts = new QVBoxLayout;
    rechts->addWidget(new QLabel(QStringLiteral("Text Kasse links anzeigen"), this));
    rechts->addWidget(formatleiste());
    m_zusatztext->setObjectName(QStringLiteral("me_zusatztext"));
    m_zusatztext->setAcceptRichText(true);
    rechts->addWidget(m_zusatztext, 1);
    haupt->addLayout(rechts, 1);
}

QWidget* EinstellungenSeite::formatleiste() {
    auto* leiste = new QWidget(this);
    auto* zeilen = new QVBoxLayout(leiste);
    zeilen->setContentsMargins(0, 0, 0, 0);
    auto* l = new QHBoxLayout;
    zeilen->addLayout(l);
    auto* schrift = benannt(new QFontComboBox(leiste), "cb_schriftart");
    schrift->setMaximumWidth(200);
    connect(schrift, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        QTextCharFormat fmt;
        fmt.setFontFamilies({f.family()});
        m_zusatztext->mergeCurrentCharFormat(fmt);
    });
    auto* groesse = benannt(new QSpinBox(leiste), "se_schriftgroesse");
    groesse->setRange(6, 72);
    groesse->setValue(12);
    connect(groesse, &QSpinBox::valueChanged, this, [this](int pt) { m_zusatztext->setFontPointSize(pt); });
    l->addWidget(schrift);
    l->addWidget(groesse);

    auto knopf = [this, leiste, l](const char* name, const QString& text, bool umschaltbar) {
        auto* b = benannt(new QToolButton(leiste), name);
        b->setText(text);
        b->setCheckable(umschaltbar);
        l->addWidget(b);
        return b;
    };
    connect(knopf("btn_fett", QStringLiteral("F"), true), &QToolButton::toggled, this,
            [this](bool an) { m_zusatztext->setFontWeight(an ? QFont::Bold : QFont::Normal); });
    connect(knopf("btn_kursiv", QStringLiteral("K"), true), &QToolButton::toggled, m_zusatztext, &QTextEdit::setFontItalic);
    connect(knopf("btn_unterstrichen", QStringLiteral("U"), true), &QToolButton::toggled, m_zusatztext,
            &QTextEdit::setFontUnderline);

    // Two colour menus (text and background), seventeen radio items each whose data is the colour.
    auto farbmenue = [this, &knopf](const char* name, const QString& text, bool hintergrund) {
        auto* b = knopf(name, text, false);
        auto* menue = new QMenu(b);
        auto* gruppe = new QActionGroup(menue);
        for (const auto& [titel, farbe] : kFarben) {
            QAction* a = menue->addAction(QString::fromUtf8(titel));
            a->setCheckable(true);
            a->setData(farbe);
            gruppe->addAction(a);
            connect(a, &QAction::triggered, this, [this, farbe, hintergrund] {
                QTextCharFormat fmt;
                if (hintergrund) fmt.setBackground(farbe.isValid() ? QBrush(farbe) : QBrush());
                else fmt.setForeground(farbe.isValid() ? QBrush(farbe) : QBrush(Qt::black));
                m_zusatztext->mergeCurrentCharFormat(fmt);
            });
        }
        b->setMenu(menue);
        b->setPopupMode(QToolButton::InstantPopup);
    };
    l->addStretch();
    l = new QHBoxLayout;
    zeilen->addLayout(l);
    farbmenue("btn_textfarbe", QStringLiteral("Textfarbe"), false);
    farbmenue("btn_hintergrundfarbe", QStringLiteral("Hintergrund"), true);

    const std::tuple<const char*, const char*, Qt::Alignment> ausrichtung[] = {
        {"btn_links", "Links", Qt::AlignLeft}, {"btn_mitte", "Mitte", Qt::AlignHCenter}, {"btn_rechts", "Rechts", Qt::AlignRight}};
    for (const auto& [name, text, a] : ausrichtung) {
        const Qt::Alignment al = a;
        connect(knopf(name, QString::fromLatin1(text), false), &QToolButton::clicked, this,
                [this, al] { m_zusatztext->setAlignment(al); });
    }
    l->addStretch();
    return leiste;
}
