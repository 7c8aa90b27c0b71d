#include "shell/Meldungen.h"

#include "shell/Tfrm_strings.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <cstdio>

namespace {
QString titelOder(const QString& titel) { return titel.isEmpty() ? Tfrm_strings::text("lbl_barverkauf") : titel; }

void aufStderr(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(Tfrm_strings::anzeigetext(text)));
    std::fflush(stderr);
}
} // namespace

bool Meldungen::unbeaufsichtigt() { return qgetenv("ORVENPOS_MELDUNGEN") == "stderr"; }

void Meldungen::zeigen(QWidget* eltern, const QString& text, const QString& titel) {
    if (unbeaufsichtigt()) return aufStderr(text);
    QMessageBox box(QMessageBox::Information, titelOder(titel), Tfrm_strings::anzeigetext(text), QMessageBox::Ok, eltern);
    box.setObjectName(QStringLiteral("meldung"));
    box.exec();
}

void Meldungen::fehler(QWidget* eltern, const QString& text, const QString& titel) {
    if (unbeaufsichtigt()) return aufStderr(text);
    QMessageBox box(QMessageBox::Critical, titelOder(titel), Tfrm_strings::anzeigetext(text), QMessageBox::Ok, eltern);
    box.setObjectName(QStringLiteral("meldung"));
    box.exec();
}

bool Meldungen::frage(QWidget* eltern, const QString& text, const QString& titel) {
    if (unbeaufsichtigt()) {
        aufStderr(text);
        return false;
    }
    QMessageBox box(QMessageBox::Question, titel, Tfrm_strings::anzeigetext(text), QMessageBox::Yes | QMessageBox::No,
                    eltern);
    box.setObjectName(QStringLiteral("frage"));
    box.setDefaultButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> Meldungen::pinAbfragen(QWidget* eltern) {
    if (unbeaufsichtigt()) return std::nullopt;
    QInputDialog d(eltern);
    d.setObjectName(QStringLiteral("pinabfrage"));
    d.setWindowTitle(QStringLiteral("PIN"));
    d.setLabelText(QStringLiteral("bitte PIN eingeben"));
    d.setTextEchoMode(QLineEdit::Password);
    d.setInputMethodHints(Qt::ImhDigitsOnly);
    d.setTextValue(QString());
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.textValue();
}
