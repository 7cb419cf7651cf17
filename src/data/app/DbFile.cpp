#include "app/DbFile.h"

#include "common/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>

#include <QDebug>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace dbfile {

namespace {

[[noreturn]] void fail(const QString& why, db::Cause cause = db::Cause::Other)
{
    qWarning().noquote() << "database file:" << why;
    throw FileError(why, cause);
}

// A failed statement of a connection of this file's own, with its cause.
[[noreturn]] void failOn(const QSqlError& e, const QSqlDatabase& d, const QString& sql = {})
{
    const db::DbError err = db::failure(e, sql, d);
    throw FileError(QString::fromUtf8(err.what()), err.cause());
}

// A copy that could not be written for want of room is told so; other file faults have no cause
// the user could act on.
db::Cause copyCause(int error)
{
    return error == ENOSPC || error == EFBIG || error == EDQUOT ? db::Cause::DiskFull : db::Cause::Other;
}

// Makes a rename or a new file in the folder survive a power cut.
void syncFolder(const QString& file)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// SQLite's "busy" and "locked": another connection holds the file; nothing is wrong with it.
bool isBusy(const QSqlError& e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

QStringList checkRows(const QSqlDatabase& d, const QString& pragma)
{
    QSqlQuery q(d);
    if (!q.exec(pragma)) {
        if (isBusy(q.lastError()))
            failOn(q.lastError(), d, pragma);
        return {q.lastError().text()};
    }
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString();
    return rows;
}

// A connection of its own, removed again however the work ends.
class Connection {
public:
    Connection(const QString& name, const QString& path, const QString& options) : m_name(name)
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        d.setDatabaseName(path);
        d.setConnectOptions(options);
        if (!d.open())
            failOn(d.lastError(), d);
    }
    ~Connection()
    {
        {
            QSqlDatabase d = QSqlDatabase::database(m_name, false);
            d.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    void exec(const QString& sql) const
    {
        QSqlQuery q(db());
        if (!q.exec(sql))
            failOn(q.lastError(), db(), sql);
    }
    // The rows of a check pragma: "ok" alone when the file is sound. A file another connection
    // keeps busy is not found damaged: FileError is thrown.
    QStringList check(const QString& pragma) const
    {
        return checkRows(db(), pragma);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

private:
    QString m_name;
};

bool isOk(const QStringList& rows)
{
    return rows == QStringList{QStringLiteral("ok")};
}

QString leftoverPrefix(const QFileInfo& file)
{
    return QLatin1Char('.') + file.fileName() + QStringLiteral(".compact-");
}

// How long the compaction and the checks wait for another connection to finish before they give
// up.
constexpr int kBusyTimeoutMs = 1000;

QString busyTimeout()
{
    return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
}

// A journal that a crash left beside a file holds the file's old pages, and SQLite plays it back
// into whatever file has that name at its next open: it is rolled back into the file it belongs
// to before that file is replaced. SQLite removes it when it is done; nobody else may.
void settleJournal(const QString& file)
{
    if (!QFileInfo::exists(file + QStringLiteral("-journal")))
        return;
    if (!QFileInfo::exists(file))
        fail(QStringLiteral("%1-journal belongs to a file that is gone").arg(file), db::Cause::NotFound);
    Connection c(QStringLiteral("DbJournal"), file, busyTimeout());
    c.exec(QStringLiteral("PRAGMA schema_version"));
}

} // namespace

void copyReplacing(const QString& src, const QString& dst)
{
    // Neither the copy nor what it replaces may keep half of a crashed write.
    settleJournal(src);
    settleJournal(dst);
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(src), QFileInfo::exists(src) ? db::Cause::Other : db::Cause::NotFound);
    const bool existed = QFileInfo::exists(dst);
    QSaveFile out(dst);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly)) {
        const int error = errno;
        fail(QStringLiteral("cannot write %1: %2").arg(dst, out.errorString()), copyCause(error));
    }
    // A new copy is readable by nobody the source keeps out (a backup of a private file stays
    // private); its owner may always read and write it.
    if (!existed) {
        const QFileDevice::Permissions own = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        out.setPermissions((out.permissions() & (in.permissions() | own)) | QFile::ReadOwner | QFile::WriteOwner);
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        errno = 0;
        if (out.write(chunk) != chunk.size()) {
            const int error = errno;
            out.cancelWriting();
            fail(QStringLiteral("cannot write %1: %2").arg(dst, out.errorString()), copyCause(error));
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        fail(QStringLiteral("cannot read %1").arg(src));
    }
    errno = 0;
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        const int error = errno;
        out.cancelWriting();
        fail(QStringLiteral("cannot flush %1").arg(dst), copyCause(error));
    }
    errno = 0;
    if (!out.commit()) {
        const int error = errno;
        fail(QStringLiteral("cannot replace %1: %2").arg(dst, out.errorString()), copyCause(error));
    }
    syncFolder(dst);
}

bool isSound(const QString& path, QString* why)
{
    if (!db::isUsableDatabase(path, why))
        return false;
    QStringList rows;
    try {
        Connection c(QStringLiteral("DbSoundCheck"), path, busyTimeout());
        rows = c.check(QStringLiteral("PRAGMA quick_check"));
    } catch (const FileError& e) {
        rows = {QString::fromStdString(e.what())};
    }
    if (isOk(rows))
        return true;
    if (why)
        *why = QStringLiteral("%1 is damaged: %2").arg(path, rows.join(QLatin1String("; ")));
    return false;
}

