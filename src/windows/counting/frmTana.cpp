#include "counting/frmTana.h"

#include "common/WindowTable.h"
#include "common/global.h"
#include "counting/ClosingDateTotals.h"
#include "counting/CountLineStore.h"
#include "counting/CountWindowRules.h"
#include "counting/EntryLine.h"
#include "platform/Cursor.h"
#include "platform/DataCombo.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/GridLayout.h"
#include "platform/TextBox.h"
#include "platform/VbFormat.h"

#include <QApplication>
#include <QDateEdit>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlRecord>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

bool frmTana::TipShown = false;

namespace {

const QString kDbFailure = QStringLiteral("データベースの接続に失敗しました。");
const QString kCategoryTooLong = QStringLiteral("項目/分類名は全角で２０文字以内にしてください。");
const QString kProductTooLong = QStringLiteral("品名は全角で２０文字以内にしてください。");
const QString kUnitTooLong = QStringLiteral("単位は全角で２文字以内にしてください。");

constexpr int kNameLimit = 40;   // bytes of code page 932
constexpr int kUnitLimit = 4;


// A number as it goes back into a box: the system's decimal mark, no grouping, so it reads back
// as the same number.
QString numberText(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    QLocale l = QLocale::system();
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(v.toDouble(), 'g', 15);
}

QString dateText(const QVariant& v)
{
    return db::fromIso(v).toString(QStringLiteral("yyyy/MM/dd"));
}

constexpr int kHistoryPage = 30;   // the grid shows about six rows: a few screenfuls; more as it scrolls

const QStringList kHistoryHeadings{QStringLiteral("日付"), QStringLiteral("品名"), QStringLiteral("数量"),
                                   QStringLiteral("単位"), QStringLiteral("単価"), QStringLiteral("     ")};
const QList<int> kHistoryWidths{1200, 3800, 1200, 600, 1200, 600};

} // namespace

frmTana::frmTana()
{
    setObjectName("frmTana");
    setWindowTitle(QStringLiteral("棚　卸　表　入　力"));
    setEnterAsTab(true);
    buildUi();
}

void frmTana::buildUi()
{
    auto* root = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    root->addLayout(top);
    buildDateRow(top);
    buildNameBoxes(top);
    buildNumberBoxes(top);
    buildEntryButtons(root);
    buildHistory(root);
    buildLineGrid(root);
    buildBottomButtons(root);
    setUpTabOrder();
    connectHandlers();
    CheckInputComplete();
}

void frmTana::buildDateRow(QGridLayout* top)
{
    counting::makeDateBox(this, Label1, "Label1", DTPicker1);
    Text3 = named(new QLineEdit(this), "Text3");
    Text3->setReadOnly(true);
    Text3->setFocusPolicy(Qt::NoFocus);
    Text3->setMinimumWidth(280);
    top->addWidget(Label1, 0, 0);
    top->addWidget(DTPicker1, 0, 1);
    top->addWidget(Text3, 0, 3, 1, 2);
}

void frmTana::buildNameBoxes(QGridLayout* top)
{
    Label2 = named(new QLabel(QStringLiteral("項目/分類名(&N)"), this), "Label2");
    dbcNouhin = named(new DataCombo(this), "dbcNouhin");
    dbcNouhin->setToolTip(QStringLiteral("検索する項目分類名の文字列を入力してください。"));
    dbcNouhin->setMinimumWidth(320);
    Label2->setBuddy(dbcNouhin);
    Text1 = named(new QLineEdit(this), "Text1");
    top->addWidget(Label2, 1, 0);
    top->addWidget(dbcNouhin, 1, 1, 1, 2);
    top->addWidget(Text1, 1, 3);

    Label3 = named(new QLabel(QStringLiteral("品名(&I)"), this), "Label3");
    dbcShohin = named(new DataCombo(this), "dbcShohin");
    Label3->setBuddy(dbcShohin);
    Text2 = named(new QLineEdit(this), "Text2");
    top->addWidget(Label3, 2, 0);
    top->addWidget(dbcShohin, 2, 1, 1, 2);
    top->addWidget(Text2, 2, 3);

    // The key boxes only show keys: nobody types into them and Enter never stops there.
    for (QLineEdit* key : {Text1, Text2}) {
        key->setReadOnly(true);
        key->setFocusPolicy(Qt::NoFocus);
        key->setMaximumWidth(90);
        key->setAlignment(Qt::AlignRight);
    }
    dbcNouhin->bindKeyBox(Text1);
    dbcShohin->bindKeyBox(Text2);
}

