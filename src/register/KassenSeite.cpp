#include "register/KassenSeite.h"

#include "register/Verkauf.h"
#include "shell/Anwendung.h"
#include "shell/Einstellungen.h"
#include "shell/Meldungen.h"
#include "shell/Regional.h"
#include "shell/Tfrm_strings.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QTableView>
#include <QTextBrowser>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

// The positions of the sale as the register grid shows them.
class PositionenModell : public QAbstractTableModel {
public:
    explicit PositionenModell(Verkauf& v, QObject* eltern) : QAbstractTableModel(eltern), m_v(v) {}
    int rowCount(const QModelIndex& i = {}) const override { return i.isValid() ? 0 : m_v.positionen().size(); }
    int columnCount(const QModelIndex& i = {}) const override { return i.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& i, int rolle) const override {
        const Position& p = m_v.positionen().at(i.row());
        if (rolle == Qt::TextAlignmentRole && i.column() > 0) return int(Qt::AlignRight | Qt::AlignVCenter);
        if (rolle != Qt::DisplayRole) return {};
        switch (i.column()) {
        case 0: return p.zusatztext1.isEmpty() ? p.artikelName : p.artikelName + QStringLiteral(" – ") + p.zusatztext1;
        case 1: return Regional::betrag(p.menge);
        case 2: return Regional::betrag(p.preis);
        case 3: return Regional::locale().toString(p.rabatt, 'g', 6);
        default: return Regional::betrag(p.betrag());
        }
    }
    QVariant headerData(int s, Qt::Orientation o, int rolle) const override {
        if (o != Qt::Horizontal || rolle != Qt::DisplayRole) return {};
        static const char* const ids[] = {"gr_barverkauf_artikel", "gr_barverkauf_menge", "gr_barverkauf_preis",
                                          "gr_barverkauf_rabatt", "gr_barverkauf_betrag"};
        return Tfrm_strings::text(ids[s]);
    }
    void neu() {
        beginResetModel();
        endResetModel();
    }

private:
    Verkauf& m_v;
};

void DoppelklickLabel::mouseDoubleClickEvent(QMouseEvent* ereignis) {
    QLabel::mouseDoubleClickEvent(ereignis);
    emit doppelklick();
}

