#pragma once
// The database file's own operations, apart from any window: putting a complete copy in place of a
// file, checking a file before it is trusted, repairing and compacting, the backup at exit and
// clearing tables. A failure surfaces as FileError and leaves every file it did not finish as it
// was; the caller decides what the user is told.
#include "platform/Db.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace dbfile {

class FileError : public db::DbError {
public:
    using db::DbError::DbError;
};

// The file's pages are damaged beyond what the repair mends.
class DamagedFile : public FileError {
public:
    using FileError::FileError;
};

// Replaces dst by a complete copy of src: afterwards dst is either what it was or the whole copy,
// never part of one. An existing dst keeps its permissions; a new one is open to no one src is
// closed to. A write a crash left unfinished in either file is rolled back into it first (the
// journal of dst would otherwise be played back into the copy).
void copyReplacing(const QString& src, const QString& dst);

// True when the file is a database of the program (header, tables and fields) whose pages pass
// SQLite's quick check. Nothing is written but the rollback of a write a crash left unfinished.
bool isSound(const QString& path, QString* why = nullptr);
// The same check of the pages for the file open on the shared connection.
bool openFileIsSound(QString* why = nullptr);

// Whether the exit copies the open file to the backup: not when no file is open, nor when the open
// file is the template or the backup itself.
bool backupDue(const QString& openFile, const QString& backup);
// Replaces the backup by a copy of the open file, once that file is found sound. When it is not
// (or the copy fails) the old backup stays and FileError is thrown. No other connection can write
// into the file while it is copied.
void writeBackup(const QString& openFile, const QString& backup);

// Repairs the file in place (its indexes built again when the check finds fault) and compacts it
// in place, in one transaction: the file keeps its name, links and permissions, and a connection
// that has it open stays valid. When another connection is reading or writing, FileError is thrown
// and the file stays as it was; when the damage is beyond the repair, DamagedFile. Leftovers of
// compactions that went through a temporary file beside it are removed. The shared connection
// must be closed by the caller.
void repairAndCompact(const QString& file);
// The temporary files of compactions of this file that never finished (found beside it).
QStringList compactionLeftovers(const QString& file);

// The tables the maintenance frame can empty, by the text of its list.
enum class Tables { CountLines, Categories, Products, Units, All };
std::optional<Tables> tablesNamed(const QString& choice);
// The tables a choice empties, in the order they are emptied.
QStringList tableNames(Tables which);
// Empties the chosen tables on the shared connection, in one transaction; the category list gets
// its row 0 "未区分" back when it was emptied. Each statement runs whatever happened to the one
// before. False when any table could not be emptied; cause then tells why.
bool clearTables(Tables which, db::Cause* cause = nullptr);

} // namespace dbfile
