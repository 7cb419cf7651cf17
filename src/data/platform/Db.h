#pragma once
// The one shared database connection and the small query helpers every window uses.
// Every value goes into SQL as a bound parameter; failures surface as DbError so a handler
// can trap them the way the window's rules ask, and tell the user their cause in the user's words.
#include <QDate>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>

struct sqlite3;
class QSqlError;

namespace db {

// Why the database file could not do what was asked, as far as the user can act on it.
enum class Cause { Other, DiskFull, InUse, ReadOnly, Damaged, NotFound, NotDatabase };

// A failure of the database. what() holds the engine's words and the statement, for the log only:
// the user is told cause() through causeText.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& detail, Cause cause = Cause::Other)
        : std::runtime_error(detail.toStdString()), m_cause(cause)
    {
    }
    Cause cause() const { return m_cause; }

private:
    Cause m_cause;
};

// The cause behind a SQLite result code (primary or extended); for an I/O error the system's error
// number behind it tells a full disk from other faults.
Cause causeOfCode(int sqliteCode, int systemError = 0);
// The cause of a caught failure: a DbError's own, anything else Other.
Cause causeOf(const std::exception& e);
// The cause of a failure the driver reported on the shared connection (a model's lastError).
Cause causeOf(const QSqlError& error);
// The cause in one Japanese sentence, without the engine's words.
QString causeText(Cause cause);
// A message followed by its cause on a line of its own: how every window tells a database failure.
QString withCause(const QString& message, Cause cause);
QString withCause(const QString& message, const std::exception& e);

// The DbError of a failed statement on a connection (the shared one unless named), its cause read
// from the driver's error code. The engine's words and the statement go to the log. A failure inside
// a Transaction is remembered as its first one.
DbError failure(const QSqlError& error, const QString& sql = {});
DbError failure(const QSqlError& error, const QString& sql, const QSqlDatabase& connection);
// The same for a failure met on a SQLite handle directly.
DbError failure(sqlite3* handle, const QString& sql = {});
// The shared connection's SQLite handle; nullptr while none is open.
sqlite3* handle();

inline constexpr const char* kConnectionName = "DbConnection";

// Tells whoever holds a query on the shared connection that the connection is about to go (let go
// of every query and model now: none may outlive it), that a file was opened (read again from it),
// and that every row of some tables was deleted in the open file (read those tables again: rows
// shown from them, and edits waiting on those rows, are gone). Windows get this through Form;
// models and helpers connect themselves.
class Notifier : public QObject {
    Q_OBJECT
signals:
    void aboutToClose();
    void opened(const QString& path);
    void tablesCleared(const QStringList& tables);
};
Notifier& notifier();

// Opens the shared connection on an existing database file. Refuses (DbError) a missing file,
// a file that is not SQLite, or one without the four tables and their fields, without writing to
// it. A write a crash left unfinished is rolled back first, as SQLite does at every open.
void open(const QString& path);
// True when the open file can be read but not written: the file or its file system is read-only
// for this user, or its folder takes no journal beside it. Every write would fail.
bool openFileIsReadOnly();
// Closes and releases the shared connection; harmless when none is open.
void close();
bool isOpen();
QSqlDatabase connection();
QString openPath();

// True when the file starts with the SQLite header and holds the four tables with their fields in
// field order. A write a crash left unfinished in the file is rolled back on the way.
// why and cause tell what is wrong otherwise.
bool isUsableDatabase(const QString& path, QString* why = nullptr, Cause* cause = nullptr);

// Runs one statement with bound values on the shared connection; throws DbError on failure.
QSqlQuery exec(const QString& sql, const QVariantList& args = {});
// First column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QString& sql, const QVariantList& args = {});

// The version of the SQLite library the program runs on, as that library tells it ("3.40.1").
QString engineVersion();

// Dates are stored as ISO text, always a plain date.
QString isoDate(const QDate& d);
QDate fromIso(const QVariant& v);

// True while a Transaction is running on the shared connection.
bool inTransaction();

// Begins a transaction on the shared connection and rolls back unless commit() was called.
// When SQLite has given the transaction up on a failure of its own (a full disk, an I/O error),
// commit() throws that first failure, not the commit's own one that follows from it.
class Transaction {
public:
    Transaction();
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
private:
    bool m_done = false;
};

} // namespace db
