// The database file's life as the main window drives it: the choice at start, connecting,
// new, open, save as, the backup, repair and compaction, clearing tables.
#include "app/frmAMain.h"

#include "app/AppPaths.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/frmTipA.h"
#include "app/global.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kFileFilter = QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("cdb ﾌｧｲﾙ (*.idb)|*.idb");
constexpr int kFileFilterIndex = 2;

const QString kStopFirstRun = QStringLiteral("現在、初期設定用のファイルが選択されていますので、一旦処理を中止します。");
const QString kOverwrite = QStringLiteral("指定した名前のファイルが存在します。") + QLatin1Char('\r') + QStringLiteral("上書きしますか？");
const QString kBadName = QStringLiteral("ファイル名が不正です。");

[[noreturn]] void fail(const QString& why)
{
    throw db::DbError(why);
}

void syncToDisk(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || ::fsync(f.handle()) != 0)
        fail(QStringLiteral("cannot flush %1").arg(path));
}

// Moves a finished file over the target in one step: the target is either the old file or the
// new one, never a half-written one or none.
void renameOver(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        fail(QStringLiteral("cannot rename %1 to %2 (errno %3)").arg(from, to).arg(errno));
}

// Copies src to dst through a temporary file beside dst. When anything fails, dst stays as it
// was (present or absent) and no temporary file is left behind.
void copyReplacing(const QString& src, const QString& dst)
{
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read %1").arg(src));
    const QFileInfo target(dst);
    QTemporaryFile out(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!out.open())
        fail(QStringLiteral("cannot write beside %1").arg(dst));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size())
            fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    }
    if (in.error() != QFileDevice::NoError || !out.flush() || ::fsync(out.handle()) != 0)
        fail(QStringLiteral("cannot copy %1").arg(src));
    out.close();
    renameOver(out.fileName(), dst);
    out.setAutoRemove(false);
}

// Repairs the file in place and compacts it into tmp, then puts the compacted copy in the file's
// place. Until that last step the file is only read or repaired, never replaced; whatever fails,
// the file keeps its data.
void repairAndCompact(const QString& file, const QString& tmp)
{
    QString why;
    if (!db::isUsableDatabase(file, &why))
        fail(why);
    // A copy left by an interrupted run is never the only copy of anything: the working file is
    // replaced only by a finished copy.
    QFile::remove(tmp);
    if (QFileInfo::exists(tmp))
        fail(QStringLiteral("cannot remove %1").arg(tmp));
    const QString name = QStringLiteral("DbMaintenance");
    try {
        {
            QSqlDatabase m = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            m.setDatabaseName(file);
            if (!m.open())
                fail(m.lastError().text());
            auto intact = [&m] {
                QSqlQuery q(m);
                if (!q.exec(QStringLiteral("PRAGMA integrity_check")))
                    fail(q.lastError().text());
                return q.next() && q.value(0).toString() == QLatin1String("ok");
            };
            if (!intact()) {
                QSqlQuery r(m);
                if (!r.exec(QStringLiteral("REINDEX")) || !intact())
                    fail(QStringLiteral("%1 cannot be repaired").arg(file));
            }
            QSqlQuery v(m);
            v.prepare(QStringLiteral("VACUUM INTO ?"));
            v.addBindValue(tmp);
            if (!v.exec())
                fail(v.lastError().text());
            v.finish();
            m.close();
        }
        QSqlDatabase::removeDatabase(name);
        if (!db::isUsableDatabase(tmp, &why))
            fail(why);
        syncToDisk(tmp);
        if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(file).constData()) != 0) {
            if (errno != EXDEV)
                fail(QStringLiteral("cannot rename %1 (errno %2)").arg(tmp).arg(errno));
            // The compaction folder lies on another file system: copy across, then swap.
            copyReplacing(tmp, file);
            QFile::remove(tmp);
        }
    } catch (...) {
        if (QSqlDatabase::contains(name))
            QSqlDatabase::removeDatabase(name);
        QFile::remove(tmp);
        throw;
    }
}

} // namespace

void frmAMain::chooseFileAtStart()
{
    global::DbFilePath = GetSetting("Settings", "MDBFileName", "");
    const QString cmd = commandLine();
    if (!cmd.isEmpty())
        global::DbFilePath = startup::pathFromCommandLine(cmd);
    if (global::DbFilePath.isEmpty())
        global::DbFilePath = paths::templatePath();
    txtFileName->setText(global::DbFilePath);
    connectStep();
}

void frmAMain::connectStep()
{
    db::open(global::DbFilePath);
}

void frmAMain::closeStep()
{
    if (Connected)
        db::close();
}

void frmAMain::ConnectDatabase()
{
    if (txtFileName->text().isEmpty()) {
        dlg::Information(QStringLiteral("データベースファイル名が入力されていません。"), this);
        return;
    }
    try {
        global::DbFilePath = txtFileName->text();
        SaveSetting("Settings", "MDBFileName", global::DbFilePath);
        statusPanel[0]->setText(txtFileName->text());
        connectStep();
        Connected = true;
    } catch (const std::exception&) {
        dlg::Information(QStringLiteral("データベースの接続に失敗しました。データベースが使用可能になってから再度実行してください。"), this);
        Connected = false;
    }
}

