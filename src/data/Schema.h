#pragma once
#include "data/SqlDialect.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct Spalte {
    QString name;
    Spaltentyp typ;
    int laenge = 0;
    bool notNull = false;
    QString standard; // SQL literal of the default, empty for none
};

struct Tabelle {
    QString name;
    QList<Spalte> spalten;
    QString primaerschluessel; // column list, empty for none
};

namespace Schema {

// Columns of a stored sale row, in table order (also the archive table's).
QList<Spalte> barverkaufSpalten();
QList<Tabelle> haupttabellen();
QList<Tabelle> lokaltabellen();
QString createTable(const Tabelle& t, const SqlDialect& d);

// Creates every table, index and reference row of an empty main database, in one transaction.
void hauptdatenbankAnlegen(QSqlDatabase& db, const SqlDialect& d);
void lokaldatenbankAnlegen(QSqlDatabase& db, const SqlDialect& d);
// True when the database holds none of our tables.
bool istLeer(const QSqlDatabase& db);

// Adds the upgrade columns a sale table of an older version lacks; returns the statements run.
QStringList aktualisieren(QSqlDatabase& db, const SqlDialect& d);
// Adds the settings-row columns and the archive table; returns the statements run.
QStringList erweitern(QSqlDatabase& db, const SqlDialect& d);

} // namespace Schema
