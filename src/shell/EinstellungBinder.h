#pragma once
#include <QGroupBox>
#include <QString>
#include <QStringList>

class Einstellungen;
class QButtonGroup;

// A titled group of radio buttons with an item index, like the old radio groups.
class RadioGruppe : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
public:
    RadioGruppe(const QString& titel, const QStringList& eintraege, QWidget* eltern = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* m_gruppe;
};

// Ties a widget to one settings key both ways: the widget shows the stored
// value and every edit goes straight into the store. The property part of the
// key ("Text", "Checked", "StateOn", "ItemIndex", "Value", "Position", "Time",
// "Lines", "Visible", "Enabled") says what is tied.
namespace EinstellungBinder {
void binden(QWidget* widget, Einstellungen& e, const QString& schluessel);
// Binds by object name: "<objectName>.<property>".
void binden(QWidget* widget, Einstellungen& e, const char* eigenschaft);
} // namespace EinstellungBinder
