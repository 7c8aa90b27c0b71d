#pragma once
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>

// Column kinds of the register's tables, named after the old Jet types.
enum class Spaltentyp { Int, SmallInt, Long, Float, Text, Memo, DatumZeit };

// The few places where the database servers differ.
class SqlDialect {
public:
    virtual ~SqlDialect() = default;
    virtual QString name() const = 0;
    QString typ(Spaltentyp typ, int laenge) const;
    virtual QString datumZeitTyp() const = 0;
    // Statement that starts a transaction which holds the write lock from its start.
    virtual QString beginSchreibtransaktion() const = 0;
    // Date-times are bound through here so that every row uses one format.
    virtual QVariant zeit(const QDateTime& t) const = 0;
    virtual QDateTime zeitLesen(const QVariant& v) const = 0;
    // Column names of a table, empty when it does not exist.
    virtual QStringList spalten(const QSqlDatabase& db, const QString& tabelle) const;

    // Creates the dialect for a driver name ("QSQLITE", "QPSQL").
    static std::unique_ptr<SqlDialect> fuer(const QString& treiber);
};

// The date-time stored for "no date" (the closing time of open rows).
QDateTime Nullzeit();
