#pragma once
#include <QLockFile>
#include <QString>
#include <memory>

// Only one register may run per user: a lock file "orvenpos" in the runtime
// folder. A stale lock of a dead process is taken over.
class Instanzsperre {
public:
    explicit Instanzsperre(const QString& ordner = standardOrdner());
    bool erhalten() const { return m_erhalten; }
    static QString standardOrdner();

private:
    std::unique_ptr<QLockFile> m_sperre;
    bool m_erhalten = false;
};
