// The database file's life as the main window drives it: the choice at start, the first run, new,
// open, save as, the backup, repair and compaction, clearing tables. The handlers ask the user and
// show what came of a command (messages, the box and the labels); switching files is
// dbfile::FileController's, the work on the files dbfile's.
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
#include <QLabel>
#include <QLineEdit>

namespace {

const QString kFileFilter = QStringLiteral("すべてのファイル (*.*)|*.*|") + QStringLiteral("cdb ﾌｧｲﾙ (*.idb)|*.idb");
constexpr int kFileFilterIndex = 2;

const QString kStopFirstRun = QStringLiteral("現在、初期設定用のファイルが選択されていますので、一旦処理を中止します。");
const QString kOverwrite = QStringLiteral("指定した名前のファイルが存在します。") + QLatin1Char('\r') + QStringLiteral("上書きしますか？");
const QString kDamaged = QStringLiteral("データベースファイルが破損しています。ﾃﾞｰﾀﾍﾞｰｽの修復/最適化で修復できる場合があります。");

} // namespace

bool frmAMain::chooseFileAtStart()
{
    QString path = GetSetting("Settings", "MDBFileName", "");
    const QString cmd = commandLine();
    if (!cmd.isEmpty())
        path = startup::pathFromCommandLine(cmd);
    if (path.isEmpty())
        path = paths::templatePath();
    txtFileName->setText(path);
    const dbfile::FileResult r = m_files.openAtStart(path);
    tell(r);
    return r.done();
}

void frmAMain::tell(const dbfile::FileResult& r)
{
    if (!r.message.isEmpty())
        dlg::Information(r.message, this);
    if (r.damaged)
        dlg::Information(kDamaged, this);
    if (r.readOnly)
        dlg::Information(db::causeText(db::Cause::ReadOnly), this);
}

void frmAMain::showOpenFile(const dbfile::FileResult& r)
{
    txtFileName->setText(global::DbFilePath);
    // The status bar may be showing a notice in place of the name.
    if (r.connectAttempted)
        statusPanel[0]->setText(txtFileName->text());
}

dbfile::FileSteps frmAMain::fileSteps(bool hourglass)
{
    return {[this](const QString&) { return dlg::Question(kOverwrite, this) == dlg::vbYes; },
            [this, hourglass](const QString& path) {
                txtFileName->setText(path);
                if (hourglass)
                    pointer::hourglass();
            }};
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
    } catch (const std::exception&) {
        dlg::Information(kStopFirstRun, this);
        unload();
        return;
    }
    const std::optional<QString> chosen = dlg::OpenFile(QStringLiteral("新しいファイル名"), kFileFilter, kFileFilterIndex, this);
    const dbfile::FileResult r = m_files.firstFile(chosen, fileSteps(true));
    pointer::reset();
    showOpenFile(r);
    tell(r);
    // A file that could not be made or opened is no working file: the program ends as it does
    // for any other failure here.
    if (!r.done()) {
        dlg::Information(kStopFirstRun, this);
        unload();
        return;
    }
    dlg::Information(QStringLiteral("棚卸表データファイルを作成しました。決算日を入力してください。"), this);
    DTPicker1->setFocus();
}

void frmAMain::mnuNew_Click()
{
    const std::optional<QString> chosen = dlg::OpenFile(QStringLiteral("新しいファイル名"), kFileFilter, kFileFilterIndex, this);
    const dbfile::FileResult r = m_files.newFile(chosen, fileSteps(true));
    pointer::reset();
    showOpenFile(r);
    tell(r);
    if (r.done())
        dlg::Information(QStringLiteral("新規に棚卸表データファイルを作成しました。"), this);
}

void frmAMain::mnuOpen_Click()
{
    const std::optional<QString> chosen = dlg::OpenFile(QStringLiteral("データベースの変更"), kFileFilter, kFileFilterIndex, this);
    // The template is never worked in: a new file is made from it, and the open file stays open
    // until the new one replaces it.
    if (chosen && !chosen->isEmpty() && paths::isTemplatePath(*chosen)) {
        txtFileName->setText(*chosen);
        dlg::Information(QStringLiteral("現在、初期設定用のファイルが選択されていますので、新規にデータベースを作成します。"), this);
        mnuNew_Click();
        return;
    }
    const dbfile::FileResult r = m_files.open(chosen);
    showOpenFile(r);
    tell(r);
}

void frmAMain::mnuSave_Click()
{
    if (!m_files.connected())
        return;
    const std::optional<QString> chosen = dlg::SaveFile(QStringLiteral("名前を付けて保存"), kFileFilter, kFileFilterIndex, this);
    const dbfile::FileResult r = m_files.saveAs(chosen, fileSteps(false));
    showOpenFile(r);
    tell(r);
}

void frmAMain::mnuBackupOpen_Click()
{
    const dbfile::FileResult r = m_files.openBackup();
    showOpenFile(r);
    tell(r);
}

void frmAMain::Command22_Click()
{
    pointer::hourglass();
    const dbfile::FileResult r = m_files.repairAndCompactOpenFile();
    if (r.sizeBefore >= 0)
        Label5->setText(QStringLiteral("Old FileSize ") + QString::number(r.sizeBefore) + QStringLiteral(" byte"));
    if (r.sizeAfter >= 0)
        Label7->setText(QStringLiteral("New FileSize ") + QString::number(r.sizeAfter) + QStringLiteral(" byte"));
    pointer::reset();
    tell(r);
    if (r.done())
        dlg::Information(QStringLiteral("データベースを最適化しました。"), this);
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
    db::Cause cause = db::Cause::Other;
    const bool cleared = dbfile::clearTables(*tables, &cause);
    emit db::notifier().tablesCleared(dbfile::tableNames(*tables));
    if (!cleared) {
        dlg::Information(db::withCause(choice + QStringLiteral("の削除に失敗しました。"), cause), this);
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
    if (!m_files.connected() || !dbfile::backupDue(global::DbFilePath, paths::backupPath()))
        return;
    dbfile::writeBackup(global::DbFilePath, paths::backupPath());
}
