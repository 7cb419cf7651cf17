#include "counting/frmList.h"

#include "app/ListExport.h"
#include "common/WindowTable.h"
#include "counting/CountLineGrid.h"
#include "counting/CountWindowRules.h"
#include "counting/OrphanQuestions.h"
#include "platform/Cursor.h"
#include "platform/GridLayout.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSqlRecord>
#include <QTableView>

using counting::ListMode;

namespace {

// Gives the grouped summary dialog its date, title and group heading when it is first shown:
// after its own load has set its defaults, before its first activation reads them. The dialog is
// found by its name and its controls by theirs, so the list needs nothing of the dialog's class.
class HandOverOnShow : public QObject {
public:
    explicit HandOverOnShow(counting::PrintHandOver h) : m_h(std::move(h)) { qApp->installEventFilter(this); }
    ~HandOverOnShow() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* obj, QEvent* e) override
    {
        if (e->type() != QEvent::Show || m_done || obj->objectName() != m_h.dialog || !qobject_cast<Form*>(obj))
            return false;
        m_done = true;
        if (QObject* date = obj->findChild<QObject*>(QStringLiteral("DTPicker1")))
            date->setProperty("date", m_h.closingDate);
        if (QObject* title = obj->findChild<QObject*>(QStringLiteral("Text3")))
            title->setProperty("text", m_h.title);
        if (QObject* heading = obj->findChild<QObject*>(QStringLiteral("Text4")))
            heading->setProperty("text", m_h.groupHeading);
        return false;
    }

private:
    counting::PrintHandOver m_h;
    bool m_done = false;
};

} // namespace

frmList::frmList() : CountListForm("frmList", QStringLiteral("決算日別　棚卸集計表"))
{
    buildUi();
}

void frmList::buildSearch(QGridLayout* f1)
{
    Label4 = named(new QLabel(QStringLiteral("集計項目(&Q)"), Frame1), "Label4");
    Combo1 = named(new QComboBox(Frame1), "Combo1");
    Combo1->setEditable(true);
    // What the user types stays as typed: no completion, and nothing added to the list.
    Combo1->setCompleter(nullptr);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMinimumWidth(320);
    Label4->setBuddy(Combo1);
    Command1 = named(new QPushButton(QStringLiteral("検索開始(&F)"), Frame1), "Command1");
    Command1->hide();
    f1->addWidget(Label4, 1, 0);
    f1->addWidget(Combo1, 1, 1);
    f1->addWidget(Command1, 2, 0);
    f1->setColumnStretch(2, 1);
}

void frmList::buildButtons(QHBoxLayout* f2)
{
    Command2 = named(new QPushButton(QStringLiteral("印　刷(&P)"), Frame2), "Command2");
    Command3 = named(new QPushButton(QStringLiteral("Excel(&P)"), Frame2), "Command3");
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    f2->addWidget(Command2);
    f2->addWidget(Command3);
}

void frmList::setUpGrid()
{
    dgdSub->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dgdSub->setItemDelegate(new counting::CountLineDelegate(dgdSub, -1, {}));
}

void frmList::connectHandlers()
{
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(DTPicker1, &QDateEdit::dateChanged, this, [this] { DTPicker1_Change(); });
}

void frmList::Form_Load()
{
    loadPlaceAndDate();
    Combo1->addItems(counting::listModeNames());
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QString());
}

void frmList::Form_Activate()
{
    // Every line of the date; the mode stays unchosen and the buttons off until the first run.
    showListing(ListMode::All);
    ShowTotal();
    pointer::reset();
}

void frmList::Form_QueryUnload(bool& cancel)
{
    (void)cancel;
    dgdSub->hide();
}

void frmList::Form_Unload(bool& cancel)
{
    (void)cancel;
    // Released now, not when the window is destroyed later: the connection may go first.
    dropModel(m_list);
}

void frmList::connectionClosing()
{
    // The model holds a statement on the connection.
    dropModel(m_list);
}

void frmList::connectionOpened()
{
    ShowTotal();
    // A listing is read again from the new file. The orphan modes are not rerun: marking writes to
    // the file, which only the user's choice of the mode should do.
    if (m_shown && !counting::isOrphanMode(*m_shown))
        showListing(*m_shown);
    else
        m_shown.reset();
}

