#include "data/Transaktion.h"

#include "data/Tdm_datenbank.h"
#include "shell/Fehler.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
void befehl(Tdm_datenbank& dm, const QString& sql, const QString& name) {
    QSqlQuery q(dm.haupt());
    if (!q.exec(sql)) {
        const DatenbankFehler f = datenbankFehler(q.lastError());
        throw DatenbankFehler(name + QStringLiteral(": ") + f.text());
    }
}
} // namespace

Transaktion::Transaktion(Tdm_datenbank& dm, const QString& name) : m_dm(dm), m_name(name) {
    if (m_dm.transaktionsTiefe() == 0) {
        befehl(m_dm, m_dm.dialekt().beginSchreibtransaktion(), m_name);
        m_aeusserste = true;
    }
    ++m_dm.transaktionsTiefe();
}

Transaktion::~Transaktion() {
    if (m_fertig) return;
    --m_dm.transaktionsTiefe();
    if (m_aeusserste) {
        QSqlQuery q(m_dm.haupt());
        q.exec(QStringLiteral("ROLLBACK"));
    }
}

void Transaktion::commit() {
    if (m_fertig) return;
    if (m_aeusserste) befehl(m_dm, QStringLiteral("COMMIT"), m_name);
    --m_dm.transaktionsTiefe();
    m_fertig = true;
}