void frmAMain::firstRunFlow()
{
    if (TipShown || !paths::isTemplatePath(txtFileName->text()))
        return;
    TipShown = true;
    try {
        frmTipA::showLines({
            QString(),
            QStringLiteral("ミルネ帳をご利用いただきありがとうございます。"),
            QString(),
            QString(),
            QStringLiteral("■新規にデータベースを作成します。「ファイルを開く」のダイアログが表示されたら、「ファイル名（N）」を入力し、「開く（O）」を実行します。この作業で新しいデータベースが作成されます。"),
            QString(),
            QStringLiteral("注）ファイル名は、今後使用するデータベース名になります。マイドキュメントなどに新規に作業フォルダを作成し 、このフォルダに新規データベースを保存します。"),
            QString(),
            QString(),
            QStringLiteral("■棚卸表データベースの作成が完了後、決算日を入力してください。"),
            QString(),
            QStringLiteral("注）日付の設定"),
            QStringLiteral("Windowsシステムの日付は、短い日付の表示が１０桁（2003/01/01）になるようにコントロールパネル・地域から設定してください。年号が2桁の設定の場合､誤作動を起こす場合があります｡ "),
        });
        const std::optional<QString> chosen = dlg::OpenFile(QStringLiteral("新しいファイル名"), kFileFilter, kFileFilterIndex, this);
        if (!chosen || chosen->isEmpty())
            fail(QStringLiteral("cancelled"));
        const QString path = *chosen;
        if (paths::isTemplatePath(path)) {
            dlg::Information(kStopFirstRun, this);
            unload();
            return;
        }
        closeStep();
        if (QFileInfo::exists(path) && dlg::Question(kOverwrite, this) != dlg::vbYes) {
            dlg::Information(kStopFirstRun, this);
            unload();
            return;
        }
        makeFromTemplate(path);
        // A file that could not be opened is no working file: the user was told, and the
        // program ends as it does for any other failure here.
        if (!Connected)
            fail(QStringLiteral("new file not connected"));
        dlg::Information(QStringLiteral("棚卸表データファイルを作成しました。決算日を入力してください。"), this);
        DTPicker1->setFocus();
    } catch (const std::exception&) {
        pointer::reset();
        dlg::Information(kStopFirstRun, this);
        unload();
    }
}

void frmAMain::makeFromTemplate(const QString& path)
{
    txtFileName->setText(path);
    global::DbFilePath = path;
    pointer::hourglass();
    // The file is replaced only by a complete copy, so a failed copy leaves it as it was.
    copyReplacing(paths::templatePath(), path);
    txtFileName->setText(path);
    ConnectDatabase();
    pointer::reset();
    txtFileName->setText(global::DbFilePath);
}

void frmAMain::mnuNew_Click()
{
    const QString previous = global::DbFilePath;
    bool closed = false;
    try {
        const std::optional<QString> chosen = dlg::OpenFile(QStringLiteral("新しいファイル名"), kFileFilter, kFileFilterIndex, this);
        if (!chosen)
            fail(QStringLiteral("cancelled"));
        const QString path = *chosen;
        if (path.isEmpty()) {
            txtFileName->setText(global::DbFilePath);
            return;
        }
        if (paths::isTemplatePath(path)) {
            dlg::Information(kBadName, this);
            txtFileName->setText(global::DbFilePath);
            return;
        }
        if (QFileInfo::exists(path) && dlg::Question(kOverwrite, this) != dlg::vbYes) {
            txtFileName->setText(global::DbFilePath);
            return;
        }
        closeStep();
        closed = true;
        makeFromTemplate(path);
        if (Connected)
            dlg::Information(QStringLiteral("新規に棚卸表データファイルを作成しました。"), this);
    } catch (const std::exception&) {
        pointer::reset();
        if (closed) {
            // Nothing new was made: go on with the file that was open before.
            global::DbFilePath = previous;
            if (Connected && !db::isOpen()) {
                try {
                    connectStep();
                } catch (const std::exception&) {
                    Connected = false;
                }
            }
        }
        txtFileName->setText(global::DbFilePath);
    }
}

void frmAMain::mnuOpen_Click()
{
    try {
        const std::optional<QString> chosen = dlg::OpenFile(QStringLiteral("データベースの変更"), kFileFilter, kFileFilterIndex, this);
        if (!chosen)
            fail(QStringLiteral("cancelled"));
        if (chosen->isEmpty()) {
            txtFileName->setText(global::DbFilePath);
            return;
        }
        txtFileName->setText(*chosen);
        if (paths::isTemplatePath(*chosen)) {
            dlg::Information(QStringLiteral("現在、初期設定用のファイルが選択されていますので、新規にデータベースを作成します。"), this);
            mnuNew_Click();
            return;
        }
        closeStep();
        global::DbFilePath = txtFileName->text();
        ConnectDatabase();
    } catch (const std::exception&) {
        txtFileName->setText(global::DbFilePath);
    }
}

