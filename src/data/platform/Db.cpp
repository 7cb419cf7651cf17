#include "platform/Db.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringList>

#include <cerrno>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

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

// The SQLite handle of a Qt connection; nullptr when it has none.
sqlite3* handleOf(const QSqlDatabase& d)
{
    if (!d.isValid() || !d.driver())
        return nullptr;
    const QVariant h = d.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

// The first failure met inside the running transaction.
std::optional<Cause> s_transactionFailure;
int s_transactions = 0;

DbError noted(const QString& detail, Cause cause)
{
    qWarning().noquote() << "database:" << detail;
    if (s_transactions > 0 && !s_transactionFailure)
        s_transactionFailure = cause;
    return DbError(detail, cause);
}

Cause causeOfQtError(const QSqlError& e, const QSqlDatabase& d)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    if (!ok)
        return Cause::Other;
    sqlite3* h = handleOf(d);
    return causeOfCode(code, h ? sqlite3_system_errno(h) : 0);
}

// Empty when the table is there with exactly these fields, else what is wrong with it (the cause
// in cause).
QString tableProblem(const QSqlDatabase& d, const Table& table, Cause& cause)
{
    const QString name = QString::fromUtf8(table.name);
    QSqlQuery q(d);
    // Reading the table list is where a file another connection is writing, or a damaged one,
    // shows first: already in the prepare.
    auto run = [&](const QString& sql) {
        if (q.prepare(sql)) {
            q.addBindValue(name);
            if (q.exec())
                return true;
        }
        cause = causeOfQtError(q.lastError(), d);
        return false;
    };
    if (!run(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?")))
        return q.lastError().text();
    cause = Cause::NotDatabase;
    if (!q.next())
        return QStringLiteral("table %1 missing").arg(name);
    if (!run(QStringLiteral("SELECT name, type FROM pragma_table_info(?)")))
        return q.lastError().text();
    cause = Cause::NotDatabase;
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

Cause causeOfCode(int sqliteCode, int systemError)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_FULL:
        return Cause::DiskFull;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Cause::InUse;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    // On an open file: the journal cannot be made beside it.
    case SQLITE_CANTOPEN:
        return Cause::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Cause::Damaged;
    case SQLITE_IOERR:
        // A write refused for want of room (or past the size the system lets a file grow to).
        if (systemError == ENOSPC || systemError == EFBIG || systemError == EDQUOT)
            return Cause::DiskFull;
        if (systemError == EROFS || systemError == EACCES || systemError == EPERM)
            return Cause::ReadOnly;
        return Cause::Other;
    default:
        return Cause::Other;
    }
}

Cause causeOf(const std::exception& e)
{
    if (const auto* d = dynamic_cast<const DbError*>(&e))
        return d->cause();
    return Cause::Other;
}

Cause causeOf(const QSqlError& error)
{
    return causeOfQtError(error, connection());
}

QString causeText(Cause cause)
{
    switch (cause) {
    case Cause::DiskFull:
        return QStringLiteral("ディスクの空き容量が足りないため、書き込めません。");
    case Cause::InUse:
        return QStringLiteral("データベースファイルがほかのプログラムで使用中です。");
    case Cause::ReadOnly:
        return QStringLiteral("データベースファイルが読み取り専用のため、変更を保存できません。");
    case Cause::Damaged:
        return QStringLiteral("データベースファイルが破損しています。");
    case Cause::NotFound:
        return QStringLiteral("データベースファイルが見つかりません。");
    case Cause::NotDatabase:
        return QStringLiteral("このプログラムのデータベースファイルではありません。");
    case Cause::Other:
        break;
    }
    return QStringLiteral("データベースの処理を完了できませんでした。");
}

QString withCause(const QString& message, Cause cause)
{
    return message + QLatin1Char('\n') + causeText(cause);
}

QString withCause(const QString& message, const std::exception& e)
{
    return withCause(message, causeOf(e));
}

DbError failure(const QSqlError& error, const QString& sql)
{
    return failure(error, sql, connection());
}

DbError failure(const QSqlError& error, const QString& sql, const QSqlDatabase& d)
{
    const QString detail = sql.isEmpty() ? error.text() : error.text() + QStringLiteral(" [") + sql + QLatin1Char(']');
    return noted(detail, causeOfQtError(error, d));
}

DbError failure(sqlite3* h, const QString& sql)
{
    if (!h)
        return noted(QStringLiteral("no database connection"), Cause::Other);
    const QString text = QString::fromUtf8(sqlite3_errmsg(h));
    const QString detail = sql.isEmpty() ? text : text + QStringLiteral(" [") + sql + QLatin1Char(']');
    return noted(detail, causeOfCode(sqlite3_extended_errcode(h), sqlite3_system_errno(h)));
}

sqlite3* handle()
{
    return isOpen() ? handleOf(connection()) : nullptr;
}

Notifier& notifier()
{
    static Notifier n;
    return n;
}

bool isUsableDatabase(const QString& path, QString* why, Cause* cause)
{
    auto fail = [why, cause](const QString& reason, Cause c) {
        if (why)
            *why = reason;
        if (cause)
            *cause = c;
        return false;
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isFile())
        return fail(QStringLiteral("file not found: %1").arg(path), Cause::NotFound);
    if (!QFileInfo(path).isReadable())
        return fail(QStringLiteral("file not readable: %1").arg(path), Cause::Other);
    if (!hasSqliteHeader(path))
        return fail(QStringLiteral("not a database file: %1").arg(path), Cause::NotDatabase);
    bool ok = true;
    {
        // Opened for writing, as SQLite needs to roll back what a crash left half-written (the
        // journal beside the file); nothing else is written, so a refused file stays as it was.
        QSqlDatabase probe = QSqlDatabase::addDatabase("QSQLITE", "DbProbe");
        probe.setDatabaseName(path);
        probe.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!probe.open()) {
            ok = fail(probe.lastError().text(), causeOfQtError(probe.lastError(), probe));
        } else {
            for (const Table& table : tables()) {
                Cause c = Cause::Other;
                const QString problem = tableProblem(probe, table, c);
                if (!problem.isEmpty()) {
                    ok = fail(problem, c);
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
    Cause cause = Cause::Other;
    if (!isUsableDatabase(path, &why, &cause)) {
        qWarning().noquote() << "database:" << why;
        throw DbError(why, cause);
    }
    QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", kConnectionName);
    d.setDatabaseName(path);
    if (!d.open()) {
        const DbError err = failure(d.lastError(), {}, d);
        d = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        throw err;
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

bool openFileIsReadOnly()
{
    sqlite3* h = handle();
    if (!h)
        return false;
    // SQLite opens a file it may not write for reading only, without a word; a journal that cannot
    // be made beside the file stops the first write only.
    if (sqlite3_db_readonly(h, "main") == 1)
        return true;
    const QByteArray file = QFile::encodeName(s_openPath);
    const QByteArray folder = QFile::encodeName(QFileInfo(s_openPath).absolutePath());
    return ::access(file.constData(), W_OK) != 0 || ::access(folder.constData(), W_OK | X_OK) != 0;
}

QSqlQuery exec(const QString& sql, const QVariantList& args)
{
    if (!isOpen())
        throw noted(QStringLiteral("no database file is open"), Cause::Other);
    QSqlQuery q(connection());
    if (!q.prepare(sql))
        throw failure(q.lastError(), sql);
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec())
        throw failure(q.lastError(), sql);
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

bool inTransaction()
{
    return s_transactions > 0;
}

Transaction::Transaction()
{
    if (!isOpen())
        throw noted(QStringLiteral("cannot begin a transaction: no database file is open"), Cause::Other);
    if (!connection().transaction())
        throw failure(connection().lastError(), QStringLiteral("BEGIN"));
    if (s_transactions++ == 0)
        s_transactionFailure.reset();
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
    if (!connection().commit()) {
        const QSqlError error = connection().lastError();
        // SQLite gave the transaction up on an earlier failure (it rolled back itself): the commit
        // fails only because of that one, which is what the user must hear of.
        sqlite3* h = handle();
        const bool givenUp = h && sqlite3_get_autocommit(h) != 0;
        const std::optional<Cause> first = s_transactionFailure;
        DbError own = failure(error, QStringLiteral("COMMIT"));
        if (givenUp && first)
            throw DbError(QString::fromUtf8(own.what()), *first);
        throw own;
    }
    m_done = true;
    if (--s_transactions == 0)
        s_transactionFailure.reset();
}

} // namespace db
