#include "shell/Instanzsperre.h"

#include <QDir>
#include <QStandardPaths>

Instanzsperre::Instanzsperre(const QString& ordner) {
    QDir().mkpath(ordner);
    m_sperre = std::make_unique<QLockFile>(QDir(ordner).filePath(QStringLiteral("orvenpos")));
    m_sperre->setStaleLockTime(0); // only a dead owner makes a lock stale
    m_erhalten = m_sperre->tryLock(0);
}

QString Instanzsperre::standardOrdner() {
    QString ordner = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (ordner.isEmpty()) ordner = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (ordner.isEmpty()) ordner = QDir::tempPath();
    return ordner;
}