namespace {
template <typename W> W* benannt(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

QPushButton* knopf(const QString& name, const QString& text, QWidget* eltern, int hoehe = 48) {
    auto* b = benannt(new QPushButton(text, eltern), name);
    b->setMinimumHeight(hoehe);
    b->setMinimumWidth(40); // long captions are cut rather than widening a 1024-pixel screen
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    b->setFocusPolicy(Qt::NoFocus); // touch buttons leave the focus where the scanner types
    // Styled buttons do not take their parent's font: they scale on their own.
    b->setProperty("basisPunkte", b->font().pointSizeF() > 0 ? b->font().pointSizeF() : 9.0);
    return b;
}

// A long caption line goes on two lines, split at the blank nearest its middle.
QString zeileUmbrechen(const QString& text) {
    if (text.size() <= 14) return text;
    int beste = -1;
    for (int i = 0; i < text.size(); ++i)
        if (text.at(i) == QLatin1Char(' ') && (beste < 0 || std::abs(i - text.size() / 2) < std::abs(beste - text.size() / 2)))
            beste = i;
    if (beste < 0) return text;
    QString t = text;
    t[beste] = QLatin1Char('\n');
    return t;
}

QString umbrechen(const QString& text) {
    QStringList zeilen = text.split(QLatin1Char('\n'));
    for (QString& z : zeilen) z = zeileUmbrechen(z);
    return zeilen.join(QLatin1Char('\n'));
}

// Windows colour values are 0x00BBGGRR.
QString farbstil(int farbe) {
    const QColor c(farbe & 0xFF, (farbe >> 8) & 0xFF, (farbe >> 16) & 0xFF);
    const QColor text = c.lightness() < 110 ? Qt::white : Qt::black;
    return QStringLiteral("QPushButton{background:%1;color:%2;border:1px solid #555;border-radius:4px;padding:1px;}"
                          "QPushButton:pressed{background:%3;}")
        .arg(c.name(), text.name(), c.darker(130).name());
}

QLineEdit* betragsfeld(const QString& name, QWidget* eltern, int punkte) {
    auto* ed = benannt(new QLineEdit(eltern), name);
    ed->setReadOnly(true);
    ed->setAlignment(Qt::AlignRight);
    ed->setFocusPolicy(Qt::NoFocus);
    QFont f = ed->font();
    f.setPointSize(punkte);
    f.setBold(true);
    ed->setFont(f);
    ed->setProperty("basisPunkte", punkte);
    return ed;
}
} // namespace

KassenSeite::KassenSeite(Einstellungen& e, Tdm_datenbank& dm, Kundenanzeige& anzeige, Anwendungszustand& zustand,
                         const QString& datenordner, QWidget* eltern)
    : QWidget(eltern), m_e(e), m_zustand(zustand), m_datenordner(datenordner),
      m_verkauf(new Verkauf(dm, e, anzeige, this)),
      m_abschluss(std::make_unique<Abschluss>(dm, e, zustand, *m_verkauf, datenordner)),
      m_knoepfe(dm, e, QDir(datenordner).filePath(QStringLiteral("BilderArchiv"))),
      m_modell(new PositionenModell(*m_verkauf, this)), m_anleitung(new QTextBrowser(this)),
      m_kartenleser(new QLabel(this)) {
    texteingabe = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString t = QInputDialog::getText(this, Tfrm_strings::text("lbl_tastatur"), QStringLiteral("Text"),
                                                QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return t;
    };
    m_basisPunkte = font().pointSizeF() > 0 ? font().pointSizeF() : 9.0;
    auto* haupt = new QHBoxLayout(this);
    haupt->setContentsMargins(2, 2, 2, 2);
    haupt->addWidget(erfassungsbereich(), 5);
    haupt->addWidget(knopfbereich(), 6);
    connect(m_verkauf, &Verkauf::geaendert, this, &KassenSeite::anzeigen);
}

QWidget* KassenSeite::erfassungsbereich() {
    auto* w = new QWidget(this);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);

    auto* oben = new QHBoxLayout;
    m_anleitung->setObjectName(QStringLiteral("me_anleitung"));
    m_anleitung->setMaximumHeight(110);
    oben->addWidget(m_anleitung, 1);
    auto* summen = new QGridLayout;
    auto* betragLabel = benannt(new DoppelklickLabel(QStringLiteral("Zahlbetrag"), w), QStringLiteral("lbl_betrag"));
    connect(betragLabel, &DoppelklickLabel::doppelklick, this, &KassenSeite::betragDoppelklick);
    m_gesamt = betragsfeld(QStringLiteral("ed_gesamtbetrag"), w, 20);
    m_baranzeige = betragsfeld(QStringLiteral("ed_baranzeige"), w, 12);
    m_wechselgeld = betragsfeld(QStringLiteral("ed_wechselgeld"), w, 14);
    summen->addWidget(betragLabel, 0, 0);
    summen->addWidget(m_gesamt, 0, 1);
    summen->addWidget(new QLabel(QStringLiteral("Gegeben"), w), 1, 0);
    summen->addWidget(m_baranzeige, 1, 1);
    summen->addWidget(new QLabel(QStringLiteral("Rückgeld"), w), 2, 0);
    summen->addWidget(m_wechselgeld, 2, 1);
    oben->addLayout(summen, 1);
    l->addLayout(oben);

    auto* mwst = new QHBoxLayout;
    const char* mwstNamen[] = {"ed_mwsta", "ed_mwstb", "ed_mwstc", "ed_mwstd"};
    for (int i = 0; i < 4; ++i) {
        m_mwst[i] = betragsfeld(QLatin1String(mwstNamen[i]), w, 8);
        QFont klein = m_mwst[i]->font();
        klein.setBold(false);
        m_mwst[i]->setFont(klein);
        mwst->addWidget(new QLabel(QStringLiteral("MwSt %1").arg(QChar(u'A' + i)), w));
        mwst->addWidget(m_mwst[i]);
    }
    m_kartenleser->setObjectName(QStringLiteral("lbl_kartenleseratrust"));
    m_kartenleser->setVisible(false);
    mwst->addWidget(m_kartenleser);
    l->addLayout(mwst);