void frmTana::buildNumberBoxes(QGridLayout* top)
{
    Label4 = named(new QLabel(QStringLiteral("数量(&Q)"), this), "Label4");
    txtCnt = named(new QLineEdit(this), "txtCnt");
    Label4->setBuddy(txtCnt);
    Label5 = named(new QLabel(QStringLiteral("単位(&T)"), this), "Label5");
    dbcTani = named(new DataCombo(this), "dbcTani");
    Label5->setBuddy(dbcTani);
    top->addWidget(Label4, 3, 0);
    top->addWidget(txtCnt, 3, 1);
    top->addWidget(Label5, 3, 2, Qt::AlignRight);
    top->addWidget(dbcTani, 3, 3);

    Label6 = named(new QLabel(QStringLiteral("単価(&G)"), this), "Label6");
    txtTanka = named(new QLineEdit(this), "txtTanka");
    Label6->setBuddy(txtTanka);
    Label7 = named(new QLabel(QStringLiteral("備考(&M)"), this), "Label7");
    txtMemo = named(new TextBox(this, 50), "txtMemo");
    Label7->setBuddy(txtMemo);
    top->addWidget(Label6, 4, 0);
    top->addWidget(txtTanka, 4, 1);
    top->addWidget(Label7, 4, 2, Qt::AlignRight);
    top->addWidget(txtMemo, 4, 3, 1, 2);

    for (QLineEdit* number : {txtCnt, txtTanka}) {
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        counting::ImeOff(number);
        number->installEventFilter(this);
    }
    counting::ImeOn(txtMemo);
}

void frmTana::buildEntryButtons(QVBoxLayout* root)
{
    auto* buttons = new QHBoxLayout;
    cmdSubAdd = named(new QPushButton(QStringLiteral("入　力(&E)"), this), "cmdSubAdd");
    cmdMasterCancel = named(new QPushButton(QStringLiteral("削　除(&K)"), this), "cmdMasterCancel");
    buttons->addWidget(cmdSubAdd);
    buttons->addWidget(cmdMasterCancel);
    buttons->addStretch(1);
    root->addLayout(buttons);
}

void frmTana::buildHistory(QVBoxLayout* root)
{
    // The earlier counts of the product sit right under the boxes they fill.
    Label8 = named(new QLabel(QStringLiteral("前回棚卸"), this), "Label8");
    MSFlexGrid1 = named(new QTableWidget(0, 6, this), "MSFlexGrid1");
    MSFlexGrid1->setHorizontalHeaderLabels(kHistoryHeadings);
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->verticalHeader()->hide();
    grid::setColumnWidths(MSFlexGrid1, kHistoryWidths);
    MSFlexGrid1->setMinimumHeight(120);
    MSFlexGrid1->setMaximumHeight(160);
    Label8->setBuddy(MSFlexGrid1);
    root->addWidget(Label8);
    root->addWidget(MSFlexGrid1);
}

void frmTana::buildLineGrid(QVBoxLayout* root)
{
    // The lines of the date take the rest of the window.
    dgdSub = named(new QTableView(this), "dgdSub");
    grid::numberRows(dgdSub);
    m_lines = new counting::EntryLinesModel(this);
    dgdSub->setModel(m_lines);
    dgdSub->setSelectionBehavior(QAbstractItemView::SelectRows);
    dgdSub->setSelectionMode(QAbstractItemView::SingleSelection);
    dgdSub->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dgdSub->setMinimumSize(760, 240);
    root->addWidget(dgdSub, 1);
}

