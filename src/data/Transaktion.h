#pragma once
#include <QString>

class Tdm_datenbank;

// Begins a write transaction on the main connection, or joins the one already
// open; rolls back on destruction unless commit() ran. The name goes into errors.
class Transaktion {
public:
    Transaktion(Tdm_datenbank& dm, const QString& name);
    ~Transaktion();
    Transaktion(const Transaktion&) = delete;
    Transaktion& operator=(const Transaktion&) = delete;

    void commit();
    bool aeusserste() const { return m_aeusserste; }

private:
    Tdm_datenbank& m_dm;
    QString m_name;
    bool m_aeusserste = false;
    bool m_fertig = false;
};
