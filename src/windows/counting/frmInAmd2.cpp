#include "counting/frmInAmd2.h"

#include "counting/CountLineGrid.h"
#include "counting/CountLineStore.h"
#include "counting/CountWindowRules.h"
#include "counting/OrphanQuestions.h"
#include "platform/Cursor.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/GridLayout.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>

using counting::CountLineModel;

namespace {

const QString kDeleteQuestion = QStringLiteral("表示中のレコードを削除します。よろしいですか。");
const QString kDeleteFailed = QStringLiteral("データ削除中にエラーが発生しました。再度データの取消を行ってください。");
} // namespace

const QString frmInAmd2::kEditRefused =
    QStringLiteral("入力された値を保存できませんでした。値を確認して訂正してください。");
const QString frmInAmd2::kEditLost =
    QStringLiteral("データベースファイルが切り替わったため、入力された値は保存されませんでした。");

frmInAmd2::frmInAmd2() : CountListForm("frmInAmd2", QStringLiteral("棚　卸　表　訂　正"))
{
    buildUi();
}

void frmInAmd2::buildSearch(QGridLayout* f1)
{
    Label7 = named(new QLabel(QStringLiteral("項目/分類名(&N)"), Frame1), "Label7");
    dbcNouhin = named(new DataCombo(Frame1), "dbcNouhin");
    dbcNouhin->setToolTip(QStringLiteral("検索する仕入先名の文字列を入力してください。"));
    dbcNouhin->setMinimumWidth(240);
    Label7->setBuddy(dbcNouhin);
    Label2 = named(new QLabel(QStringLiteral("項目ID"), Frame1), "Label2");
    Text2 = named(new QLineEdit(Frame1), "Text2");
    Text2->setMaximumWidth(80);
    Label6 = named(new QLabel(QStringLiteral("品名(&I)"), Frame1), "Label6");
    dbcShohin = named(new DataCombo(Frame1), "dbcShohin");
    dbcShohin->setMinimumWidth(320);
    Label6->setBuddy(dbcShohin);
    Command1 = named(new QPushButton(QStringLiteral("検索開始(&F)"), Frame1), "Command1");
    Command1->hide();
    Command5 = named(new QPushButton(QStringLiteral("Command5"), Frame1), "Command5");
    Command5->hide();
    f1->addWidget(Label7, 1, 0);
    f1->addWidget(dbcNouhin, 1, 1);
    f1->addWidget(Label2, 1, 2);
    f1->addWidget(Text2, 1, 3);
    f1->addWidget(Label6, 2, 0);
    f1->addWidget(dbcShohin, 2, 1, 1, 3);
    f1->addWidget(Command1, 3, 0);
    f1->addWidget(Command5, 3, 1);
    f1->setColumnStretch(4, 1);
    dbcNouhin->bindKeyBox(Text2);
}

void frmInAmd2::buildButtons(QHBoxLayout* f2)
{
    Command2 = named(new QPushButton(QStringLiteral("単価未入力の棚卸(&T)"), Frame2), "Command2");
    Command4 = named(new QPushButton(QStringLiteral("すべての棚卸(&A)"), Frame2), "Command4");
    Command4->setToolTip(QStringLiteral("決算日を含むすべての棚卸を表示"));
    Command3 = named(new QPushButton(QStringLiteral("更新(&U)"), Frame2), "Command3");
    cmdMasterCancel = named(new QPushButton(QStringLiteral("削除(&D)"), Frame2), "cmdMasterCancel");
    f2->addWidget(Command2);
    f2->addWidget(Command4);
    f2->addStretch(1);
    f2->addWidget(Command3);
    f2->addWidget(cmdMasterCancel);
}

void frmInAmd2::setUpGrid()
{
    grid::numberRows(dgdSub);
    dgdSub->setSelectionBehavior(QAbstractItemView::SelectItems);
    dgdSub->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
}

void frmInAmd2::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(cmdMasterCancel, &QPushButton::clicked, this, [this] { cmdMasterCancel_Click(); });
    connect(DTPicker1, &QDateEdit::dateChanged, this, [this] { DTPicker1_Change(); });
    connect(dbcNouhin, &DataCombo::Change, this, [this] { dbcNouhin_Change(); });
    connect(dbcNouhin, &DataCombo::GotFocus, this, [this] { dbcNouhin_GotFocus(); });
    connect(dbcNouhin, &DataCombo::Click, this, [this] { dbcNouhin_Click(); });
    connect(dbcShohin, &DataCombo::Change, this, [this] { dbcShohin_Change(); });
    connect(dbcShohin, &DataCombo::GotFocus, this, [this] { dbcShohin_GotFocus(); });
    connect(dbcShohin, &DataCombo::Click, this, [this] { dbcShohin_Click(); });
}

