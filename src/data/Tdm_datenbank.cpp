#include "data/Tdm_datenbank.h"

#include "data/Schema.h"
#include "shell/Fehler.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <sqlite3.h>

namespace {

DatenbankFehler fehler(const QSqlError& e, const QString& sql = {}) { return datenbankFehler(e, sql); }

QSqlDatabase sqliteOeffnen(const QString& name, const QString& datei) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(datei);
    // Another register may hold the write lock for a moment: wait, don't fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    if (!db.open()) throw fehler(db.lastError());
    QSqlQuery q(db);
    // A committed sale must survive a power cut.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"})
        if (!q.exec(QLatin1String(pragma))) throw fehler(q.lastError(), QLatin1String(pragma));
    return db;
}

QString text(const QSqlRecord& r, const char* spalte) { return r.value(QLatin1String(spalte)).toString(); }
int ganz(const QSqlRecord& r, const char* spalte) { return r.value(QLatin1String(spalte)).toInt(); }

} // namespace

Tdm_datenbank::Tdm_datenbank(const QString& name)
    : m_hauptName(name), m_lokalName(name + QStringLiteral("_Lokal")),
      m_dialekt(SqlDialect::fuer(QStringLiteral("QSQLITE"))), m_lokalDialekt(SqlDialect::fuer(QStringLiteral("QSQLITE"))) {}

Tdm_datenbank::~Tdm_datenbank() { Trennen(); }

