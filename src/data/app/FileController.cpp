#include "app/FileController.h"

#include "app/DbFile.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "common/global.h"
#include "platform/Db.h"

#include <QFileInfo>

namespace dbfile {

namespace {

const QString kNoName = QStringLiteral("データベースファイル名が入力されていません。");
const QString kConnectFailed = QStringLiteral("データベースの接続に失敗しました。データベースが使用可能になってから再度実行してください。");
const QString kStartFailed = QStringLiteral("データベースの接続に失敗しました。ファイル名を変更してください。");
const QString kBadName = QStringLiteral("ファイル名が不正です。");
const QString kSaveFailed = QStringLiteral("データベースの保存に失敗しました。");
const QString kInUse = QStringLiteral("データベースに接続してるユーザーがいます。");
const QString kNotRepaired = QStringLiteral("データベースファイルが破損しているため、修復できませんでした。");

FileResult refused(const QString& message, FileResult r = {})
{
    r.outcome = FileResult::Outcome::Refused;
    r.message = message;
    return r;
}

FileResult cancelled()
{
    FileResult r;
    r.outcome = FileResult::Outcome::Cancelled;
    return r;
}

bool mayReplace(const FileSteps& steps, const QString& path)
{
    return steps.mayReplace && steps.mayReplace(path);
}

void starting(const FileSteps& steps, const QString& path)
{
    if (steps.starting)
        steps.starting(path);
}

} // namespace

QString FileController::path() const
{
    return global::DbFilePath;
}

FileResult FileController::openAtStart(const QString& path)
{
    global::DbFilePath = path;
    try {
        db::open(path);
    } catch (const std::exception& e) {
        Connected = false;
        return refused(db::withCause(kStartFailed, e));
    }
    Connected = true;
    FileResult r;
    r.damaged = !openFileIsSound();
    // The template is only read (a new working file is made from it), wherever it is installed.
    r.readOnly = !paths::isTemplatePath(path) && db::openFileIsReadOnly();
    return r;
}

FileResult FileController::firstFile(const std::optional<QString>& chosen, const FileSteps& steps)
{
    if (!chosen || chosen->isEmpty())
        return cancelled();
    const QString path = *chosen;
    if (paths::isTemplatePath(path))
        return refused(QString());
    const QString previous = global::DbFilePath;
    closeStep();
    if (QFileInfo::exists(path) && !mayReplace(steps, path))
        return cancelled();
    starting(steps, path);
    if (!makeFromTemplate(path)) {
        // The file named was never made: the exit must not try to back it up.
        rollBack(previous);
        return refused(QString());
    }
    return ConnectDatabase(path);
}

FileResult FileController::newFile(const std::optional<QString>& chosen, const FileSteps& steps)
{
    if (!chosen || chosen->isEmpty())
        return cancelled();
    const QString path = *chosen;
    if (paths::isTemplatePath(path))
        return refused(kBadName);
    if (QFileInfo::exists(path) && !mayReplace(steps, path))
        return cancelled();
    const QString previous = global::DbFilePath;
    closeStep();
    starting(steps, path);
    if (!makeFromTemplate(path)) {
        // Nothing new was made: work goes on in the file that was open before.
        rollBack(previous);
        return refused(QString());
    }
    return ConnectDatabase(path);
}

FileResult FileController::open(const std::optional<QString>& chosen)
{
    if (!chosen || chosen->isEmpty())
        return cancelled();
    closeStep();
    return ConnectDatabase(*chosen);
}

FileResult FileController::saveAs(const std::optional<QString>& chosen, const FileSteps& steps)
{
    if (!Connected)
        return cancelled();
    if (!chosen)
        return refused(kSaveFailed);
    const QString path = *chosen;
    if (path.isEmpty())
        return cancelled();
    const QString old = global::DbFilePath;
    // Neither the open file nor the template (whose copies are every new file) may be written
    // over, however the path is spelled.
    if (paths::samePath(path, old) || paths::isTemplatePath(path))
        return refused(kBadName);
    if (QFileInfo::exists(path) && !mayReplace(steps, path))
        return cancelled();
    starting(steps, path);
    db::close();
    try {
        copyReplacing(old, path);
    } catch (const std::exception& e) {
        // The copy failed: work goes on in the old file, which the failure left untouched.
        rollBack(old);
        return refused(db::withCause(kSaveFailed, e));
    }
    return ConnectDatabase(path);
}

FileResult FileController::openBackup()
{
    closeStep();
    return ConnectDatabase(paths::backupPath());
}

FileResult FileController::repairAndCompactOpenFile()
{
    closeStep();
    // The open file, whatever the window happens to show.
    const QString file = global::DbFilePath;
    const QFileInfo before(file);
    if (!before.isFile()) {
        Connected = false;
        return refused(db::withCause(kInUse, db::Cause::NotFound));
    }
    FileResult r;
    r.sizeBefore = before.size();
    try {
        repairAndCompact(file);
        db::open(file);
    } catch (const DamagedFile&) {
        // Nothing was changed that the repair could not stand behind: work goes on in the file as
        // it is, and the exit keeps the last good backup.
        reopen();
        return refused(kNotRepaired, r);
    } catch (const std::exception& e) {
        // Another connection holds the file, or it would not open again: the user opens a file
        // again.
        Connected = false;
        return refused(db::withCause(kInUse, e), r);
    }
    r.sizeAfter = QFileInfo(file).size();
    Connected = true;
    return r;
}

void FileController::closeStep()
{
    if (Connected)
        db::close();
}

FileResult FileController::ConnectDatabase(const QString& path)
{
    if (path.isEmpty())
        return refused(kNoName);
    global::DbFilePath = path;
    SaveSetting("Settings", "MDBFileName", path);
    FileResult r;
    r.connectAttempted = true;
    try {
        db::open(path);
    } catch (const std::exception& e) {
        Connected = false;
        return refused(db::withCause(kConnectFailed, e), r);
    }
    Connected = true;
    // Damage behind a readable header and table list: work could go on and be lost with it, so
    // the user hears of it now, not at the failed backup of the exit.
    r.damaged = !openFileIsSound();
    // Likewise a file nothing can be saved in: told now, not at every write that fails.
    r.readOnly = db::openFileIsReadOnly();
    return r;
}

bool FileController::makeFromTemplate(const QString& path)
{
    global::DbFilePath = path;
    // The file is replaced only by a complete copy, so a failed copy leaves it as it was.
    try {
        copyReplacing(paths::templatePath(), path);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void FileController::rollBack(const QString& previous)
{
    global::DbFilePath = previous;
    if (Connected)
        reopen();
}

void FileController::reopen()
{
    try {
        db::open(global::DbFilePath);
        Connected = true;
    } catch (const std::exception&) {
        Connected = false;
    }
}

} // namespace dbfile
