#include "shell/EinstellungBinder.h"

#include "shell/Einstellungen.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

RadioGruppe::RadioGruppe(const QString& titel, const QStringList& eintraege, QWidget* eltern)
    : QGroupBox(titel, eltern), m_gruppe(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < eintraege.size(); ++i) {
        auto* rb = new QRadioButton(eintraege.at(i), this);
        m_gruppe->addButton(rb, i);
        layout->addWidget(rb);
    }
    connect(m_gruppe, &QButtonGroup::idToggled, this, [this](int id, bool an) {
        if (an) emit itemIndexChanged(id);
    });
}

int RadioGruppe::itemIndex() const { return m_gruppe->checkedId(); }

void RadioGruppe::setItemIndex(int index) {
    if (QAbstractButton* b = m_gruppe->button(index)) b->setChecked(true);
}

namespace {

template <typename W, typename Signal, typename Lesen>
void zurueck(W* w, Einstellungen& e, const QString& k, Signal signal, Lesen lesen) {
    QObject::connect(w, signal, &e, [w, &e, k, lesen] { e.setzen(k, lesen(w)); });
}

} // namespace

void EinstellungBinder::binden(QWidget* widget, Einstellungen& e, const char* eigenschaft) {
    binden(widget, e, widget->objectName() + QLatin1Char('.') + QLatin1String(eigenschaft));
}

void EinstellungBinder::binden(QWidget* w, Einstellungen& e, const QString& k) {
    const QString art = k.section(QLatin1Char('.'), -1);
    // Store -> widget, now and on every later change.
    auto anzeigen = [w, art](const QVariant& v) {
        const QSignalBlocker sperre(w);
        if (art == QLatin1String("Visible")) w->setVisible(v.toBool());
        else if (art == QLatin1String("Enabled")) w->setEnabled(v.toBool());
        else if (auto* le = qobject_cast<QLineEdit*>(w)) le->setText(v.toString());
        else if (auto* pt = qobject_cast<QPlainTextEdit*>(w)) pt->setPlainText(v.toStringList().join(QLatin1Char('\n')));
        else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            if (art == QLatin1String("ItemIndex")) cb->setCurrentIndex(v.toInt());
            else if (cb->isEditable()) cb->setEditText(v.toString());
            else cb->setCurrentIndex(qMax(0, cb->findText(v.toString())));
        } else if (auto* rg = qobject_cast<RadioGruppe*>(w)) rg->setItemIndex(v.toInt());
        else if (auto* te = qobject_cast<QTimeEdit*>(w)) te->setTime(v.toTime());
        else if (auto* sb = qobject_cast<QSpinBox*>(w)) sb->setValue(v.toInt());
        else if (auto* ds = qobject_cast<QDoubleSpinBox*>(w)) ds->setValue(v.toDouble());
        else if (auto* sl = qobject_cast<QAbstractSlider*>(w)) sl->setValue(v.toInt());
        else if (auto* ab = qobject_cast<QAbstractButton*>(w)) ab->setChecked(v.toBool());
    };
    anzeigen(e.wert(k));
    QObject::connect(&e, &Einstellungen::geaendert, w, [k, anzeigen](const QString& schluessel, const QVariant& v) {
        if (schluessel == k) anzeigen(v);
    });

    // Widget -> store.
    if (art == QLatin1String("Visible") || art == QLatin1String("Enabled")) return;
    if (auto* le = qobject_cast<QLineEdit*>(w))
        zurueck(le, e, k, &QLineEdit::textChanged, [](QLineEdit* x) { return QVariant(x->text()); });
    else if (auto* pt = qobject_cast<QPlainTextEdit*>(w))
        zurueck(pt, e, k, &QPlainTextEdit::textChanged, [](QPlainTextEdit* x) {
            return QVariant(x->toPlainText().split(QLatin1Char('\n')));
        });
    else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (art == QLatin1String("ItemIndex"))
            zurueck(cb, e, k, &QComboBox::currentIndexChanged, [](QComboBox* x) { return QVariant(x->currentIndex()); });
        else
            zurueck(cb, e, k, &QComboBox::currentTextChanged, [](QComboBox* x) { return QVariant(x->currentText()); });
    } else if (auto* rg = qobject_cast<RadioGruppe*>(w))
        zurueck(rg, e, k, &RadioGruppe::itemIndexChanged, [](RadioGruppe* x) { return QVariant(x->itemIndex()); });
    else if (auto* te = qobject_cast<QTimeEdit*>(w))
        zurueck(te, e, k, &QTimeEdit::timeChanged, [](QTimeEdit* x) { return QVariant(x->time()); });
    else if (auto* sb = qobject_cast<QSpinBox*>(w))
        zurueck(sb, e, k, &QSpinBox::valueChanged, [](QSpinBox* x) { return QVariant(x->value()); });
    else if (auto* ds = qobject_cast<QDoubleSpinBox*>(w))
        zurueck(ds, e, k, &QDoubleSpinBox::valueChanged, [](QDoubleSpinBox* x) { return QVariant(x->value()); });
    else if (auto* sl = qobject_cast<QAbstractSlider*>(w))
        zurueck(sl, e, k, &QAbstractSlider::valueChanged, [](QAbstractSlider* x) { return QVariant(x->value()); });
    else if (auto* ab = qobject_cast<QAbstractButton*>(w))
        zurueck(ab, e, k, &QAbstractButton::toggled, [](QAbstractButton* x) { return QVariant(x->isChecked()); });
}
