#include "Umgebung.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {
QString bin(const char* name) {
    return QStringLiteral(ORVENPOS_BIN_DIR "/") + QLatin1String(name);
}
} // namespace

Lauf starten(const QString& programm, const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(programm, args);
    Lauf lauf;
    if (!p.waitForStarted(10000) || !p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        lauf.abgestuerzt = true;
        lauf.fehler = "nicht gestartet oder hängt: " + programm.toUtf8();
        return lauf;
    }
    lauf.abgestuerzt = p.exitStatus() != QProcess::NormalExit;
    lauf.code = p.exitCode();
    lauf.aus = p.readAllStandardOutput();
    lauf.fehler = p.readAllStandardError();
    return lauf;
}

QStringList zerlegen(const QString& parameter) {
    return QProcess::splitCommand(parameter);
}

QByteArray dateiLesen(const QString& pfad) {
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString ersteZeile(const QString& pfad) {
    return QString::fromUtf8(dateiLesen(pfad)).section('\n', 0, 0).trimmed();
}

QStringList dateienIn(const QString& ordner) {
    return QDir(ordner).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void SignaturkarteTest::SetUp() {
    ASSERT_TRUE(tmp.isValid());
    env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"ORVENPOS_SIGNATURKARTE", "ORVENPOS_HOME", "XDG_DATA_HOME"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), tmp.filePath(QStringLiteral("benutzer")));
    datenOrdner = tmp.filePath(QStringLiteral("daten"));
    env.insert(QStringLiteral("ORVENPOS_HOME"), datenOrdner);
    kartenOrdner = datenOrdner + QStringLiteral("/Signaturkarte");
    D = datenOrdner + QStringLiteral("/Sicherungen/");
    ASSERT_TRUE(QDir().mkpath(D));
}

Lauf SignaturkarteTest::atrustArgs(const QStringList& args) const {
    return starten(bin("ATrustRegistrierkasseExe"), args, env);
}
Lauf SignaturkarteTest::qrcode(const QStringList& args) const {
    return starten(bin("qrcode"), args, env);
}
Lauf SignaturkarteTest::png2bmpcmd(const QStringList& args) const {
    return starten(bin("png2bmpcmd"), args, env);
}

void SignaturkarteTest::karteAnlegen(const QString& zusatz) const {
    ERWARTE_ERFOLG(atrust(QStringLiteral(" --card_init") + zusatz));
}

QString SignaturkarteTest::ergebnis(const QString& parameter, const QString& datei) const {
    const Lauf lauf = atrust(parameter);
    EXPECT_FALSE(lauf.abgestuerzt);
    EXPECT_EQ(lauf.code, 0) << qPrintable(parameter) << ": " << lauf.fehler.constData();
    return ersteZeile(D + datei);
}