    m_grid = benannt(new QTableView(w), QStringLiteral("gr_barverkauf"));
    m_grid->setModel(m_modell);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 5; ++c) m_grid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& i) { m_verkauf->auswahlSetzen(i.row()); });
    l->addWidget(m_grid, 3);

    auto* eingabe = new QHBoxLayout;
    m_barcode = benannt(new QLineEdit(w), QStringLiteral("ed_barcode"));
    m_barcode->setPlaceholderText(QStringLiteral("Barcode (F4)"));
    connect(m_barcode, &QLineEdit::returnPressed, this,
            [this] { fehlerZeigen([this] { m_verkauf->BarcodeEingeben(m_barcode->text()); }); });
    m_bar = betragsfeld(QStringLiteral("ed_bar"), w, 16);
    eingabe->addWidget(m_barcode, 2);
    eingabe->addWidget(m_bar, 1);
    l->addLayout(eingabe);

    // Keypad: one handler, told apart by the tag.
    auto* tasten = new QGridLayout;
    const struct {
        const char* name;
        const char* text;
        int tag, zeile, spalte;
    } feld[] = {
        {"btn_7", "7", 7, 0, 0},       {"btn_8", "8", 8, 0, 1},          {"btn_9", "9", 9, 0, 2},
        {"btn_menge", "Menge", Taste::Menge, 0, 3},                       {"btn_4", "4", 4, 1, 0},
        {"btn_5", "5", 5, 1, 1},       {"btn_6", "6", 6, 1, 2},          {"btn_preis", "Preis", Taste::Preis, 1, 3},
        {"btn_1", "1", 1, 2, 0},       {"btn_2", "2", 2, 2, 1},          {"btn_3", "3", 3, 2, 2},
        {"btn_rabatt", "Rab.", Taste::Rabatt, 2, 3},                     {"btn_0", "0", 0, 3, 0},
        {"btn_10", ",", Taste::Komma, 3, 1},                             {"btn_100", "-", Taste::Minus, 3, 2},
        {"btn_200", "CL", Taste::Loeschen, 3, 3},                        {"btn_bar", "BAR", Taste::Bar, 3, 4},
    };
    for (const auto& f : feld) {
        auto* b = knopf(QLatin1String(f.name), QLatin1String(f.text), w, 40);
        b->setProperty("tag", f.tag);
        const int tag = f.tag;
        connect(b, &QPushButton::clicked, this, [this, tag] { fehlerZeigen([this, tag] { m_verkauf->tasteDruecken(tag); }); });
        tasten->addWidget(b, f.zeile, f.spalte);
    }
    auto* loeschen = knopf(QStringLiteral("btn_loeschen"), QStringLiteral("Pos. löschen"), w, 40);
    connect(loeschen, &QPushButton::clicked, this, [this] { fehlerZeigen([this] { m_verkauf->PositionLoeschen(); }); });
    auto* text = knopf(QStringLiteral("btn_text"), QStringLiteral("Text"), w, 40);
    connect(text, &QPushButton::clicked, this, [this] {
        if (m_verkauf->positionen().isEmpty() || !texteingabe) return;
        const std::optional<QString> t = texteingabe();
        if (t) fehlerZeigen([this, &t] { m_verkauf->ZusatztextSetzen(*t); });
    });
    auto* hoch = knopf(QStringLiteral("btn_positionen_up"), QStringLiteral("▲"), w, 40);
    connect(hoch, &QPushButton::clicked, m_verkauf, &Verkauf::auswahlHoch);
    auto* runter = knopf(QStringLiteral("btn_positionen_down"), QStringLiteral("▼"), w, 40);
    connect(runter, &QPushButton::clicked, m_verkauf, &Verkauf::auswahlRunter);
    tasten->addWidget(hoch, 0, 4);
    tasten->addWidget(runter, 1, 4);
    tasten->addWidget(loeschen, 2, 4);
    tasten->addWidget(text, 4, 4);
    auto* neu = knopf(QStringLiteral("btn_neuerbarverkauf"), QStringLiteral("Neuer Verkauf"), w, 40);
    connect(neu, &QPushButton::clicked, this, &KassenSeite::btn_neuerbarverkaufClick);
    auto* abbrechen = knopf(QStringLiteral("btn_barverkauf_abbrechen"), QStringLiteral("Abbrechen"), w, 40);
    connect(abbrechen, &QPushButton::clicked, this, &KassenSeite::btn_barverkauf_abbrechenClick);
    tasten->addWidget(neu, 4, 0, 1, 2);
    tasten->addWidget(abbrechen, 4, 2, 1, 2);
    l->addLayout(tasten, 3);
    l->addWidget(geldbereich(), 1);
    l->addWidget(zahlbereich(), 1);
    return w;
}

