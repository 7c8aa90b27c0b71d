#include "register/KassenSeite.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QTextBrowser>

void DoppelklickLabel::mouseDoubleClickEvent(QMouseEvent* ereignis) {
    QLabel::mouseDoubleClickEvent(ereignis);
    emit doppelklick();
}

KassenSeite::KassenSeite(QWidget* eltern) : QWidget(eltern), m_anleitung(new QTextBrowser(this)), m_kartenleser(new QLabel(this)) {
    auto* gitter = new QGridLayout(this);
    m_anleitung->setObjectName(QStringLiteral("me_anleitung"));
    gitter->addWidget(m_anleitung, 0, 0, 3, 1);

    auto* betrag = new DoppelklickLabel(QStringLiteral("Zahlbetrag"), this);
    betrag->setObjectName(QStringLiteral("lbl_betrag"));
    connect(betrag, &DoppelklickLabel::doppelklick, this, &KassenSeite::betragDoppelklick);
    auto* gesamt = new QLineEdit(QStringLiteral("0,00"), this);
    gesamt->setObjectName(QStringLiteral("ed_gesamtbetrag"));
    gesamt->setReadOnly(true);
    gitter->addWidget(betrag, 0, 1);
    gitter->addWidget(gesamt, 0, 2);

    m_kartenleser->setObjectName(QStringLiteral("lbl_kartenleseratrust"));
    m_kartenleser->setVisible(false);
    gitter->addWidget(m_kartenleser, 1, 1, 1, 2);
    gitter->setColumnStretch(0, 1);
    gitter->setRowStretch(2, 1);
}
