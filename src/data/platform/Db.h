#pragma once
// The one shared database connection and the small query helpers every window uses.
// Every value goes into SQL as a bound parameter; failures surface as DbError so a handler
// can trap them the way the window's rules ask.
#include <QDate>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <stdexcept>

namespace db {

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

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
// Closes and releases the shared connection; harmless when none is open.
void close();
bool isOpen();
QSqlDatabase connection();
QString openPath();

// True when the file starts with the SQLite header and holds the four tables with their fields in
// field order. A write a crash left unfinished in the file is rolled back on the way.
bool isUsableDatabase(const QString& path, QString* why = nullptr);

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