void Tdm_datenbank::schliessen(const QString& name) noexcept {
    for (auto it = m_rohAnweisungen.begin(); it != m_rohAnweisungen.end();) {
        if (it.key().startsWith(name + QLatin1Char('\x1f'))) {
            sqlite3_finalize(static_cast<sqlite3_stmt*>(it.value()));
            it = m_rohAnweisungen.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_abfragen.begin(); it != m_abfragen.end();) {
        if (it.key().startsWith(name + QLatin1Char('\x1f'))) it = m_abfragen.erase(it);
        else ++it;
    }
    if (!QSqlDatabase::contains(name)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void Tdm_datenbank::Trennen() noexcept {
    schliessen(m_hauptName);
    schliessen(m_lokalName);
    m_tiefe = 0;
}

void Tdm_datenbank::HauptdatenbankOeffnen(const QString& dateiOderAdresse) {
    schliessen(m_hauptName);
    if (dateiOderAdresse.startsWith(QLatin1String("postgresql://")) ||
        dateiOderAdresse.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(dateiOderAdresse);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_hauptName);
        if (!db.isValid()) throw DatenbankFehler(QStringLiteral("PostgreSQL-Treiber (QPSQL) ist nicht installiert."));
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(url.path().mid(1));
        if (!db.open()) throw fehler(db.lastError());
        m_dialekt = SqlDialect::fuer(QStringLiteral("QPSQL"));
    } else {
        sqliteOeffnen(m_hauptName, dateiOderAdresse);
        m_dialekt = SqlDialect::fuer(QStringLiteral("QSQLITE"));
    }
    QSqlDatabase db = haupt();
    if (Schema::istLeer(db)) Schema::hauptdatenbankAnlegen(db, *m_dialekt);
}

void Tdm_datenbank::LokaleDatenbankOeffnen(const QString& datei) {
    schliessen(m_lokalName);
    QSqlDatabase db = sqliteOeffnen(m_lokalName, datei);
    // Only the sale being entered lives here: a power cut may cost the last
    // scan, never a stored sale, so each scan need not wait for the disk.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (!db.tables().contains(QStringLiteral("Artikelpositionen"), Qt::CaseInsensitive))
        Schema::lokaldatenbankAnlegen(db, *m_lokalDialekt);
}

bool Tdm_datenbank::hauptOffen() const {
    return QSqlDatabase::contains(m_hauptName) && QSqlDatabase::database(m_hauptName, false).isOpen();
}
bool Tdm_datenbank::lokalOffen() const {
    return QSqlDatabase::contains(m_lokalName) && QSqlDatabase::database(m_lokalName, false).isOpen();
}

QSqlDatabase Tdm_datenbank::haupt() const { return QSqlDatabase::database(m_hauptName, false); }
QSqlDatabase Tdm_datenbank::lokal() const { return QSqlDatabase::database(m_lokalName, false); }

QSqlQuery& Tdm_datenbank::abfrage(const QSqlDatabase& db, const QString& sql) {
    const QString schluessel = db.connectionName() + QLatin1Char('\x1f') + sql;
    auto it = m_abfragen.find(schluessel);
    if (it == m_abfragen.end()) {
        QSqlQuery q(db);
        // Every caller reads forward once; without this the driver caches each row.
        q.setForwardOnly(true);
        if (!q.prepare(sql)) throw fehler(q.lastError(), sql);
        it = m_abfragen.insert(schluessel, std::move(q));
    }
    it->finish();
    return *it;
}

QSqlQuery& Tdm_datenbank::ausfuehren(const QSqlDatabase& db, const QString& sql, const QVariantList& werte) {
    QSqlQuery& q = abfrage(db, sql);
    for (int i = 0; i < werte.size(); ++i) q.bindValue(i, werte.at(i));
    if (!q.exec()) throw fehler(q.lastError(), sql);
    return q;
}

namespace {
sqlite3* sqliteHandle(const QSqlDatabase& db) {
    if (db.driverName() != QLatin1String("QSQLITE") || !db.driver()) return nullptr;
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

DatenbankFehler sqliteFehler(sqlite3* h, int rc, const QString& sql) {
    return datenbankFehler(
        QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(h)), QSqlError::StatementError, QString::number(rc & 0xFF)),
        sql);
}

void binden(sqlite3_stmt* st, const QVariantList& werte) {
    for (int i = 0; i < werte.size(); ++i) {
        const QVariant& w = werte.at(i);
        const int n = i + 1;
        switch (w.isNull() ? QMetaType::UnknownType : w.typeId()) {
        case QMetaType::UnknownType: sqlite3_bind_null(st, n); break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: sqlite3_bind_int64(st, n, w.toLongLong()); break;
        case QMetaType::Double: sqlite3_bind_double(st, n, w.toDouble()); break;
        default: {
            const QByteArray t = w.toString().toUtf8();
            sqlite3_bind_text(st, n, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        }
        }
    }
}
} // namespace

void* Tdm_datenbank::rohAnweisung(const QSqlDatabase& db, const QString& sql) {
    sqlite3* h = sqliteHandle(db);
    if (!h) return nullptr;
    const QString schluessel = db.connectionName() + QLatin1Char('\x1f') + sql;
    auto* st = static_cast<sqlite3_stmt*>(m_rohAnweisungen.value(schluessel));
    if (!st) {
        const QByteArray text = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(h, text.constData(), int(text.size()), &st, nullptr);
        if (rc != SQLITE_OK) throw sqliteFehler(h, rc, sql);
        m_rohAnweisungen.insert(schluessel, st);
    }
    return st;
}

void Tdm_datenbank::schreiben(const QSqlDatabase& db, const QString& sql, const QVariantList& werte) {
    auto* st = static_cast<sqlite3_stmt*>(rohAnweisung(db, sql));
    if (!st) {
        ausfuehren(db, sql, werte);
        return;
    }
    binden(st, werte);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw sqliteFehler(sqlite3_db_handle(st), rc, sql);
}

QList<QVariantList> Tdm_datenbank::lesen(const QSqlDatabase& db, const QString& sql, const QVariantList& werte) {
    QList<QVariantList> zeilen;
    auto* st = static_cast<sqlite3_stmt*>(rohAnweisung(db, sql));
    if (!st) {
        QSqlQuery& q = ausfuehren(db, sql, werte);
        const int spalten = q.record().count();
        while (q.next()) {
            QVariantList z;
            z.reserve(spalten);
            for (int i = 0; i < spalten; ++i) z << q.value(i);
            zeilen << z;
        }
        q.finish();
        return zeilen;
    }
    binden(st, werte);
    const int spalten = sqlite3_column_count(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVariantList z;
        z.reserve(spalten);
        for (int i = 0; i < spalten; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_INTEGER: z << QVariant(qint64(sqlite3_column_int64(st, i))); break;
            case SQLITE_FLOAT: z << QVariant(sqlite3_column_double(st, i)); break;
            case SQLITE_NULL: z << QVariant(); break;
            default:
                z << QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                                sqlite3_column_bytes(st, i)));
            }
        }
        zeilen << z;
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (rc != SQLITE_DONE) throw sqliteFehler(sqlite3_db_handle(st), rc, sql);
    return zeilen;
}

