#include "platform/Db.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

namespace db {

namespace {
QString s_openPath;

const char* const kTables[] = {"仕入商品", "項目分類", "単位", "棚卸マスター"};

bool hasSqliteHeader(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}
} // namespace

Notifier& notifier()
{
    static Notifier n;
    return n;
}

bool isUsableDatabase(const QString& path, QString* why)
{
    auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        return fail(QStringLiteral("file not found: %1").arg(path));
    if (!hasSqliteHeader(path))
        return fail(QStringLiteral("not a database file: %1").arg(path));
    bool ok = true;
    {
        // Read-only probe: a refused file must stay exactly as it was.
        QSqlDatabase probe = QSqlDatabase::addDatabase("QSQLITE", "DbProbe");
        probe.setDatabaseName(path);
        probe.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (!probe.open()) {
            ok = fail(probe.lastError().text());
        } else {
            for (const char* table : kTables) {
                QSqlQuery q(probe);
                q.prepare("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
                q.addBindValue(QString::fromUtf8(table));
                if (!q.exec() || !q.next()) {
                    ok = fail(QStringLiteral("table %1 missing").arg(QString::fromUtf8(table)));
                    break;
                }
            }
            probe.close();
        }
    }
    QSqlDatabase::removeDatabase("DbProbe");
    return ok;
}

void open(const QString& path)
{
    close();
    QString why;
    if (!isUsableDatabase(path, &why))
        throw DbError(why);
    QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", kConnectionName);
    d.setDatabaseName(path);
    if (!d.open()) {
        const QString err = d.lastError().text();
        d = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        throw DbError(err);
    }
    s_openPath = path;
    emit notifier().opened(path);
}

void close()
{
    if (!QSqlDatabase::contains(kConnectionName))
        return;
    emit notifier().aboutToClose();
    {
        QSqlDatabase d = QSqlDatabase::database(kConnectionName, false);
        d.close();
    }
    QSqlDatabase::removeDatabase(kConnectionName);
    s_openPath.clear();
}

bool isOpen()
{
    return QSqlDatabase::contains(kConnectionName) && QSqlDatabase::database(kConnectionName, false).isOpen();
}

QSqlDatabase connection()
{
    return QSqlDatabase::database(kConnectionName, false);
}

QString openPath()
{
    return s_openPath;
}

QSqlQuery exec(const QString& sql, const QVariantList& args)
{
    if (!isOpen())
        throw DbError(QStringLiteral("no database file is open"));
    QSqlQuery q(connection());
    if (!q.prepare(sql))
        throw DbError(q.lastError().text() + " [" + sql + "]");
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec())
        throw DbError(q.lastError().text() + " [" + sql + "]");
    return q;
}

QVariant scalar(const QString& sql, const QVariantList& args)
{
    QSqlQuery q = exec(sql, args);
    if (!q.next())
        return {};
    return q.value(0);
}

QString isoDate(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

QDate fromIso(const QVariant& v)
{
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

namespace {
int s_transactions = 0;
}

bool inTransaction()
{
    return s_transactions > 0;
}

Transaction::Transaction()
{
    if (!isOpen() || !connection().transaction())
        throw DbError(QStringLiteral("cannot begin a transaction"));
    ++s_transactions;
}

Transaction::~Transaction()
{
    if (!m_done && isOpen())
        connection().rollback();
    if (!m_done)
        --s_transactions;
}

void Transaction::commit()
{
    if (!connection().commit())
        throw DbError(connection().lastError().text());
    m_done = true;
    --s_transactions;
}

} // namespace db
