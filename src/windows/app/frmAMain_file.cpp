// The database file's life as the main window drives it: the choice at start, connecting,
// new, open, save as, the backup, repair and compaction, clearing tables. The handlers keep the
// steps the user sees (questions, messages, the box and the labels); the work on the files is
// dbfile's.
#include "app/frmAMain.h"

#include "app/DbFile.h"
#include "app/Startup.h"
#include "app/frmTipA.h"
#include "common/AppPaths.h"
#include "common/Settings.h"
#include "common/global.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString kFileFilter = QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("cdb ﾌｧｲﾙ (*.idb)|*.idb");
constexpr int kFileFilterIndex = 2;

const QString kStopFirstRun = QStringLiteral("現在、初期設定用のファイルが選択されていますので、一旦処理を中止します。");
const QString kOverwrite = QStringLiteral("指定した名前のファイルが存在します。") + QLatin1Char('\r') + QStringLiteral("上書きしますか？");
const QString kBadName = QStringLiteral("ファイル名が不正です。");
const QString kDamaged = QStringLiteral("データベースファイルが破損しています。ﾃﾞｰﾀﾍﾞｰｽの修復/最適化で修復できる場合があります。");
const QString kNotRepaired = QStringLiteral("データベースファイルが破損しているため、修復できませんでした。");

[[noreturn]] void fail(const QString& why)
{
    throw db::DbError(why);
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
    warnWhenDamaged();
}

void frmAMain::warnWhenDamaged()
{
    // Damage behind a readable header and table list: work could go on and be lost with it, so
    // the user hears of it now, not at the failed backup of the exit.
    if (!dbfile::openFileIsSound())
        dlg::Information(kDamaged, this);
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
        return;
    }
    warnWhenDamaged();
}

void frmAMain::firstRunFlow()
{
    if (TipShown || !paths::isTemplatePath(global::DbFilePath))
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
    dbfile::copyReplacing(paths::templatePath(), path);
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
        // Neither the open file nor the template (whose copies are every new file) may be
        // written over, however the path is spelled.
        if (paths::samePath(path, old) || paths::isTemplatePath(path)) {
            dlg::Information(kBadName, this);
            return;
        }
        if (QFileInfo::exists(path) && dlg::Question(kOverwrite, this) != dlg::vbYes)
            return;
        txtFileName->setText(path);
        db::close();
        closed = true;
        dbfile::copyReplacing(old, path);
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
        closeStep();
        // The open file, whatever the box happens to show.
        const QString file = global::DbFilePath;
        const QFileInfo before(file);
        if (!before.isFile())
            fail(QStringLiteral("file not found: %1").arg(file));
        Label5->setText(QStringLiteral("Old FileSize ") + QString::number(before.size()) + QStringLiteral(" byte"));
        dbfile::repairAndCompact(file);
        connectStep();
        Label7->setText(QStringLiteral("New FileSize ") + QString::number(QFileInfo(file).size()) + QStringLiteral(" byte"));
        pointer::reset();
        dlg::Information(QStringLiteral("データベースを最適化しました。"), this);
        Connected = true;
    } catch (const dbfile::DamagedFile&) {
        // Nothing was changed that the repair could not stand behind: work goes on in the file as
        // it is, and the exit keeps the last good backup.
        try {
            connectStep();
            Connected = true;
        } catch (const std::exception&) {
            Connected = false;
        }
        pointer::reset();
        dlg::Information(kNotRepaired, this);
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
    if (global::DbFilePath.isEmpty())
        return;
    const std::optional<dbfile::Tables> tables = dbfile::tablesNamed(choice);
    if (!tables)
        return;
    // Only a run in which every table was emptied is reported as done. Either way the open windows
    // and lists read the tables again first, so none offers a row that is gone.
    const bool cleared = dbfile::clearTables(*tables);
    emit db::notifier().tablesCleared(dbfile::tableNames(*tables));
    if (!cleared) {
        dlg::Information(choice + QStringLiteral("の削除に失敗しました。"), this);
        return;
    }
    switch (*tables) {
    case dbfile::Tables::CountLines: dlg::Information(QStringLiteral("棚卸マスターを削除しました。"), this); break;
    case dbfile::Tables::Categories: dlg::Information(QStringLiteral("項目分類情報を削除しました。"), this); break;
    case dbfile::Tables::Products: dlg::Information(QStringLiteral("品名情報を削除しました。"), this); break;
    case dbfile::Tables::Units: dlg::Information(QStringLiteral("数量単位情報を削除しました。"), this); break;
    case dbfile::Tables::All: dlg::Information(QStringLiteral("すべて選択を削除しました。"), this); break;
    }
}

void frmAMain::backupAtExit()
{
    // The file that was open when the exit began; when none was, there is nothing to keep.
    if (!Connected || !dbfile::backupDue(global::DbFilePath, paths::backupPath()))
        return;
    dbfile::writeBackup(global::DbFilePath, paths::backupPath());
}
