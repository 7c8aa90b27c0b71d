#include "data/SqlDialect.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kZeitformat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

class SqliteDialect : public SqlDialect {
public:
    QString name() const override { return QStringLiteral("sqlite"); }
    QString datumZeitTyp() const override { return QStringLiteral("DATETIME"); }
    QString beginSchreibtransaktion() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    // ISO text of fixed width: string order is time order.
    QVariant zeit(const QDateTime& t) const override { return t.toString(kZeitformat); }
    QDateTime zeitLesen(const QVariant& v) const override {
        if (v.isNull()) return {};
        const QString s = v.toString();
        QDateTime t = QDateTime::fromString(s, kZeitformat);
        if (!t.isValid()) t = QDateTime::fromString(s, Qt::ISODateWithMs);
        return t;
    }
};

class PostgresDialect : public SqlDialect {
public:
    QString name() const override { return QStringLiteral("postgresql"); }
    QString datumZeitTyp() const override { return QStringLiteral("TIMESTAMP"); }
    // Serializable: of two writers that drew the same max+1, one is refused at commit.
    QString beginSchreibtransaktion() const override {
        return QStringLiteral("BEGIN ISOLATION LEVEL SERIALIZABLE");
    }
    QVariant zeit(const QDateTime& t) const override { return t; }
    QDateTime zeitLesen(const QVariant& v) const override { return v.toDateTime(); }
};
} // namespace

QString SqlDialect::typ(Spaltentyp typ, int laenge) const {
    switch (typ) {
    case Spaltentyp::Int: return QStringLiteral("INTEGER");
    case Spaltentyp::SmallInt: return QStringLiteral("SMALLINT");
    case Spaltentyp::Long: return QStringLiteral("BIGINT");
    case Spaltentyp::Float: return QStringLiteral("DOUBLE PRECISION");
    case Spaltentyp::Text: return QStringLiteral("VARCHAR(%1)").arg(laenge > 0 ? laenge : 255);
    case Spaltentyp::Memo: return QStringLiteral("TEXT");
    case Spaltentyp::DatumZeit: return datumZeitTyp();
    }
    return {};
}

QStringList SqlDialect::spalten(const QSqlDatabase& db, const QString& tabelle) const {
    QStringList namen;
    const QSqlRecord rec = db.record(tabelle);
    for (int i = 0; i < rec.count(); ++i) namen << rec.fieldName(i);
    return namen;
}

std::unique_ptr<SqlDialect> SqlDialect::fuer(const QString& treiber) {
    if (treiber == QLatin1String("QPSQL")) return std::make_unique<PostgresDialect>();
    return std::make_unique<SqliteDialect>();
}

QDateTime Nullzeit() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0)); }