int Tdm_datenbank::maxPlusEins(const QSqlDatabase& db, const QString& sql, const QVariantList& werte) {
    const QList<QVariantList> z = lesen(db, sql, werte);
    if (z.isEmpty() || z.first().isEmpty()) return -1;
    return z.first().first().toInt() + 1; // MAX over no rows reads as 0
}

int Tdm_datenbank::NaechsteBarverkaufNr() {
    return maxPlusEins(haupt(), QStringLiteral("select Max(Barverkauf_nr) as LetzteNummer\nfrom Barverkaeufe"));
}

int Tdm_datenbank::NeueBarverkaufspositionID() {
    return maxPlusEins(haupt(), QStringLiteral("SELECT MAX(ID_Barverkaufspositionen)  AS MaxNummer\nFROM Barverkaeufe"));
}

int Tdm_datenbank::NeueArtikelpositionID() {
    return maxPlusEins(lokal(), QStringLiteral("select MAX(ID_Artikelposition) as MaxNummer\nfrom Artikelpositionen"));
}

int Tdm_datenbank::NeueKassenbuchID(int firma) {
    return maxPlusEins(haupt(),
                       QStringLiteral("SELECT MAX(ID_Kassenbuch)  AS MaxNummer\nFROM Kassenbuch\nwhere\nFirma=:pfirma"),
                       {firma});
}

namespace {
// The article columns the register reads, in the order the reader below takes them.
QString artikelSpalten() {
    QStringList s{QStringLiteral("Artikel"), QStringLiteral("Name_AR"), QStringLiteral("Name_AR_e"),
                  QStringLiteral("Name_AR_f"), QStringLiteral("Name_AR_s"), QStringLiteral("Name_AR_n"),
                  QStringLiteral("Einheit"), QStringLiteral("Artikelgruppe"), QStringLiteral("Rabattfaehig"),
                  QStringLiteral("ErloesKontoInland"), QStringLiteral("ErloesKontoAusland"), QStringLiteral("ErloesKontoEU"),
                  QStringLiteral("MWST"), QStringLiteral("Einkaufspreis"), QStringLiteral("Lieferant1Einkaufspreis"),
                  QStringLiteral("Lieferant2Einkaufspreis"), QStringLiteral("Lieferant1"), QStringLiteral("Lieferant2"),
                  QStringLiteral("FremdartikelnummerLieferant1"), QStringLiteral("FremdartikelnummerLieferant2"),
                  QStringLiteral("Lagerbestand"), QStringLiteral("ID_GS"), QStringLiteral("IstKuechenArtikel"),
                  QStringLiteral("IstSchankArtikel"), QStringLiteral("Lagerfuehrung"), QStringLiteral("NichtSteuerpflichtig"),
                  QStringLiteral("HatSeriennummern"), QStringLiteral("PLU"), QStringLiteral("PreisAenderbar"),
                  QStringLiteral("AnzahlTickets"), QStringLiteral("UmrechnungAEHinWEH")};
    for (int i = 1; i <= 6; ++i) s << QStringLiteral("Preis%1").arg(i);
    for (int i = 1; i <= 3; ++i)
        s << QStringLiteral("Betrag_Verminderung_%1").arg(i) << QStringLiteral("Menge_Verminderung_%1").arg(i);
    for (int i = 1; i <= 30; ++i) s << QStringLiteral("Lager%1").arg(i);
    return s.join(QStringLiteral(", "));
}
} // namespace