bool openFileIsSound(QString* why)
{
    QStringList rows;
    try {
        rows = checkRows(db::connection(), QStringLiteral("PRAGMA quick_check"));
    } catch (const FileError&) {
        // Busy elsewhere: nothing is known against the file.
        return true;
    }
    if (isOk(rows))
        return true;
    if (why)
        *why = rows.join(QLatin1String("; "));
    return false;
}

bool backupDue(const QString& openFile, const QString& backup)
{
    return !openFile.isEmpty() && !paths::isTemplatePath(openFile) && !paths::samePathIgnoringCase(openFile, backup);
}

void writeBackup(const QString& openFile, const QString& backup)
{
    QString why;
    db::Cause cause = db::Cause::Other;
    if (!db::isUsableDatabase(openFile, &why, &cause))
        fail(why, cause);
    Connection c(QStringLiteral("DbBackup"), openFile, busyTimeout());
    // Checked and copied within one read: no other connection can write into the file until the
    // copy is complete, so the backup is the file as it stood at one moment.
    c.exec(QStringLiteral("BEGIN"));
    const QStringList rows = c.check(QStringLiteral("PRAGMA quick_check"));
    // A damaged file would push the last good copy out.
    if (!isOk(rows))
        fail(QStringLiteral("%1 is damaged: %2").arg(openFile, rows.join(QLatin1String("; "))), db::Cause::Damaged);
    copyReplacing(openFile, backup);
    c.exec(QStringLiteral("COMMIT"));
}

QStringList compactionLeftovers(const QString& file)
{
    const QFileInfo info(file);
    const QString prefix = leftoverPrefix(info);
    const QString self = paths::normalized(file);
    QStringList found;
    const QFileInfoList entries = QDir(info.absolutePath()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& e : entries) {
        if (e.fileName().startsWith(prefix) && paths::normalized(e.absoluteFilePath()) != self)
            found << e.absoluteFilePath();
    }
    return found;
}

void repairAndCompact(const QString& path)
{
    QString why;
    db::Cause cause = db::Cause::Other;
    if (!db::isUsableDatabase(path, &why, &cause))
        fail(why, cause);
    Connection m(QStringLiteral("DbMaintenance"), path, busyTimeout());

    // The repair: the indexes are built again from the tables when the check finds fault. Damage
    // in the tables themselves is beyond it; the file is then left as it is.
    if (!isOk(m.check(QStringLiteral("PRAGMA integrity_check")))) {
        try {
            m.exec(QStringLiteral("REINDEX"));
        } catch (const FileError&) {
            // Whether anything was mended, the check below tells.
        }
        const QStringList rows = m.check(QStringLiteral("PRAGMA integrity_check"));
        if (!isOk(rows))
            throw DamagedFile(QStringLiteral("%1 cannot be repaired: %2").arg(path, rows.join(QLatin1String("; "))),
                              db::Cause::Damaged);
    }

    // Compacted in place, as one transaction of the file itself: a crash or a full disk leaves
    // the file as it was, a connection that is reading or writing makes it fail (busy) with the
    // file untouched, and a connection that is only open stays on the working file and goes on
    // working in the compacted one. No copy ever takes the file's place.
    m.exec(QStringLiteral("VACUUM"));

    // Copies left beside the file by compactions that once worked through a temporary file and
    // never finished. None is the only copy of anything.
    for (const QString& old : compactionLeftovers(QFileInfo(path).canonicalFilePath()))
        QFile::remove(old);
}

std::optional<Tables> tablesNamed(const QString& choice)
{
    if (choice == QStringLiteral("棚卸表"))
        return Tables::CountLines;
    if (choice == QStringLiteral("項目分類情報"))
        return Tables::Categories;
    if (choice == QStringLiteral("品名情報"))
        return Tables::Products;
    if (choice == QStringLiteral("数量単位情報"))
        return Tables::Units;
    if (choice == QStringLiteral("すべて選択"))
        return Tables::All;
    return std::nullopt;
}

QStringList tableNames(Tables which)
{
    const QString counts = QStringLiteral("棚卸マスター");
    const QString categories = QStringLiteral("項目分類");
    const QString products = QStringLiteral("仕入商品");
    const QString units = QStringLiteral("単位");
    switch (which) {
    case Tables::CountLines: return {counts};
    case Tables::Categories: return {categories};
    case Tables::Products: return {products};
    case Tables::Units: return {units};
    case Tables::All: break;
    }
    return {counts, categories, products, units};
}

bool clearTables(Tables which, db::Cause* cause)
{
    const QString categories = QStringLiteral("項目分類");
    const QStringList tables = tableNames(which);
    try {
        db::Transaction t;
        // A failed statement undoes only itself; the next one still runs.
        bool allDone = true;
        for (const QString& table : tables) {
            try {
                db::exec(QStringLiteral("DELETE FROM \"%1\"").arg(table));
            } catch (const db::DbError& e) {
                if (allDone && cause)
                    *cause = e.cause();
                allDone = false;
            }
        }
        if (tables.contains(categories)) {
            try {
                db::exec(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)"), {0, QStringLiteral("未区分")});
            } catch (const db::DbError&) {
            }
        }
        t.commit();
        return allDone;
    } catch (const db::DbError& e) {
        if (cause)
            *cause = e.cause();
        return false;
    }
}

} // namespace dbfile
