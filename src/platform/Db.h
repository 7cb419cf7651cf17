#pragma once
// The one shared database connection and the small query helpers every window uses.
// Every value goes into SQL as a bound parameter; failures surface as DbError so a handler
// can trap them the way the window's rules ask.
#include <QDate>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace db {

class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

inline constexpr const char* kConnectionName = "DbConnection";

// Opens the shared connection on an existing database file. Refuses (DbError) a missing file,
// a file that is not SQLite, or one lacking the four tables, without writing to it.
void open(const QString& path);
// Closes and releases the shared connection; harmless when none is open.
void close();
bool isOpen();
QSqlDatabase connection();
QString openPath();

// True when the file starts with the SQLite header and holds the four tables.
bool isUsableDatabase(const QString& path, QString* why = nullptr);

// Runs one statement with bound values on the shared connection; throws DbError on failure.
QSqlQuery exec(const QString& sql, const QVariantList& args = {});
// First column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QString& sql, const QVariantList& args = {});

// Dates are stored as ISO text, always a plain date.
QString isoDate(const QDate& d);
QDate fromIso(const QVariant& v);

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
