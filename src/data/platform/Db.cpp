#include "platform/Db.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>

#include <sqlite3.h>

namespace db {

namespace {
QString s_openPath;

// How long a check waits for another connection that is writing the file.
constexpr int kBusyTimeoutMs = 2000;

struct Column {
    const char* name;
    const char* type;
};
struct Table {
    const char* name;
    QList<Column> columns;
};

// The four tables and their fields in field order, as every file made from the template has them:
// the windows read fields by name and the grids lay them out by position.
const QList<Table>& tables()
{
    static const QList<Table> list = {
        {"仕入商品", {{"品名ID", "INTEGER"}, {"品名", "TEXT"}, {"単価", "REAL"}, {"単位", "TEXT"}}},
        {"項目分類", {{"項目ID", "INTEGER"}, {"項目分類名", "TEXT"}}},
        {"単位", {{"単位ID", "INTEGER"}, {"単位", "TEXT"}}},
        {"棚卸マスター",
         {{"ID", "INTEGER"}, {"日付", "TEXT"}, {"項目ID", "INTEGER"}, {"品名", "TEXT"}, {"数量", "REAL"},
          {"単位", "TEXT"}, {"単価", "REAL"}, {"価格", "REAL"}, {"備考", "TEXT"}, {"備考1", "TEXT"},
          {"品名ID", "INTEGER"}, {"区分調整", "INTEGER"}}},
    };
    return list;
}

// Empty when the table is there with exactly these fields, else what is wrong with it.
QString tableProblem(const QSqlDatabase& d, const Table& table)
{
    const QString name = QString::fromUtf8(table.name);
    QSqlQuery q(d);
    q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(name);
    if (!q.exec())
        return q.lastError().text();
    if (!q.next())
        return QStringLiteral("table %1 missing").arg(name);
    q.prepare(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"));
    q.addBindValue(name);
    if (!q.exec())
        return q.lastError().text();
    QStringList found;
    while (q.next())
        found << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString().toUpper();
    QStringList expected;
    for (const Column& c : table.columns)
        expected << QString::fromUtf8(c.name) + QLatin1Char(' ') + QString::fromUtf8(c.type);
    if (found != expected)
        return QStringLiteral("table %1 has the fields (%2), not (%3)")
            .arg(name, found.join(QLatin1String(", ")), expected.join(QLatin1String(", ")));
    return QString();
}

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
        // Opened for writing, as SQLite needs to roll back what a crash left half-written (the
        // journal beside the file); nothing else is written, so a refused file stays as it was.
        QSqlDatabase probe = QSqlDatabase::addDatabase("QSQLITE", "DbProbe");
        probe.setDatabaseName(path);
        probe.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!probe.open()) {
            ok = fail(probe.lastError().text());
        } else {
            for (const Table& table : tables()) {
                const QString problem = tableProblem(probe, table);
                if (!problem.isEmpty()) {
                    ok = fail(problem);
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

QString engineVersion()
{
    return QString::fromLatin1(sqlite3_libversion());
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
