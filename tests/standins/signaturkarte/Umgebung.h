#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Runs the built programs as the register would and gives each test its own data folder.

struct Lauf {
    bool abgestuerzt = false;
    int code = -1;
    QByteArray aus;
    QByteArray fehler;
};

Lauf starten(const QString& programm, const QStringList& args, const QProcessEnvironment& env);
// Splits a parameter string the way the register's command line is split (quotes group).
QStringList zerlegen(const QString& parameter);
QByteArray dateiLesen(const QString& pfad);
QString ersteZeile(const QString& pfad);
QStringList dateienIn(const QString& ordner);

class SignaturkarteTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // Environment with no card variables of the calling shell; ORVENPOS_HOME points into the temp folder.
    QProcessEnvironment env;
    QTemporaryDir tmp;
    QString datenOrdner;  // <tmp>/daten
    QString kartenOrdner; // <daten>/Signaturkarte
    QString D;            // <daten>/Sicherungen/ — trailing slash, like the register's D + "Sicherungen\"

    Lauf atrust(const QString& parameter) const { return atrustArgs(zerlegen(parameter)); }
    Lauf atrustArgs(const QStringList& args) const;
    Lauf qrcode(const QStringList& args) const;
    Lauf png2bmpcmd(const QStringList& args) const;

    void karteAnlegen(const QString& zusatz = QString()) const;
    // First line of the result file after exit code 0, as the register reads it.
    QString ergebnis(const QString& parameter, const QString& datei) const;
};

#define ERWARTE_ERFOLG(lauf)                                                                                 \
    do {                                                                                                     \
        const Lauf& l_ = (lauf);                                                                             \
        ASSERT_FALSE(l_.abgestuerzt);                                                                        \
        ASSERT_EQ(l_.code, 0) << l_.fehler.constData();                                                      \
    } while (0)