void frmInAmd2::Form_Load()
{
    // The totals line is read once, after the date is in place.
    loadPlaceAndDate();
    ShowTotal();
}

void frmInAmd2::Form_Activate()
{
    CheckOrphanCategory();
    pointer::reset();
}

void frmInAmd2::Form_QueryUnload(bool& cancel)
{
    // A refused edit is not dropped unnoticed: the first close is refused so the user can
    // correct it; closing again leaves it unsaved, as the user has been told.
    if (m_grid && !m_grid->storePending() && !m_closeRefused) {
        m_closeRefused = true;
        dlg::Information(kEditRefused + QLatin1Char('\n') + m_grid->lastRefusal(), this);
        cancel = true;
        return;
    }
    dgdSub->hide();
}

void frmInAmd2::Form_Unload(bool& cancel)
{
    (void)cancel;
    if (m_grid) {
        m_grid->storePending();
        // Released now, not when the window is destroyed later: the connection may go first.
        dropModel(m_grid);
    }
}

void frmInAmd2::connectionClosing()
{
    m_heldSearch.reset();
    if (!m_grid)
        return;
    // The line was edited in the file that is closing: it is stored there or not at all.
    if (!m_grid->storePending())
        dlg::Information(kEditLost + QLatin1Char('\n') + m_grid->lastRefusal(), this);
    dropModel(m_grid);
}

void frmInAmd2::connectionOpened()
{
    ShowTotal();
    fillCategoryList();
    // The product list is filled again from the new file when the user goes to it.
    dbcShohin->clearRows();
    // A search is read again from the new file; the old file's orphan lines mean nothing there, and
    // the check runs again at the next activation.
    if (m_listing == Listing::Search) {
        search(m_lastSearch);
    } else {
        m_listing = Listing::None;
    }
}

void frmInAmd2::fillCategoryList()
{
    // Every category, 未区分 included.
    dbcNouhin->setRowSource(QStringLiteral("SELECT * FROM 項目分類 ORDER BY 項目ID ASC"), {},
                            QStringLiteral("項目分類名"), QStringLiteral("項目ID"));
}

void frmInAmd2::ImeOn()
{
    counting::ImeOn(dbcNouhin);
}

CountLineModel* frmInAmd2::grid()
{
    if (!m_grid) {
        m_grid = new CountLineModel(this);
        grid::setModel(dgdSub, m_grid);
        connect(m_grid, &CountLineModel::editRefused, this, [this](const QString& why) { reportRefusal(why); });
        // A new edit after a refused close is protected again.
        connect(m_grid, &QAbstractItemModel::dataChanged, this, [this] { m_closeRefused = false; });
        // Leaving a row stores it, also when no editor is open any more.
        connect(dgdSub->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex&, const QModelIndex& previous) {
                    if (previous.isValid() && m_grid->isDirty())
                        m_grid->submit();
                });
    }
    return m_grid;
}

void frmInAmd2::reportRefusal(const QString& why)
{
    // The grid refuses from inside its own row change; the message waits until that is over,
    // and one refusal is told once.
    if (m_refusalQueued)
        return;
    m_refusalQueued = true;
    QTimer::singleShot(0, this, [this, why] {
        m_refusalQueued = false;
        dlg::Information(kEditRefused + QLatin1Char('\n') + why, this);
    });
}

bool frmInAmd2::storeGridEdits()
{
    if (!m_grid || m_grid->storePending()) {
        m_closeRefused = false;
        return true;
    }
    dlg::Information(kEditRefused + QLatin1Char('\n') + m_grid->lastRefusal(), this);
    return false;
}

bool frmInAmd2::showLines(const counting::LineQuery& lines)
{
    if (!storeGridEdits())
        return false;
    CountLineModel* m = grid();
    m->showLines(lines);
    counting::applyCountLineLayout(dgdSub);
    showCurrentLine(0);
    m_heldSearch.reset();
    return true;
}

void frmInAmd2::showCurrentLine(int row)
{
    if (!m_grid || row < 0 || row >= m_grid->rowCount())
        return;
    dgdSub->setCurrentIndex(m_grid->index(row, m_grid->record().indexOf(QStringLiteral("日付"))));
    dgdSub->selectRow(row);
}

bool frmInAmd2::search(const counting::LineQuery& lines)
{
    if (!showLines(lines))
        return false;
    m_listing = Listing::Search;
    m_lastSearch = lines;
    setEditButtons(gridHasLines());
    return true;
}

bool frmInAmd2::gridHasLines() const
{
    return m_grid && m_grid->rowCount() > 0;
}

void frmInAmd2::setEditButtons(bool on)
{
    Command3->setEnabled(on);
    cmdMasterCancel->setEnabled(on);
}

