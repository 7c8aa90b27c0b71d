#pragma once
#include <QLabel>
#include <QWidget>

class QTextBrowser;

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

// The register tab "Barverkauf".
class KassenSeite : public QWidget {
    Q_OBJECT
public:
    explicit KassenSeite(QWidget* eltern = nullptr);
    QTextBrowser* anleitung() const { return m_anleitung; }
    QLabel* kartenleser() const { return m_kartenleser; }

signals:
    void betragDoppelklick();

private:
    QTextBrowser* m_anleitung;
    QLabel* m_kartenleser;
};
