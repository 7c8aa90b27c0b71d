#pragma once
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

// A private data folder, config folder and runtime folder for one test: the
// register's environment variables point into a fresh temporary directory.
class Testumgebung {
public:
    Testumgebung();
    ~Testumgebung();
    QString pfad(const QString& relativ = {}) const;
    QString datenordner() const { return pfad(QStringLiteral("daten")); }
    QString iniDatei() const { return pfad(QStringLiteral("config/orvenpos/orvenpos.ini")); }
    QString hauptdatei() const { return pfad(QStringLiteral("daten/ZumoVarelo.db")); }

private:
    QTemporaryDir m_dir;
    QByteArray m_alt[4];
};

// Answers the modal dialogs the register opens while a test drives it: PIN
// prompts get the given PIN (or are cancelled), message boxes are confirmed,
// questions get the given answer. Every text shown is recorded.
class Dialogbeantworter : public QObject {
public:
    Dialogbeantworter();
    QString pin;          // empty: cancel the PIN prompt
    bool antwortJa = false;
    QStringList texte;    // every message text, in order
    int pinAbfragen = 0;

private:
    void pruefen();
    QTimer m_timer;
};

// A SQLite file built from a fixture script of statements separated by ";".
void FixtureLaden(const QString& skript, const QString& zieldatei);