QWidget* KassenSeite::geldbereich() {
    auto* w = new QWidget(this);
    auto* stapel = new QStackedLayout(w);
    const QString bilder = QDir(m_datenordner).filePath(QStringLiteral("BilderArchiv"));
    auto panel = [&](const QString& name, const QList<std::tuple<QString, double, QString>>& knoepfe) {
        auto* p = benannt(new QWidget(w), name);
        auto* l = new QHBoxLayout(p);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(2);
        for (const auto& [knopfname, betrag, bild] : knoepfe) {
            auto* b = knopf(knopfname, Regional::locale().toString(betrag, 'g', 6), p, 44);
            const QString datei = QDir(bilder).filePath(bild);
            if (!bild.isEmpty() && QFile::exists(datei)) {
                b->setIcon(QIcon(datei));
                b->setIconSize(QSize(64, 36));
            }
            const double wert = betrag;
            connect(b, &QPushButton::clicked, this, [this, wert] { m_verkauf->Geldtaste(wert); });
            l->addWidget(b);
        }
        stapel->addWidget(p);
        return p;
    };
    const char* euroBilder[] = {"fuenfhundert.png", "zweihundert.png", "hundert.png", "fuenzig.png", "zwanzig.png",
                                "zehn.png",        "fuenf.png",       "zweieuro.png", "eineuro.png"};
    const double euro[] = {500, 200, 100, 50, 20, 10, 5, 2, 1};
    const double franken[] = {1000, 200, 100, 50, 20, 10, 5, 2, 1};
    QList<std::tuple<QString, double, QString>> e, f;
    for (int i = 0; i < 9; ++i) {
        e << std::make_tuple(QStringLiteral("b%1").arg(i), euro[i], QString::fromLatin1(euroBilder[i]));
        f << std::make_tuple(QStringLiteral("b%1f").arg(i + 1), franken[i], QString());
    }
    m_euro = panel(QStringLiteral("pnl_euro"), e);
    m_franken = panel(QStringLiteral("pnl_franken"), f);
    m_zahlen = benannt(new QWidget(w), QStringLiteral("pnl_rueckgeldzahlen"));
    auto* l = new QHBoxLayout(m_zahlen);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    for (int i = 0; i < 9; ++i) {
        auto* b = knopf(QStringLiteral("bz%1").arg(i + 1), QString(), m_zahlen, 44);
        m_zahlenknoepfe[i] = b;
        connect(b, &QPushButton::clicked, this, [this, b] { fehlerZeigen([this, b] { m_verkauf->Zahlentaste(b->text()); }); });
        l->addWidget(b);
    }
    stapel->addWidget(m_zahlen);
    return w;
}