counting::SummaryListModel* frmList::listForRun()
{
    // One model serves every run: each run gives it a new query. A model given to the grid anew
    // would leave a selection model behind in each of the grid's headers.
    if (!m_list) {
        m_list = new counting::SummaryListModel(this);
        grid::setModel(dgdSub, m_list);
    }
    return m_list;
}

void frmList::resetColumns()
{
    // A mode's layout starts from the grid's defaults, whatever the last mode set.
    QHeaderView* h = dgdSub->horizontalHeader();
    for (int c = 0; c < h->count(); ++c) {
        dgdSub->setColumnHidden(c, false);
        dgdSub->setColumnWidth(c, h->defaultSectionSize());
    }
    grid::setRowHeightTwips(dgdSub, 360);
}

void frmList::showListing(ListMode mode)
{
    const counting::ListSql q = counting::listQuery(mode, closingDate());
    m_shown = mode;
    const counting::ListLayout layout = counting::listLayout(mode);
    showRows(q.sql, q.args, [&] {
        grid::setColumnWidths(dgdSub, layout.widths);
        if (auto* d = qobject_cast<counting::CountLineDelegate*>(dgdSub->itemDelegate()))
            d->setColumns(layout.dateColumn, layout.rightAligned);
    });
}

void frmList::showLines(const counting::LineQuery& lines)
{
    showRows(lines.sql(), lines.args, [this] { counting::applyCountLineLayout(dgdSub); });
}

void frmList::showRows(const QString& sql, const QVariantList& args, const std::function<void()>& layOut)
{
    // The new rows replace the old in one step and are laid out before the grid is drawn again.
    counting::SummaryListModel* m = listForRun();
    dgdSub->setUpdatesEnabled(false);
    // A failing query leaves the grid without rows and reports nothing.
    m->show(sql, args);
    {
        // Each width set alone would have the grid lay out and draw itself again.
        const QSignalBlocker columns(dgdSub->horizontalHeader());
        const QSignalBlocker rows(dgdSub->verticalHeader());
        resetColumns();
        layOut();
    }
    dgdSub->doItemsLayout();
    dgdSub->setUpdatesEnabled(true);
}

void frmList::ListOrphanKoumoku()
{
    counting::ListOrphanKoumoku(closingDate(), [this](const counting::LineQuery& l) { showLines(l); }, this);
}

void frmList::ListOrphanShohin()
{
    counting::ListOrphanShohin(closingDate(), [this](const counting::LineQuery& l) { showLines(l); });
}

void frmList::Combo1_Click()
{
    Command1_Click();
}

void frmList::Command1_Click()
{
    const ListMode mode = counting::listModeForText(Combo1->currentText());
    if (counting::isOrphanMode(mode)) {
        // The marking writes every line of the date: no statement of the old list stays open.
        if (m_list)
            m_list->clear();
        m_shown = mode;
        if (mode == ListMode::OrphanCategory)
            ListOrphanKoumoku();
        else
            ListOrphanShohin();
    } else {
        showListing(mode);
    }
    const counting::ListLayout layout = counting::listLayout(mode);
    Command2->setEnabled(layout.print);
    Command3->setEnabled(layout.excel);
}

void frmList::Command2_Click()
{
    const std::optional<counting::PrintHandOver> h =
        counting::printHandOver(counting::listModeForText(Combo1->currentText()), closingDate());
    if (!h)
        return;
    // The hand-over always ends this window's life; the dialog is opened once it is gone.
    if (!unload())
        return;
    std::optional<HandOverOnShow> give;
    if (h->setsControls)
        give.emplace(*h);
    windows::open(h->dialog, windows::Show::Modal);
}

void frmList::Command3_Click()
{
    // The mode is read now, whatever the last run listed.
    const std::optional<counting::ListSql> q =
        counting::exportQuery(counting::listModeForText(Combo1->currentText()), closingDate());
    if (!q)
        return;
    listexport::exportList(q->sql, q->args, this);
}

void frmList::DTPicker1_Change()
{
    Command1_Click();
    ShowTotal();
}
