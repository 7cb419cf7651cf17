#include "masters/frmInShohin.h"

#include "app/ListExport.h"
#include "common/WindowTable.h"
#include "masters/MasterGrid.h"
#include "masters/MasterModel.h"
#include "platform/GridLayout.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QTableView>

using masters::Order;

namespace {
const masters::WindowText kText{
    "frmInShohin", QStringLiteral("品名情報"), "txtShohin", QStringLiteral("品名(&K)"), QStringLiteral("削除(&K)"),
    50,
    false,   // activation
    true,    // register
};
}

frmInShohin::frmInShohin() : MasterWindow(masters::products(), kText)
{
    buildSortFrame();
    buildListButtons();
    resize(760, 560);
}

void frmInShohin::buildSortFrame()
{
    Frame2 = named(new QGroupBox(this), "Frame2");
    auto* f2 = new QHBoxLayout(Frame2);
    Option2 = named(new QRadioButton(QStringLiteral("品名昇順"), Frame2), "Option2");
    Option1 = named(new QRadioButton(QStringLiteral("項目ID昇順"), Frame2), "Option1");
    Option2->setChecked(true);
    f2->addWidget(Option2);
    f2->addWidget(Option1);
    extraArea()->addWidget(Frame2);
    connect(Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
    connect(Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
}

void frmInShohin::buildListButtons()
{
    Command3 = named(new QPushButton(QStringLiteral("Excel(&P)"), this), "Command3");
    Command3->setToolTip(QStringLiteral("エクセルに表示します。"));
    Command1 = named(new QPushButton(QStringLiteral("品名情報ｲﾝﾎﾟｰﾄ(&T)"), this), "Command1");
    Command1->setToolTip(QStringLiteral(
        "品名情報は、エクセルファイルからインポートできますので、棚卸表の入力がすばやくできます。"));
    extraArea()->addStretch(1);
    extraArea()->addWidget(Command3, 0, Qt::AlignBottom);
    extraArea()->addWidget(Command1, 0, Qt::AlignBottom);
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmInShohin::layoutGrid()
{
    // By position: the key keeps the default width; 品名, 単価 (right-aligned) and 単位 are set.
    grid::setColumnWidths(DataGrid1, {-1, 3800, 1200, 1200});
    if (auto* d = qobject_cast<masters::MasterDelegate*>(DataGrid1->itemDelegate()))
        d->setRightAligned({2});
}

void frmInShohin::showOrder(Order order)
{
    Option2->setChecked(order == Order::ByName);
    Option1->setChecked(order == Order::ByKey);
}

void frmInShohin::Option1_Click() { RequeryShohin(); }
void frmInShohin::Option2_Click() { RequeryShohin(); }

void frmInShohin::RequeryShohin()
{
    const Order wanted = Option2->isChecked() ? Order::ByName : Order::ByKey;
    if (!model()) {
        showOrder(Order::ByName);
        reportFailure(kConnectionFailed);
        return;
    }
    const Order before = model()->order();
    // What was typed is stored first: reading the rows again would drop it. A new row still
    // being filled stays in the table, with what was typed so far.
    if (!storeEdits()) {
        showOrder(before);
        return;
    }
    model()->setOrder(wanted);
    if (!reload()) {
        // The rows stay in the order they were shown in, and the choice says so.
        model()->setOrder(before);
        const db::Cause cause = db::causeOf(model()->lastError());
        reload();
        showOrder(before);
        reportFailure(db::withCause(kConnectionFailed, cause));
        return;
    }
    setButtonsAsAtLoad();
    layoutGrid();
    browse();
}

void frmInShohin::Command1_Click()
{
    if (unload())
        windows::open(QStringLiteral("DialogExcelB"), windows::Show::Modal);
}

void frmInShohin::Command3_Click()
{
    // The workbook lists what the grid shows, so a pending edit goes in first.
    if (!storeEdits())
        return;
    listexport::exportList(listexport::productListSql(Option1->isChecked()), {}, this);
}
