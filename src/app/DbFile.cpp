#include "app/DbFile.h"

#include "app/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace dbfile {

namespace {

[[noreturn]] void fail(const QString& why)
{
    throw FileError(why);
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

void syncFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || ::fsync(f.handle()) != 0)
        fail(QStringLiteral("cannot flush %1").arg(path));
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
            fail(d.lastError().text());
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
            fail(q.lastError().text() + QStringLiteral(" [") + sql + QLatin1Char(']'));
    }
    // The rows of a check pragma: "ok" alone when the file is sound.
    QStringList check(const QString& pragma) const
    {
        QSqlQuery q(db());
        if (!q.exec(pragma))
            return {q.lastError().text()};
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString();
        return rows;
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

// How long the compaction waits for another connection to finish before it gives up.
constexpr int kBusyTimeoutMs = 1000;

} // namespace

void copyReplacing(const QString& src, const QString& dst)
{
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(src));
    const bool existed = QFileInfo::exists(dst);
    QSaveFile out(dst);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write %1: %2").arg(dst, out.errorString()));
    // A new copy is readable by nobody the source keeps out (a backup of a private file stays
    // private); its owner may always read and write it.
    if (!existed) {
        const QFileDevice::Permissions own = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
        out.setPermissions((out.permissions() & (in.permissions() | own)) | QFile::ReadOwner | QFile::WriteOwner);
    }
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            fail(QStringLiteral("cannot write %1: %2").arg(dst, out.errorString()));
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        fail(QStringLiteral("cannot read %1").arg(src));
    }
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        out.cancelWriting();
        fail(QStringLiteral("cannot flush %1").arg(dst));
    }
    if (!out.commit())
        fail(QStringLiteral("cannot replace %1: %2").arg(dst, out.errorString()));
    syncFolder(dst);
}

bool isSound(const QString& path, QString* why)
{
    if (!db::isUsableDatabase(path, why))
        return false;
    QStringList rows;
    try {
        Connection c(QStringLiteral("DbSoundCheck"), path, QStringLiteral("QSQLITE_OPEN_READONLY"));
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

bool backupDue(const QString& openFile, const QString& backup)
{
    return !openFile.isEmpty() && !paths::isTemplatePath(openFile) && !paths::samePathIgnoringCase(openFile, backup);
}

void writeBackup(const QString& openFile, const QString& backup)
{
    QString why;
    // A damaged file would push the last good copy out.
    if (!isSound(openFile, &why))
        fail(why);
    copyReplacing(openFile, backup);
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
    if (!db::isUsableDatabase(path, &why))
        fail(why);
    // The real file: a link to it stays a link, and the compacted copy is made beside the file.
    const QFileInfo info(QFileInfo(path).canonicalFilePath());
    const QString file = info.absoluteFilePath();
    QString tmp;
    try {
        Connection m(QStringLiteral("DbMaintenance"), file,
                     QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        // From here until the connection closes nobody else reads or writes the file: a write
        // transaction still open elsewhere makes this fail instead of being lost by the rename.
        m.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
        m.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        m.exec(QStringLiteral("COMMIT"));

        // A copy left by an interrupted run is never the only copy of anything: the file is
        // replaced only by a finished copy. Removed while the file is held, so no running
        // compaction loses its copy.
        for (const QString& old : compactionLeftovers(file)) {
            if (!QFile::remove(old))
                fail(QStringLiteral("cannot remove %1").arg(old));
        }

        if (!isOk(m.check(QStringLiteral("PRAGMA integrity_check")))) {
            m.exec(QStringLiteral("REINDEX"));
            if (!isOk(m.check(QStringLiteral("PRAGMA integrity_check"))))
                fail(QStringLiteral("%1 cannot be repaired").arg(file));
        }

        {
            QTemporaryFile t(info.absolutePath() + QLatin1Char('/') + leftoverPrefix(info) + QStringLiteral("XXXXXX"));
            t.setAutoRemove(false);
            if (!t.open())
                fail(QStringLiteral("cannot write beside %1: %2").arg(file, t.errorString()));
            tmp = t.fileName();
        }
        QSqlQuery v(m.db());
        v.prepare(QStringLiteral("VACUUM INTO ?"));
        v.addBindValue(tmp);
        if (!v.exec())
            fail(v.lastError().text());
        v.finish();
        if (!isSound(tmp, &why))
            fail(why);
        if (!QFile::setPermissions(tmp, QFile(file).permissions()))
            fail(QStringLiteral("cannot set the permissions of %1").arg(tmp));
        syncFile(tmp);
        if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(file).constData()) != 0)
            fail(QStringLiteral("cannot rename %1 (errno %2)").arg(tmp).arg(errno));
        tmp.clear();
        syncFolder(file);
    } catch (...) {
        if (!tmp.isEmpty()) {
            QFile::remove(tmp);
            QFile::remove(tmp + QStringLiteral("-journal"));
        }
        throw;
    }
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

bool clearTables(Tables which)
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
            } catch (const db::DbError&) {
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
    } catch (const db::DbError&) {
        return false;
    }
}

} // namespace dbfile
