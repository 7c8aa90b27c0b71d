#include "data/ExecuteAndWait.h"

#include <QCoreApplication>
#include <QProcess>

int ExecuteAndWait(const QString& verb, const QString& datei, const QString& parameter, int anzeige,
                   const QString& arbeitsordner) {
    Q_UNUSED(verb);
    Q_UNUSED(anzeige);
    try {
        QProcess p;
        if (!arbeitsordner.isEmpty()) p.setWorkingDirectory(arbeitsordner);
        p.setProgram(datei);
        p.setArguments(QProcess::splitCommand(parameter));
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start();
        if (!p.waitForStarted(10000)) return -1;
        while (!p.waitForFinished(100)) {
            if (p.state() == QProcess::NotRunning) break;
            if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        if (p.exitStatus() != QProcess::NormalExit) return -1;
        return p.exitCode();
    } catch (...) {
        return -1;
    }
}