TArtikelDaten Tdm_datenbank::ArtikelDatenLesen(const QString& artikel) {
    static const QString sql =
        QStringLiteral("select %1 from Artikelstamm\nwhere\nArtikel =:partikel").arg(artikelSpalten());
    TArtikelDaten a;
    QSqlQuery& q = ausfuehren(haupt(), sql, {artikel});
    if (!q.next()) return a;
    int i = 0;
    auto t = [&q, &i] { return q.value(i++).toString(); };
    auto g = [&q, &i] { return q.value(i++).toInt(); };
    auto z = [&q, &i] { return q.value(i++).toDouble(); };
    a.gefunden = true;
    a.Artikel = t();
    a.Name_AR = t();
    a.Name_AR_e = t();
    a.Name_AR_f = t();
    a.Name_AR_s = t();
    a.Name_AR_n = t();
    a.Einheit = t();
    a.Artikelgruppe = g();
    a.Rabattfaehig = g() == 1;
    a.ErloesKontoInland = t();
    a.ErloesKontoAusland = t();
    a.ErloesKontoEU = t();
    a.MWST = g();
    a.Einkaufspreis = z();
    a.Lieferant1Einkaufspreis = z();
    a.Lieferant2Einkaufspreis = z();
    a.Lieferant1 = g();
    a.Lieferant2 = g();
    a.FremdartikelnummerLieferant1 = t();
    a.FremdartikelnummerLieferant2 = t();
    a.Lagerbestand = z();
    a.ID_GS = g();
    a.IstKuechenArtikel = g();
    a.IstSchankArtikel = g();
    a.Lagerfuehrung = g() == 1;
    a.NichtSteuerpflichtig = g() == 1;
    a.HatSeriennummern = g() == 1;
    a.PLU = g();
    a.PreisAenderbar = g() == 1;
    a.AnzahlTickets = g();
    a.UmrechnungAEHinWEH = z();
    for (double& p : a.Preis) p = z();
    for (int k = 0; k < 3; ++k) {
        a.Betrag_Verminderung[k] = z();
        a.Menge_Verminderung[k] = z();
    }
    for (double& l : a.Lager) l = z();
    q.finish();
    return a;
}

QString Tdm_datenbank::ArtikelVonBarcode(const QString& barcode) {
    QSqlQuery& q = ausfuehren(haupt(), QStringLiteral("select Artikel from Artikelstamm\nwhere\nEANCode =:pbarcode"),
                              {barcode});
    QString artikel = q.next() ? q.value(0).toString() : QStringLiteral("-17");
    q.finish();
    return artikel;
}

TEinstellungen Tdm_datenbank::EinstellungenLesen() {
    TEinstellungen e;
    QSqlQuery& q = ausfuehren(haupt(), QStringLiteral("select * from Einstellungen"));
    if (!q.next()) return e;
    const QSqlRecord r = q.record();
    q.finish();
    e.gefunden = true;
    e.ArtikelPreisart = r.value(QStringLiteral("ArtikelPreisart")).isNull() ? -1 : ganz(r, "ArtikelPreisart");
    e.WebShopServerName = text(r, "WebShopServerName");
    e.WebShopDatenbankname = text(r, "WebShopDatenbankname");
    e.WebShopBenutzer = text(r, "WebShopBenutzer");
    e.WebShopPasswort = text(r, "WebShopPasswort");
    e.ServerFuerMobileKasseAktiv = ganz(r, "ServerFuerMobileKasseAktiv") == 1;
    e.KassenID = text(r, "KassenID");
    e.RKSV = ganz(r, "RKSV");
    return e;
}

