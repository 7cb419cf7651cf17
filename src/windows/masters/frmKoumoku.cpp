#include "masters/frmKoumoku.h"

#include "common/WindowTable.h"
#include "platform/Dialogs.h"

namespace {
const masters::WindowText kText{
    "frmKoumoku", QStringLiteral("項目/分類情報"), "txtName", QStringLiteral("項目/分類名(&K)"),
    QStringLiteral("削除(&D)"),
    50,
    true,    // activation
    false,   // register
};
}

const QString frmKoumoku::kDeletedNotice = QStringLiteral("項目/分類が削除されましたので、棚卸表訂正を表示します。");

frmKoumoku::frmKoumoku() : MasterWindow(masters::categories(), kText) {}

void frmKoumoku::Form_Load()
{
    KoumokuDeleted = false;
    MasterWindow::Form_Load();
}

void frmKoumoku::Form_QueryUnload(bool& cancel)
{
    MasterWindow::Form_QueryUnload(cancel);
    if (!cancel && KoumokuDeleted)
        dlg::Information(kDeletedNotice, this);
}

void frmKoumoku::Form_Unload(bool& cancel)
{
    MasterWindow::Form_Unload(cancel);
    if (!KoumokuDeleted)
        return;
    // This window is done: only the correction window stays on screen.
    hide();
    windows::open(QStringLiteral("frmInAmd2"), windows::Show::Modal);
}