QWidget* KassenSeite::zahlbereich() {
    auto* w = benannt(new QWidget(this), QStringLiteral("pnl_zahlung"));
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    const std::tuple<Zahlknopf, const char*, const char*, const char*> knoepfe[] = {
        {Zahlknopf::Speichern, "btn_speichern", "SPEICH.", "#d0d0d0"},
        {Zahlknopf::Bargeld, "btn_bargeld", "Barzahlung", "#9be39b"},
        {Zahlknopf::Bankomat, "btn_bankomat", "Bankomatzahlung", "#9bc8f0"},
        {Zahlknopf::Kreditkarte, "btn_kreditkarte", "KREDIT", "#9bc8f0"},
        {Zahlknopf::Gutschrift, "btn_gutschrift", "GUT.", "#f0c89b"}};
    for (const auto& [art, name, text, farbe] : knoepfe) {
        auto* b = knopf(QLatin1String(name), QString::fromUtf8(text), w, 52);
        b->setStyleSheet(QStringLiteral("QPushButton{background:%1;font-weight:bold;border:1px solid #555;"
                                        "border-radius:4px;}QPushButton:disabled{color:#888;}")
                             .arg(QLatin1String(farbe)));
        const Zahlknopf k = art;
        connect(b, &QPushButton::clicked, this, [this, k] { abschliessen(k); });
        m_zahlknoepfe[art] = b;
        l->addWidget(b);
    }
    m_zahlknoepfe[Zahlknopf::Bargeld]->setProperty("tag", 0);
    return w;
}

void KassenSeite::bedienungSperren(bool gesperrt) {
    // Outside programs are waited for with the window alive: nothing on the
    // register may start meanwhile, neither a second completion nor a new position.
    setEnabled(!gesperrt);
    emit abschlussLaeuft(gesperrt);
}

void KassenSeite::abschliessen(Zahlknopf knopf) {
    Fiskalstatus fiskal;
    fiskal.kartenleserText = m_kartenleser->text();
    fiskal.kartenleserTag = m_kartenleser->property("tag").toInt();
    fiskal.bargeldTag = m_zahlknoepfe[Zahlknopf::Bargeld]->property("tag").toInt();
    bedienungSperren(true);
    try {
        m_letzteNummer = m_abschluss->abschliessen(knopf, fiskal);
    } catch (const Fehler& f) {
        bedienungSperren(false);
        anzeigen();
        Meldungen::fehler(this, f.text());
        return;
    }
    bedienungSperren(false);
    anzeigen();
}