void frmTana::buildBottomButtons(QVBoxLayout* root)
{
    auto* bottom = new QHBoxLayout;
    Command4 = named(new QPushButton(QStringLiteral("ﾍﾙﾌﾟ(&H)"), this), "Command4");
    Command1 = named(new QPushButton(QStringLiteral("閉じる(&X)"), this), "Command1");
    bottom->addStretch(1);
    bottom->addWidget(Command4);
    bottom->addWidget(Command1);
    root->addLayout(bottom);
}

void frmTana::setUpTabOrder()
{
    // Enter walks the fields in the order a line is typed.
    QWidget* order[] = {DTPicker1, dbcNouhin, dbcShohin, txtCnt, dbcTani, txtTanka, txtMemo,
                        cmdSubAdd, cmdMasterCancel, dgdSub, MSFlexGrid1, Command4, Command1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmTana::connectHandlers()
{
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(cmdSubAdd, &QPushButton::clicked, this, [this] { cmdSubAdd_Click(); });
    connect(cmdMasterCancel, &QPushButton::clicked, this, [this] { cmdMasterCancel_Click(); });
    connect(dgdSub, &QTableView::clicked, this, [this] { dgdSub_Click(); });
    connect(DTPicker1, &QDateEdit::dateChanged, this, [this] { DTPicker1_Change(); });
    connect(dbcNouhin, &DataCombo::Change, this, [this] { dbcNouhin_Change(); });
    connect(dbcNouhin, &DataCombo::GotFocus, this, [this] { dbcNouhin_GotFocus(); });
    connect(dbcNouhin, &DataCombo::LostFocus, this, [this] { dbcNouhin_LostFocus(); });
    connect(dbcShohin, &DataCombo::Change, this, [this] { dbcShohin_Change(); });
    connect(dbcShohin, &DataCombo::GotFocus, this, [this] { dbcShohin_GotFocus(); });
    connect(dbcShohin, &DataCombo::LostFocus, this, [this] { dbcShohin_LostFocus(); });
    connect(dbcTani, &DataCombo::Change, this, [this] { dbcTani_Change(); });
    connect(dbcTani, &DataCombo::GotFocus, this, [this] { dbcTani_GotFocus(); });
    connect(dbcTani, &DataCombo::LostFocus, this, [this] { dbcTani_LostFocus(); });
    connect(MSFlexGrid1, &QTableWidget::cellClicked, this, [this](int r, int c) { MSFlexGrid1_Click(r, c); });
    connect(MSFlexGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value >= MSFlexGrid1->verticalScrollBar()->maximum())
            fetchMoreHistory();
    });
    connect(txtCnt, &QLineEdit::textChanged, this, [this] { txtCnt_Change(); });
    connect(txtTanka, &QLineEdit::textChanged, this, [this] { txtTanka_Change(); });
}