void frmAMain::mnuSave_Click()
{
    if (!Connected)
        return;
    const QString old = global::DbFilePath;
    bool closed = false;
    try {
        const std::optional<QString> chosen = dlg::SaveFile(QStringLiteral("名前を付けて保存"), kFileFilter, kFileFilterIndex, this);
        if (!chosen)
            fail(QStringLiteral("cancelled"));
        const QString path = *chosen;
        if (path.isEmpty())
            return;
        if (path == old) {
            dlg::Information(kBadName, this);
            return;
        }
        if (QFileInfo::exists(path) && dlg::Question(kOverwrite, this) != dlg::vbYes)
            return;
        txtFileName->setText(path);
        db::close();
        closed = true;
        copyReplacing(old, path);
        ConnectDatabase();
    } catch (const std::exception&) {
        if (closed) {
            // The copy failed: work goes on in the old file, which the failure left untouched.
            try {
                connectStep();
            } catch (const std::exception&) {
                Connected = false;
            }
            txtFileName->setText(global::DbFilePath);
        }
        dlg::Information(QStringLiteral("データベースの保存に失敗しました。"), this);
    }
}

void frmAMain::mnuBackupOpen_Click()
{
    txtFileName->setText(paths::backupPath());
    closeStep();
    ConnectDatabase();
}

void frmAMain::Command22_Click()
{
    pointer::hourglass();
    try {
        const QString tmp = paths::compactPath();
        closeStep();
        const QString file = txtFileName->text();
        const QFileInfo before(file);
        if (!before.isFile())
            fail(QStringLiteral("file not found: %1").arg(file));
        Label5->setText(QStringLiteral("Old FileSize ") + QString::number(before.size()) + QStringLiteral(" byte"));
        repairAndCompact(file, tmp);
        connectStep();
        Label7->setText(QStringLiteral("New FileSize ") + QString::number(QFileInfo(file).size()) + QStringLiteral(" byte"));
        pointer::reset();
        dlg::Information(QStringLiteral("データベースを最適化しました。"), this);
        Connected = true;
    } catch (const std::exception&) {
        dlg::Information(QStringLiteral("データベースに接続してるユーザーがいます。"), this);
        Connected = false;
        pointer::reset();
    }
}

void frmAMain::Command58_Click()
{
    const QString choice = Combo3->currentText();
    if (dlg::Question(QStringLiteral(" ") + choice + QStringLiteral("を削除します。よろしいですか？"), this) != dlg::vbYes)
        return;
    if (txtFileName->text().isEmpty())
        return;

    const QString masters = QStringLiteral("棚卸マスター");
    const QString categories = QStringLiteral("項目分類");
    const QString products = QStringLiteral("仕入商品");
    const QString units = QStringLiteral("単位");
    QStringList tables;
    QString done;
    bool readdCategoryZero = false;
    if (choice == QStringLiteral("棚卸表")) {
        tables = {masters};
        done = QStringLiteral("棚卸マスターを削除しました。");
    } else if (choice == QStringLiteral("項目分類情報")) {
        tables = {categories};
        readdCategoryZero = true;
        done = QStringLiteral("項目分類情報を削除しました。");
    } else if (choice == QStringLiteral("品名情報")) {
        tables = {products};
        done = QStringLiteral("品名情報を削除しました。");
    } else if (choice == QStringLiteral("数量単位情報")) {
        tables = {units};
        done = QStringLiteral("数量単位情報を削除しました。");
    } else if (choice == QStringLiteral("すべて選択")) {
        tables = {masters, categories, products, units};
        readdCategoryZero = true;
        done = QStringLiteral("すべて選択を削除しました。");
    } else {
        return;
    }

    // Each statement runs whatever happened to the one before; only a run in which every table
    // was emptied is reported as done.
    bool allDone = true;
    for (const QString& t : tables) {
        try {
            db::exec(QStringLiteral("DELETE FROM \"%1\"").arg(t));
        } catch (const std::exception&) {
            allDone = false;
        }
    }
    if (readdCategoryZero) {
        try {
            db::exec(QStringLiteral("INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (?, ?)"), {0, QStringLiteral("未区分")});
        } catch (const std::exception&) {
        }
    }
    if (allDone)
        dlg::Information(done, this);
    else
        dlg::Information(choice + QStringLiteral("の削除に失敗しました。"), this);
}

void frmAMain::backupAtExit()
{
    const QString source = txtFileName->text();
    const QString backup = paths::backupPath();
    if (paths::samePathIgnoringCase(backup, source))
        return;
    // Only a working database is worth keeping: the empty template, a missing file or one that is
    // no database would push the last good backup out.
    if (paths::isTemplatePath(source) || !QFileInfo(source).isFile() || !db::isUsableDatabase(source))
        return;
    copyReplacing(source, backup);
}