int Tdm_datenbank::FirmenAnzahl() {
    const QList<QVariantList> z = lesen(haupt(), QStringLiteral("select count(*) from Firmenstamm"));
    return z.isEmpty() ? 0 : z.first().first().toInt();
}

void Tdm_datenbank::KassenIDSpeichern(const QString& kassenId) {
    QSqlDatabase db = haupt();
    if (!dialekt().spalten(db, QStringLiteral("Einstellungen")).contains(QLatin1String("KassenID"), Qt::CaseInsensitive))
        return; // an older database gains the column through the upgrade button
    ausfuehren(db, QStringLiteral("update Einstellungen set KassenID = ?"), {kassenId});
}

void Tdm_datenbank::RKSVSpeichern(bool an) {
    QSqlDatabase db = haupt();
    if (!dialekt().spalten(db, QStringLiteral("Einstellungen")).contains(QLatin1String("RKSV"), Qt::CaseInsensitive))
        return;
    ausfuehren(db, QStringLiteral("update Einstellungen set RKSV = ?"), {an ? 1 : 0});
}

void Tdm_datenbank::ProtokollEintragen(const QString& benutzer, const QString& text, const QDateTime& zeit) noexcept {
    try {
        if (!hauptOffen()) return;
        ausfuehren(haupt(),
                   QStringLiteral("insert into Protokoll (DatumZeit, Aufzeichnung, Benutzer) values (?, ?, ?)"),
                   {dialekt().zeit(zeit), text.left(255), benutzer.left(50)});
    } catch (...) {
        // The audit log must never stop the register.
    }
}

void Tdm_datenbank::ProtokollBereinigen(const QDate& heute) {
    ausfuehren(haupt(), QStringLiteral("delete from Protokoll\nwhere\nDatumZeit <:pdatum"),
               {dialekt().zeit(QDateTime(heute.addDays(-3650), QTime(0, 0)))});
}

QStringList Tdm_datenbank::SchemaAktualisieren() {
    m_abfragen.clear(); // statements prepared against the old column list
    QSqlDatabase db = haupt();
    return Schema::aktualisieren(db, dialekt());
}

QStringList Tdm_datenbank::SchemaErweitern() {
    m_abfragen.clear();
    QSqlDatabase db = haupt();
    return Schema::erweitern(db, dialekt());
}

DatenbankFehler datenbankFehler(const QSqlError& e, const QString& sql) {
    // SQLITE_BUSY / SQLITE_LOCKED: another register holds the write lock longer than we wait.
    const QString code = e.nativeErrorCode();
    if (code == QLatin1String("5") || code == QLatin1String("6") || code.startsWith(QLatin1String("5 ")) ||
        e.text().contains(QLatin1String("database is locked"), Qt::CaseInsensitive))
        return DatenbankFehler(QStringLiteral("Die Datenbank ist gerade durch eine andere Kasse belegt. "
                                              "Es wurde nichts gespeichert; bitte den Vorgang wiederholen."));
    QString text = e.text().trimmed();
    if (!sql.isEmpty()) text += QStringLiteral("\n") + sql;
    return DatenbankFehler(text);
}

void Tdm_datenbank::wartezeitSetzen(int millisekunden) {
    if (dialekt().name() != QLatin1String("sqlite")) return;
    QSqlQuery(haupt()).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(millisekunden));
}

void BenutzerStempeln(QSqlRecord& zeile, const QString& benutzer, const QDateTime& zeit, const SqlDialect& d) {
    zeile.setValue(QStringLiteral("Benutzer"), benutzer.left(50));
    zeile.setValue(QStringLiteral("Benutzerdatum"), d.zeit(zeit));
}