QWidget* KassenSeite::knopfbereich() {
    auto* w = new QWidget(this);
    auto* l = new QGridLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);
    m_titel = benannt(new QLabel(w), QStringLiteral("l_bar_artikel"));
    QFont tf = m_titel->font();
    tf.setPointSize(14);
    tf.setBold(true);
    m_titel->setFont(tf);
    m_titel->setProperty("basisPunkte", 14);
    l->addWidget(m_titel, 0, 0, 1, 4);

    for (int i = 0; i < Knopfseiten::kArtikel; ++i) {
        auto* b = knopf(QStringLiteral("b_%1").arg(i + 1), QString(), w, 52);
        b->setProperty("Artikeldaten", QVariant());
        m_artikel[i] = b;
        connect(b, &QPushButton::clicked, this, [this, i] {
            const Artikelknopf& k = m_knoepfe.artikel().at(i);
            if (!k.daten || k.hinweis.trimmed().isEmpty() || k.hinweis.trimmed() == QLatin1String("-1")) return;
            fehlerZeigen([this, &k] { m_verkauf->ArtikelHinzufuegen(*k.daten); });
        });
        l->addWidget(b, 1 + i / 4, i % 4);
    }
    auto* artikelHoch = knopf(QStringLiteral("btn_artikel_up"), QStringLiteral("▲"), w, 40);
    auto* artikelRunter = knopf(QStringLiteral("btn_artikel_down"), QStringLiteral("▼"), w, 40);
    connect(artikelHoch, &QPushButton::clicked, this, [this] { fehlerZeigen([this] { m_knoepfe.artikelHoch(); knoepfeAnzeigen(); }); });
    connect(artikelRunter, &QPushButton::clicked, this,
            [this] { fehlerZeigen([this] { m_knoepfe.artikelRunter(); knoepfeAnzeigen(); }); });
    l->addWidget(artikelHoch, 8, 0, 1, 2);
    l->addWidget(artikelRunter, 8, 2, 1, 2);

    auto* gruppen = new QVBoxLayout;
    gruppen->setSpacing(3);
    m_favoriten = knopf(QStringLiteral("bg_alle"), Tfrm_strings::text("sko_2"), w, 52);
    connect(m_favoriten, &QPushButton::clicked, this,
            [this] { fehlerZeigen([this] { m_knoepfe.favoritenDruecken(); knoepfeAnzeigen(); }); });
    gruppen->addWidget(m_favoriten);
    auto* gruppenHoch = knopf(QStringLiteral("btn_artikelgruppe_up"), QStringLiteral("▲"), w, 36);
    connect(gruppenHoch, &QPushButton::clicked, this, [this] { fehlerZeigen([this] { m_knoepfe.gruppenHoch(); knoepfeAnzeigen(); }); });
    gruppen->addWidget(gruppenHoch);
    for (int i = 0; i < Knopfseiten::kGruppen; ++i) {
        m_gruppen[i] = knopf(QStringLiteral("bg_%1").arg(i + 1), QString(), w, 52);
        connect(m_gruppen[i], &QPushButton::clicked, this,
                [this, i] { fehlerZeigen([this, i] { m_knoepfe.gruppeDruecken(i + 1); knoepfeAnzeigen(); }); });
        gruppen->addWidget(m_gruppen[i]);
    }
    auto* gruppenRunter = knopf(QStringLiteral("btn_artikelgruppe_down"), QStringLiteral("▼"), w, 36);
    connect(gruppenRunter, &QPushButton::clicked, this,
            [this] { fehlerZeigen([this] { m_knoepfe.gruppenRunter(); knoepfeAnzeigen(); }); });
    gruppen->addWidget(gruppenRunter);
    l->addLayout(gruppen, 0, 4, 9, 1);
    l->setColumnStretch(4, 1);
    for (int c = 0; c < 4; ++c) l->setColumnStretch(c, 1);

    // The page state, kept in hidden fields as the register always had them.
    m_gruppeposition = benannt(new QLineEdit(w), QStringLiteral("ed_gruppeposition"));
    m_artikelposition = benannt(new QLineEdit(w), QStringLiteral("ed_artikelposition"));
    m_vonGruppe = benannt(new QLineEdit(w), QStringLiteral("ed_vonartikelgruppe"));
    m_bisGruppe = benannt(new QLineEdit(w), QStringLiteral("ed_bisartikelgruppe"));
    for (QLineEdit* ed : {m_gruppeposition, m_artikelposition, m_vonGruppe, m_bisGruppe}) ed->setVisible(false);
    return w;
}

void KassenSeite::fehlerZeigen(const std::function<void()>& aktion) {
    try {
        aktion();
    } catch (const BarcodeUnbekannt& f) {
        for (int i = 0; i < 3; ++i) {
            QApplication::beep();
            if (i < 2) QThread::msleep(100);
        }
        Meldungen::fehler(this, f.text());
    } catch (const Fehler& f) {
        Meldungen::fehler(this, f.text());
    }
    anzeigen();
}

QString KassenSeite::betrag(double wert) const { return Regional::waehrung(wert, m_zustand.Waehrungssymbol); }