const QStringList& frmTana::helpLines()
{
    static const QStringList lines{
        QString(),
        QStringLiteral("■項目/分類情報の登録"),
        QString(),
        QStringLiteral("棚卸表入力時に自動的に入力されます。"),
        QStringLiteral("項目IDは、入力順になりますので、項目/分類名の順番を揃えるには、事前に「項目/分類情報の登録 」を済ませます。"),
        QString(),
        QString(),
        QStringLiteral("■品名情報登録"),
        QString(),
        QStringLiteral("棚卸表入力時に自動的に登録されます｡"),
        QStringLiteral("エクセルで作成した品名情報をインポートすることで、品名情報（品名、数量単位、単価）が登録、更新できます。"),
        QString(),
        QStringLiteral("エクセルで作成した棚卸表をインポートすることで、前回棚卸表および品名情報（品名、数量単位、単価）が登録、更新できます。"),
    };
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Load, activation, closing

void frmTana::Form_Load()
{
    counting::loadCountWindow(this, dgdSub, DTPicker1);
    IgnoreCategory = false;

    m_linesDate = DTPicker1->date();
    try {
        showLines();
    } catch (const std::exception& e) {
        cmdMasterCancel->setEnabled(false);
        dlg::Information(db::withCause(kDbFailure, e), this);
        return;
    }
    cmdMasterCancel->setEnabled(m_lines->rowCount() > 0);
    ShowTotal();
}

void frmTana::Form_Activate()
{
    pointer::reset();
    bool noProducts = false;
    try {
        noProducts = !db::scalar(QStringLiteral("SELECT 1 FROM 仕入商品 LIMIT 1")).isValid();
        // Another window (the correction window, an import) may have changed the lines the
        // grid lists since they were read.
        if (db::isOpen() && counting::changeStamp() != m_linesStamp && m_lines->list().date.isValid()) {
            const int row = dgdSub->currentIndex().row();
            m_lines->show(m_lines->list());
            m_linesStamp = counting::changeStamp();
            selectRow(std::min(row, m_lines->rowCount() - 1));
            cmdMasterCancel->setEnabled(m_lines->rowCount() > 0);
            ShowTotal();
        }
    } catch (const std::exception&) {
        // Without a readable file there is nothing to explain or refresh yet.
    }
    if (noProducts && !TipShown) {
        // Set first: coming back from the help activates this window again.
        TipShown = true;
        Command4_Click();
    }
    if (!isUnloaded())
        dbcNouhin->setFocus(Qt::OtherFocusReason);
}

void frmTana::Form_Unload(bool& cancel)
{
    (void)cancel;
    m_lines->release();
}

void frmTana::connectionClosing()
{
    // Nothing read from the old file may stay: not the rows of the grid, not the lists, not the
    // history, not the totals it summed.
    m_lines->release();
    m_totals.valid = false;
    for (DataCombo* box : {dbcNouhin, dbcShohin, dbcTani})
        box->clearRows();
    MSFlexGrid1->setRowCount(0);
    m_historyText.clear();
    m_historyMore = false;
    cmdMasterCancel->setEnabled(false);
}

void frmTana::connectionOpened()
{
    // The grid lists the opened file's lines of the same date; lines added under another date
    // belonged to the old file.
    try {
        showLines();
    } catch (const std::exception&) {
        cmdMasterCancel->setEnabled(false);
        return;
    }
    cmdMasterCancel->setEnabled(m_lines->rowCount() > 0);
    ShowTotal();
}

void frmTana::tablesCleared(const QStringList& tables)
{
    if (!tables.contains(QStringLiteral("棚卸マスター")))
        return;
    m_totals.valid = false;
    connectionOpened();
    if (!m_historyText.isEmpty()) {
        try {
            fillHistory(m_historyText);
        } catch (const std::exception&) {
            MSFlexGrid1->setRowCount(0);
        }
    }
}

void frmTana::Command1_Click()
{
    unload();
}

void frmTana::Command4_Click()
{
    windows::showTip(helpLines());
}

// ---------------------------------------------------------------------------------------------
// The lines of the date and the totals line

void frmTana::showLines()
{
    // One pass over the date gives the grid's size and the totals line.
    const counting::DateTotals totals = counting::dateTotals(m_linesDate);
    m_lines->show(counting::LineList{m_linesDate, {}}, totals.lines);
    m_linesStamp = counting::changeStamp();
    m_totals = {m_linesDate, totals, m_linesStamp, true};
    // By position: ID, 日付, 項目ID hidden; 品名, 数量, 単位, 単価; the rest at the default width.
    grid::setColumnWidths(dgdSub, {0, 0, 0, 3800, 1200, 1200, 1600});
    selectRow(m_lines->rowCount() - 1);
}

void frmTana::selectRow(int row)
{
    if (row < 0)
        return;
    const QModelIndex index = m_lines->index(row, 3);
    dgdSub->setCurrentIndex(index);
    dgdSub->selectRow(row);
    dgdSub->scrollTo(index);
}

std::optional<long> frmTana::currentLineId() const
{
    const QModelIndex index = dgdSub->currentIndex();
    if (!index.isValid())
        return std::nullopt;
    const std::optional<qint64> id = m_lines->idAt(index.row());
    if (!id)
        return std::nullopt;
    return static_cast<long>(*id);
}

void frmTana::ShowTotal()
{
    const QDate date = DTPicker1->date();
    try {
        const counting::ChangeStamp now = counting::changeStamp();
        if (!m_totals.valid || m_totals.date != date || m_totals.stamp != now)
            m_totals = {date, counting::dateTotals(date), now, true};
        Text3->setText(counting::totalsText(m_totals.totals.sum, m_totals.totals.count));
    } catch (const std::exception&) {
        // The totals line is a convenience: it keeps its previous text.
        m_totals.valid = false;
    }
}

void frmTana::DTPicker1_Change()
{
    ShowTotal();
}

void frmTana::dgdSub_Click()
{
    cmdMasterCancel->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------------
// The name boxes

bool frmTana::trimAndCheck(DataCombo* box, int limitBytes, const QString& message, bool leavingBox)
{
    // What the box shows is what is stored: half a surrogate pair is left out there too.
    const QString t = global::StorableText(box->text()).trimmed();
    if (t != box->text())
        box->setText(t);
    if (global::LenB_Ansi(t) <= limitBytes) {
        if (m_refusedBox == box)
            m_refusedBox = nullptr;
        return true;
    }
    // Pressing a button moves the focus out of the box first: the check on leaving the box has
    // told the user already and put the focus back, so the press only stops here.
    const bool toldAlready = !leavingBox && m_refusedBox == box && m_refusedText == t;
    m_refusedBox = leavingBox ? box : nullptr;
    m_refusedText = t;
    if (!toldAlready)
        dlg::Information(message, this);
    box->setFocus(Qt::OtherFocusReason);
    return false;
}

void frmTana::dbcNouhin_Change()
{
    counting::narrow(dbcNouhin, counting::NarrowList::EntryCategory);
}

void frmTana::dbcNouhin_GotFocus()
{
    counting::ImeOn(dbcNouhin);
    counting::narrow(dbcNouhin, counting::NarrowList::EntryCategory);
}

void frmTana::dbcNouhin_LostFocus()
{
    if (!trimAndCheck(dbcNouhin, kNameLimit, kCategoryTooLong, true))
        return;
    const QString t = dbcNouhin->text();
    if (t.isEmpty())
        return;
    // A new category is registered as soon as its name is left, whether or not a line follows,
    // by the same rule as the line's own registration.
    try {
        // Only the category table changes: the lines and totals read before stay current.
        const counting::ChangeStamp before = counting::changeStamp();
        counting::registerCategory(t);
        const counting::ChangeStamp after = counting::changeStamp();
        if (m_linesStamp == before)
            m_linesStamp = after;
        if (m_totals.stamp == before)
            m_totals.stamp = after;
    } catch (const std::exception&) {
        // The line's own registration tries again when it is entered.
    }
    const QString lookup = QStringLiteral("SELECT * FROM 項目分類 WHERE 項目ID >= 1 AND (項目分類名 = ?) ORDER BY 項目ID");
    dbcNouhin->setRowSource(lookup, {t}, QStringLiteral("項目分類名"), QStringLiteral("項目ID"));
}

void frmTana::dbcShohin_Change()
{
    counting::narrow(dbcShohin, counting::NarrowList::EntryProduct);
}

void frmTana::dbcShohin_GotFocus()
{
    counting::ImeOn(dbcShohin);
    counting::narrow(dbcShohin, counting::NarrowList::EntryProduct);
}

void frmTana::dbcShohin_LostFocus()
{
    if (!trimAndCheck(dbcShohin, kNameLimit, kProductTooLong, true))
        return;
    const QString n = dbcShohin->text();
    if (n.isEmpty())
        return;
    if (!dbcShohin->setRowSource(QStringLiteral("SELECT * FROM 仕入商品 WHERE (品名 = ?) ORDER BY 品名ID"), {n},
                                 QStringLiteral("品名"), QStringLiteral("品名ID"))) {
        dlg::Information(db::withCause(kDbFailure, dbcShohin->lastFailure()), this);
        return;
    }
    if (dbcShohin->rowCount() > 0) {
        // Propose the unit and price the product was last entered with.
        const QSqlRecord product = dbcShohin->record(0);
        const QString unit = product.value(QStringLiteral("単位")).toString();
        if (!unit.isEmpty())
            dbcTani->setText(unit);
        const QVariant price = product.value(QStringLiteral("単価"));
        if (!price.isNull())
            txtTanka->setText(numberText(price));
    }
    try {
        fillHistory(n);
    } catch (const std::exception& e) {
        dlg::Information(db::withCause(kDbFailure, e), this);
    }
}

void frmTana::fillHistory(const QString& name)
{
    MSFlexGrid1->clear();
    MSFlexGrid1->setRowCount(0);
    MSFlexGrid1->setColumnCount(6);
    MSFlexGrid1->setHorizontalHeaderLabels(kHistoryHeadings);
    grid::setColumnWidths(MSFlexGrid1, kHistoryWidths);
    m_historyText = name;
    m_historyMore = true;
    // A short text matches most of a long count: only what the grid shows is read now.
    appendHistoryPage();
}

void frmTana::appendHistoryPage()
{
    const QList<QSqlRecord> rows = counting::productHistory(m_historyText, MSFlexGrid1->rowCount(), kHistoryPage);
    m_historyMore = rows.size() == kHistoryPage;
    // The page's rows come in at once; the grid is laid out once for them, not per row.
    int row = MSFlexGrid1->rowCount();
    MSFlexGrid1->setRowCount(row + static_cast<int>(rows.size()));
    for (const QSqlRecord& r : rows) {
        const QStringList cells{dateText(r.value(0)), r.value(1).toString(), numberText(r.value(2)),
                                r.value(3).toString(), numberText(r.value(4)), QString()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (c == 2 || c == 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            MSFlexGrid1->setItem(row, c, item);
        }
        ++row;
    }
}

void frmTana::fetchMoreHistory()
{
    if (!m_historyMore || m_historyText.isEmpty())
        return;
    try {
        appendHistoryPage();
    } catch (const std::exception&) {
        // The grid keeps what it shows; scrolling asks again.
    }
}

void frmTana::MSFlexGrid1_Click(int row, int col)
{
    const QTableWidgetItem* item = MSFlexGrid1->item(row, col);
    const QString text = item ? item->text() : QString();
    switch (col) {
    case 2:
        txtCnt->setText(text);
        break;
    case 3:
        dbcTani->setText(text);
        break;
    case 4:
        txtTanka->setText(text);
        break;
    default:
        break;
    }
}

void frmTana::dbcTani_Change()
{
    counting::narrow(dbcTani, counting::NarrowList::EntryUnit);
}

void frmTana::dbcTani_GotFocus()
{
    counting::ImeOn(dbcTani);
    counting::narrow(dbcTani, counting::NarrowList::EntryUnit);
}

void frmTana::dbcTani_LostFocus()
{
    trimAndCheck(dbcTani, kUnitLimit, kUnitTooLong, true);
}

// ---------------------------------------------------------------------------------------------
// Quantity and price

QColor frmTana::completeLineColour()
{
    // The selection colour, lightened halfway to the window background: it stands out from the
    // button face under any style, and the button's text and focus frame still read on it.
    const QPalette app = QApplication::palette();
    const QColor h = app.color(QPalette::Highlight);
    const QColor b = app.color(QPalette::Base);
    return QColor((h.red() + b.red()) / 2, (h.green() + b.green()) / 2, (h.blue() + b.blue()) / 2);
}

void frmTana::CheckInputComplete()
{
    const bool complete = !dbcShohin->text().isEmpty() && !txtCnt->text().isEmpty() && !txtTanka->text().isEmpty();
    const QPalette app = QApplication::palette();
    QPalette p = cmdSubAdd->palette();
    p.setColor(QPalette::Button, complete ? completeLineColour() : app.color(QPalette::Button));
    cmdSubAdd->setPalette(p);
}

void frmTana::txtCnt_Change()
{
    CheckInputComplete();
}

void frmTana::txtTanka_Change()
{
    CheckInputComplete();
}

void frmTana::txtCnt_GotFocus()
{
    txtCnt->selectAll();
}

void frmTana::txtTanka_GotFocus()
{
    txtTanka->selectAll();
}

bool frmTana::eventFilter(QObject* obj, QEvent* e)
{
    if ((e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) && (obj == txtCnt || obj == txtTanka)) {
        auto* box = static_cast<QLineEdit*>(obj);
        auto* fe = static_cast<QFocusEvent*>(e);
        FocusMoves& moves = box == txtCnt ? m_cntFocus : m_tankaFocus;
        if (e->type() == QEvent::FocusOut) {
            moves.isLostFocus(box, fe);
        } else if (moves.isGotFocus(fe)) {
            // Coming back from another window is not entering the box: what the user had
            // selected in it stays selected.
            if (box == txtCnt)
                txtCnt_GotFocus();
            else
                txtTanka_GotFocus();
            // A click places the cursor after the focus arrives; select again once it has. Only
            // for the mouse: from the keyboard the next keys may already be waiting and must not
            // be lost.
            if (fe->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, box, &QLineEdit::selectAll);
        }
    }
    return Form::eventFilter(obj, e);
}

// ---------------------------------------------------------------------------------------------
// Adding and deleting lines

std::optional<counting::EntryLine> frmTana::gatherLine()
{
    // The names are trimmed and measured when their boxes are left; the button can be pressed
    // with the cursor still in a box, so the same rules hold here.
    if (!trimAndCheck(dbcNouhin, kNameLimit, kCategoryTooLong) || !trimAndCheck(dbcShohin, kNameLimit, kProductTooLong)
        || !trimAndCheck(dbcTani, kUnitLimit, kUnitTooLong))
        return std::nullopt;

    auto refuse = [this](const QString& message, QWidget* field) {
        dlg::Information(message, this);
        field->setFocus(Qt::OtherFocusReason);
        return std::nullopt;
    };
    if (dbcShohin->text().isEmpty())
        return refuse(QStringLiteral("商品が選択されていません。"), dbcShohin);
    if (txtCnt->text().isEmpty())
        return refuse(QStringLiteral("数量が入力されていません。"), txtCnt);
    // Nothing is stored unless both numbers read as finite numbers whose amount fits too.
    const QString notAQuantity = QStringLiteral("数量は数値で入力してください。");
    const std::optional<double> quantity = vb::parseNumber(txtCnt->text());
    if (!quantity)
        return refuse(notAQuantity, txtCnt);
    if (txtTanka->text().isEmpty()) {
        dlg::Information(QStringLiteral("単価が入力されていません。"), this);
        txtTanka->setText(QStringLiteral("0"));
    }
    const std::optional<double> price = vb::parseNumber(txtTanka->text());
    if (!price)
        return refuse(QStringLiteral("単価は数値で入力してください。"), txtTanka);
    if (!counting::amountFits(*price, *quantity)) {
        // The amount would be too large to hold: the larger of the two numbers is the one to fix.
        if (std::abs(*quantity) >= std::abs(*price))
            return refuse(QStringLiteral("数量の値が大きすぎます。"), txtCnt);
        return refuse(QStringLiteral("単価の値が大きすぎます。"), txtTanka);
    }
    const QString category = dbcNouhin->text();
    if (category.isEmpty() && !IgnoreCategory) {
        if (dlg::Question(QStringLiteral("項目/分類名が選択されていません。項目/分類は無視しますか？"), this) != dlg::vbYes) {
            dbcNouhin->setFocus(Qt::OtherFocusReason);
            return std::nullopt;
        }
        IgnoreCategory = true;
    }

    counting::EntryLine line;
    line.date = DTPicker1->date();
    line.category = category;
    line.product = dbcShohin->text();
    line.quantity = *quantity;
    line.unit = dbcTani->text();
    line.price = *price;
    line.memo = global::StorableText(txtMemo->text());
    if (line.memo != txtMemo->text())
        txtMemo->setText(line.memo);
    return line;
}

void frmTana::cmdSubAdd_Click()
{
    const std::optional<counting::EntryLine> line = gatherLine();
    if (!line)
        return;
    long lineId = 0;
    bool totalsCurrent = false;
    bool linesCurrent = false;
    try {
        const counting::ChangeStamp before = counting::changeStamp();
        totalsCurrent = m_totals.valid && m_totals.date == line->date && m_totals.stamp == before;
        linesCurrent = m_linesStamp == before;
        lineId = counting::addEntryLine(*line);
    } catch (const global::KeyRangeError&) {
        dlg::Information(global::kKeyRangeText, this);
        return;
    } catch (const std::exception& e) {
        dlg::Information(db::withCause(kDbFailure, e), this);
        return;
    }

    // Ready for the next line of the same category: the category and the remark stay.
    dbcShohin->setText(QString());
    dbcTani->setText(QString());
    txtCnt->clear();
    txtTanka->clear();
    cmdMasterCancel->setEnabled(true);
    try {
        const counting::ChangeStamp after = counting::changeStamp();
        // The new line has the highest key: it is the grid's last row, and its amount is the
        // date's sum so far plus its own, as long as nobody else wrote in between.
        if (totalsCurrent) {
            m_totals.totals.sum += counting::lineAmount(line->price, line->quantity);
            ++m_totals.totals.count;
            m_totals.stamp = after;
        }
        if (linesCurrent) {
            m_lines->appendLine(lineId, line->date);
            m_linesStamp = after;
        } else {
            counting::LineList list = m_lines->list();
            if (line->date != list.date)
                list.extraIds << lineId;
            m_lines->show(list);
            m_linesStamp = counting::changeStamp();
        }
        selectRow(m_lines->rowCount() - 1);
    } catch (const std::exception&) {
        // The line is stored; the grid catches up when the window is next activated.
    }
    dbcShohin->setFocus(Qt::OtherFocusReason);
    ShowTotal();
}

void frmTana::cmdMasterCancel_Click()
{
    if (!cmdMasterCancel->isEnabled())
        return;
    const int row = dgdSub->currentIndex().row();
    const std::optional<long> id = currentLineId();
    if (!id)
        return;
    if (dlg::Question(QStringLiteral("表示中のレコードを削除します。よろしいですか。"), this) != dlg::vbYes)
        return;

    bool linesCurrent = false;
    try {
        linesCurrent = m_linesStamp == counting::changeStamp();
        counting::deleteLine(*id);
    } catch (const std::exception& e) {
        dlg::Information(db::withCause(QStringLiteral("データ削除中にエラーが発生しました。再度データの取消を行ってください。"), e), this);
        unload();
        pointer::hourglass();
        return;
    }
    // The cursor moves on to the next line, or to the one before when the last was deleted.
    try {
        if (linesCurrent)
            m_lines->removeLineAt(row);
        else
            m_lines->show(m_lines->list());
        m_linesStamp = counting::changeStamp();
    } catch (const std::exception&) {
        // The line is gone; the grid catches up when the window is next activated.
    }
    selectRow(std::min(row, m_lines->rowCount() - 1));
    ShowTotal();
    if (m_lines->rowCount() == 0)
        cmdMasterCancel->setEnabled(false);
}
