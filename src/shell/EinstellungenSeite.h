#pragma once
#include <QWidget>

class Einstellungen;
class QTextEdit;

// The general settings page "Einstellungen" (ts_settings).
class EinstellungenSeite : public QWidget {
    Q_OBJECT
public:
    EinstellungenSeite(Einstellungen& e, QWidget* eltern = nullptr);
    QTextEdit* zusatztext() const { return m_zusatztext; }

signals:
    void upgradeAngefordert();
    void waehrungGewaehlt(const QString& symbol);

private:
    QWidget* formatleiste();
    Einstellungen& m_e;
    QTextEdit* m_zusatztext;
};