void KassenSeite::knoepfeAnzeigen() {
    m_titel->setText(m_knoepfe.titel());
    m_favoriten->setStyleSheet(farbstil(m_knoepfe.favoritenFarbe()));
    for (int i = 0; i < Knopfseiten::kGruppen; ++i) {
        const Gruppenknopf& g = m_knoepfe.gruppen().at(i);
        m_gruppen[i]->setText(umbrechen(g.text));
        m_gruppen[i]->setToolTip(g.hinweis);
        m_gruppen[i]->setStyleSheet(farbstil(m_knoepfe.gruppenFarbe(i + 1)));
    }
    for (int i = 0; i < Knopfseiten::kArtikel; ++i) {
        const Artikelknopf& k = m_knoepfe.artikel().at(i);
        QPushButton* b = m_artikel[i];
        b->setText(umbrechen(k.text));
        b->setToolTip(k.hinweis);
        b->setStyleSheet(farbstil(k.farbe));
        b->setProperty("Artikeldaten", k.daten ? QVariant::fromValue(*k.daten) : QVariant());
        if (!k.bild.isEmpty()) {
            const QPixmap bild(k.bild); // an unreadable picture just leaves the button plain
            b->setIcon(bild.isNull() ? QIcon() : QIcon(bild));
            b->setIconSize(QSize(40, 40));
        } else if (m_e.an(QStringLiteral("cb_artikelbilder.Checked"))) {
            b->setIcon(QIcon());
        }
    }
    m_gruppeposition->setText(QString::number(m_knoepfe.gruppenPosition()));
    m_artikelposition->setText(QString::number(m_knoepfe.artikelPosition()));
    m_vonGruppe->setProperty("tag", m_knoepfe.vonGruppe());
    m_bisGruppe->setProperty("tag", m_knoepfe.bisGruppe());
}

void KassenSeite::anzeigen() {
    m_modell->neu();
    if (m_verkauf->auswahl() >= 0) m_grid->selectRow(m_verkauf->auswahl());
    m_bar->setText(m_verkauf->bar());
    m_gesamt->setText(betrag(m_verkauf->gesamtbetrag()));
    m_baranzeige->setText(betrag(m_verkauf->baranzeige()));
    m_wechselgeld->setText(betrag(m_verkauf->wechselgeld()));
    for (int i = 0; i < 4; ++i) m_mwst[i]->setText(betrag(m_verkauf->mwst()[i]));
}

void KassenSeite::geldpanelWaehlen() {
    auto* stapel = static_cast<QStackedLayout*>(m_euro->parentWidget()->layout());
    const int wahl = m_e.zahl(QStringLiteral("rg_banknoten.ItemIndex"));
    stapel->setCurrentWidget(wahl == 1 ? m_franken : wahl == 2 ? m_zahlen : m_euro);
}

void KassenSeite::skalieren(double faktor) {
    auto punkte = [faktor](double basis) { return std::clamp(int(std::lround(basis * faktor)), 8, 48); };
    QFont f = font();
    f.setPointSize(punkte(m_basisPunkte));
    setFont(f);
    // Fields with a size of their own keep their proportion to the rest.
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant basis = w->property("basisPunkte");
        if (!basis.isValid()) continue;
        QFont eigene = w->font();
        eigene.setPointSize(punkte(basis.toDouble()));
        w->setFont(eigene);
    }
}

void KassenSeite::starten() {
    m_barcode->setVisible(!m_e.an(QStringLiteral("sw_scanner.StateOn")));
    m_zahlknoepfe[Zahlknopf::Bankomat]->setVisible(m_e.an(QStringLiteral("sw_terminal_zvt.StateOn")));
    for (int i = 0; i < 9; ++i) m_zahlenknoepfe[i]->setText(m_e.text(QStringLiteral("bz_%1.Text").arg(i + 1)));
    geldpanelWaehlen();
    m_knoepfe.start();
    knoepfeAnzeigen();
    m_grid->setFocus();
    btn_neuerbarverkaufClick();
}

void KassenSeite::barcodeFokus() {
    m_barcode->clear();
    m_barcode->setFocus();
}

void KassenSeite::btn_neuerbarverkaufClick() {
    fehlerZeigen([this] { m_verkauf->NeuerVerkauf(); });
    bedienungSperren(false);
}

void KassenSeite::btn_barverkauf_abbrechenClick() {
    if (!Meldungen::frage(this, Tfrm_strings::text("sm_43"), QStringLiteral(" "))) return;
    fehlerZeigen([this] { m_verkauf->Abbrechen(QString()); });
}