void frmInAmd2::CheckOrphanCategory()
{
    // Every category, 未区分 included, so the list is complete when the window opens.
    fillCategoryList();
    // Edits waiting in the grid go in first: the marks must see the lines as the user left them.
    if (m_grid && m_grid->isDirty() && !storeGridEdits())
        return;
    const QDate d = closingDate();
    if (!counting::tryMarkOrphans(d, counting::OrphanKey::Category))
        return;
    // Set aside, the same lines stay listed after the repair, then with 項目ID 0.
    if (counting::tryKeepMarkedLines(d) <= 0)
        return;
    if (!showLines(counting::keptLines()))
        return;
    m_listing = Listing::Orphans;
    setEditButtons(true);
    if (dlg::Question(counting::kAskOrphanCategory, this) == dlg::vbYes) {
        counting::tryRepairMarked(d);
        m_grid->refresh();
        showCurrentLine(0);
    }
}

void frmInAmd2::Command1_Click()
{
    if (Text2->text().isEmpty()) {
        dbcNouhin->setFocus();
        return;
    }
    bool ok = false;
    const qlonglong key = Text2->text().trimmed().toLongLong(&ok);
    // A key box holding anything but a whole number finds no line.
    const counting::LineQuery lines = ok ? counting::categoryLines(closingDate(), key) : counting::noLines();
    if (!search(lines))
        m_heldSearch = lines;
}

void frmInAmd2::Command2_Click()
{
    // Like the other searches: the edit buttons follow whether lines were found.
    search(counting::unpricedLines(closingDate()));
}

void frmInAmd2::Command4_Click()
{
    if (search(counting::everyLine()) && gridHasLines())
        ShowTotal();
}

void frmInAmd2::Command5_Click()
{
    // The typed text is a bound value: an apostrophe is just text, the user's % and _ stay
    // wildcards.
    const counting::LineQuery lines = counting::productLines(closingDate(), dbcShohin->text());
    if (!search(lines))
        m_heldSearch = lines;
}

void frmInAmd2::Command3_Click()
{
    if (gridHasLines() && storeGridEdits() && m_heldSearch) {
        const counting::LineQuery held = *m_heldSearch;
        search(held);
    }
    ShowTotal();
}

void frmInAmd2::cmdMasterCancel_Click()
{
    if (!gridHasLines())
        return;
    CountLineModel* m = m_grid;
    // The question is about the line shown as current: with none, the first line becomes it first.
    if (!dgdSub->currentIndex().isValid())
        showCurrentLine(0);
    const int row = dgdSub->currentIndex().row();
    // Edits waiting on another line are stored first: the grid is reread after the delete.
    const int pending = m->pendingRow();
    if (pending >= 0 && pending != row && !storeGridEdits())
        return;

    if (dlg::Question(kDeleteQuestion, this) != dlg::vbYes)
        return;
    // The key the line was read with: an edited ID cell names another line.
    const QVariant key = m->storedKey(row);
    try {
        if (!key.isValid())
            throw db::DbError(QStringLiteral("no line"));
        counting::deleteLine(key.toLongLong());
    } catch (const std::exception& e) {
        dlg::Information(db::withCause(kDeleteFailed, e), this);
        return;
    }
    m->revertRow(row);   // the line is gone, and so are its unsaved edits
    m->refresh();
    counting::applyCountLineLayout(dgdSub);
    if (m->fetchUpTo(row))
        showCurrentLine(row);
    else if (m->rowCount() > 0)
        showCurrentLine(m->rowCount() - 1);
    else
        cmdMasterCancel->setEnabled(false);
    ShowTotal();
}

void frmInAmd2::DTPicker1_Change()
{
    ShowTotal();
}

void frmInAmd2::dbcNouhin_Change()
{
    counting::narrow(dbcNouhin, counting::NarrowList::CorrectionCategory);
}

void frmInAmd2::dbcNouhin_GotFocus()
{
    ImeOn();
    counting::narrow(dbcNouhin, counting::NarrowList::CorrectionCategory);
}

void frmInAmd2::dbcNouhin_Click()
{
    // The pick made the picked category the list's current row, so Text2 holds its key.
    dbcShohin->setText(QString());
    Command1_Click();
}

void frmInAmd2::dbcShohin_Change()
{
    dbcNouhin->setText(QString());
    counting::narrow(dbcShohin, counting::NarrowList::CorrectionProduct);
    Command5_Click();
}

void frmInAmd2::dbcShohin_GotFocus()
{
    counting::narrow(dbcShohin, counting::NarrowList::CorrectionProduct);
}

void frmInAmd2::dbcShohin_Click()
{
    dbcNouhin->setText(QString());
    Command5_Click();
}
