#include "Testumgebung.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {
const char* const kVariablen[4] = {"ORVENPOS_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"};
}

Testumgebung::Testumgebung() {
    EXPECT_TRUE(m_dir.isValid());
    for (int i = 0; i < 4; ++i) m_alt[i] = qgetenv(kVariablen[i]);
    QDir().mkpath(pfad(QStringLiteral("daten")));
    QDir().mkpath(pfad(QStringLiteral("config/orvenpos")));
    QDir().mkpath(pfad(QStringLiteral("run")));
    qputenv("ORVENPOS_HOME", pfad(QStringLiteral("daten")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", pfad(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", pfad(QStringLiteral("run")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", pfad(QStringLiteral("xdgdata")).toLocal8Bit());
}

Testumgebung::~Testumgebung() {
    for (int i = 0; i < 4; ++i) {
        if (m_alt[i].isEmpty()) qunsetenv(kVariablen[i]);
        else qputenv(kVariablen[i], m_alt[i]);
    }
}

QString Testumgebung::pfad(const QString& relativ) const {
    return relativ.isEmpty() ? m_dir.path() : QDir(m_dir.path()).filePath(relativ);
}

Dialogbeantworter::Dialogbeantworter() {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { pruefen(); });
    m_timer.start();
}

void Dialogbeantworter::pruefen() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    if (auto* d = qobject_cast<QInputDialog*>(w)) {
        ++pinAbfragen;
        if (pin.isEmpty()) return d->reject();
        d->setTextValue(pin);
        return d->accept();
    }
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        texte << box->text();
        if (box->standardButtons() & QMessageBox::Yes)
            return box->button(antwortJa ? QMessageBox::Yes : QMessageBox::No)->click();
        return box->accept();
    }
}

void FixtureLaden(const QString& skript, const QString& zieldatei) {
    QFile f(skript);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(skript);
    const QString text = QString::fromUtf8(f.readAll());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(zieldatei);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& teil : text.split(QLatin1Char(';'))) {
            QString sql;
            for (const QString& zeile : teil.split(QLatin1Char('\n')))
                if (!zeile.trimmed().startsWith(QLatin1String("--"))) sql += zeile + QLatin1Char('\n');
            if (sql.trimmed().isEmpty()) continue;
            ASSERT_TRUE(q.exec(sql)) << qPrintable(q.lastError().text()) << "\n" << qPrintable(sql);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
}
