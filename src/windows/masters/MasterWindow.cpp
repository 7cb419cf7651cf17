#include "masters/MasterWindow.h"

#include "common/global.h"
#include "masters/MasterGrid.h"
#include "masters/MasterModel.h"
#include "platform/Cursor.h"
#include "platform/Db.h"
#include "platform/Dialogs.h"
#include "platform/GridLayout.h"
#include "platform/TextBox.h"

#include <QDataWidgetMapper>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSqlError>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace masters {

const QString MasterWindow::kConnectionFailed = QStringLiteral("データベースの接続に失敗しました。");
const QString MasterWindow::kDeleteQuestion = QStringLiteral("表示中のレコードを削除します。よろしいですか。");
const QString MasterWindow::kEditRefused =
    QStringLiteral("入力された値を保存できませんでした。値を確認して訂正してください。");
const QString MasterWindow::kEditNotStored = QStringLiteral("入力された値は保存されませんでした。");

MasterWindow::MasterWindow(const MasterTable& table, const WindowText& text) : m_table(table), m_text(text)
{
    setObjectName(QString::fromLatin1(text.objectName));
    setWindowTitle(text.caption);
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    root->addLayout(top);
    buildFields(top);
    buildButtons(top);
    m_extra = new QHBoxLayout;
    root->addLayout(m_extra);
    buildGrid(root);
    m_mapper = new QDataWidgetMapper(this);
    m_mapper->setSubmitPolicy(QDataWidgetMapper::AutoSubmit);
    resize(640, 480);
}

void MasterWindow::buildFields(QBoxLayout* top)
{
    auto* fields = new QGridLayout;
    Label1 = named(new QLabel(QStringLiteral("ID"), this), "Label1");
    txtID = named(new TextBox(this), "txtID");
    // The key comes from the key rule; typed keys would cut count lines off their master row.
    txtID->setReadOnly(true);
    txtID->setFocusPolicy(Qt::ClickFocus);   // the name box is where typing starts
    txtID->setMaximumWidth(120);
    Label1->setBuddy(txtID);
    Label2 = named(new QLabel(m_text.nameLabel, this), "Label2");
    nameBox = named(new TextBox(this, m_text.nameLimit), m_text.nameBox);
    // Names are typed in Japanese: the box takes the input method's composed text.
    nameBox->setAttribute(Qt::WA_InputMethodEnabled, true);
    nameBox->setInputMethodHints(Qt::ImhNone);
    nameBox->setMinimumWidth(280);
    Label2->setBuddy(nameBox);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txtID, 0, 1, Qt::AlignLeft);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(nameBox, 1, 1);
    fields->setColumnStretch(1, 1);
    top->addLayout(fields, 1);
}

void MasterWindow::buildButtons(QBoxLayout* top)
{
    auto* buttons = new QGridLayout;
    cmdAdd = named(new QPushButton(QStringLiteral("新規登録(&N)"), this), "cmdAdd");
    cmdUpdate = named(new QPushButton(QStringLiteral("登録(&I)"), this), "cmdUpdate");
    cmdCancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "cmdCancel");
    cmdDelete = named(new QPushButton(m_text.deleteCaption, this), "cmdDelete");
    buttons->addWidget(cmdAdd, 0, 0);
    buttons->addWidget(cmdUpdate, 0, 1);
    buttons->addWidget(cmdCancel, 1, 0);
    buttons->addWidget(cmdDelete, 1, 1);
    top->addLayout(buttons);
    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { cmdDelete_Click(); });
}

void MasterWindow::buildGrid(QBoxLayout* root)
{
    DataGrid1 = named(new QTableView(this), "DataGrid1");
    DataGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    DataGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DataGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                               | QAbstractItemView::AnyKeyPressed);
    root->addWidget(DataGrid1, 1);
    connect(DataGrid1, &QTableView::clicked, this, [this] { DataGrid1_Click(); });
}

qint64 MasterWindow::currentKey() const
{
    const int row = DataGrid1->currentIndex().row();
    if (!m_model || row < 0 || row >= m_model->rowCount())
        return 0;
    return m_model->keyAt(row);
}

bool MasterWindow::openModel()
{
    releaseModel();
    if (!db::isOpen())
        return false;
    auto* m = new MasterModel(m_table, this);
    if (!m->load()) {
        m_openFailure = db::causeOf(m->lastError());
        delete m;
        return false;
    }
    m_model = m;
    DataGrid1->setModel(m);
    delete DataGrid1->itemDelegate();
    DataGrid1->setItemDelegate(new MasterDelegate(DataGrid1, m->nameColumn(), m_text.nameLimit));
    // The boxes show a value as the grid's cells do, so a shown name is never cut and an untouched
    // box is no edit.
    QAbstractItemDelegate* before = m_mapper->itemDelegate();
    m_mapper->setItemDelegate(new MasterDelegate(m_mapper, m->nameColumn(), m_text.nameLimit));
    delete before;
    m_mapper->setModel(m);
    m_mapper->addMapping(txtID, m->keyColumn());
    m_mapper->addMapping(nameBox, m->nameColumn());
    connect(m, &MasterModel::editRefused, this, [this](const QString& why) { queueRefusal(why); });
    // A new edit after a refused close is protected again.
    connect(m, &QAbstractItemModel::dataChanged, this, [this] { m_closeRefused = false; });
    // Leaving a row stores it, whether the edit was made in the grid or in the boxes.
    connect(DataGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (!m_model)
                    return;
                if (previous.isValid() && m_model->dirtyRow() == previous.row())
                    m_model->submit();
                if (current.isValid())
                    m_mapper->setCurrentIndex(current.row());
            });
    showRow(0);
    return true;
}

void MasterWindow::releaseModel()
{
    if (!m_model)
        return;
    // The mapper lets go of a model when it is destroyed.
    m_mapper->clearMapping();
    grid::setModel(DataGrid1, nullptr);
    delete m_model;
    m_model = nullptr;
    showRow(-1);
}

void MasterWindow::showRow(int row)
{
    if (!m_model || row < 0 || m_model->rowCount() == 0) {
        // No row to show: the boxes are empty and take nothing, so nothing typed can get lost.
        txtID->clear();
        nameBox->clear();
        txtID->setEnabled(false);
        nameBox->setEnabled(false);
        return;
    }
    row = qMin(row, m_model->rowCount() - 1);
    txtID->setEnabled(true);
    nameBox->setEnabled(true);
    DataGrid1->setCurrentIndex(m_model->index(row, m_model->nameColumn()));
    m_mapper->setCurrentIndex(row);
}

bool MasterWindow::reload(qint64 key, int fallbackRow)
{
    const bool ok = m_model->load();
    int row = key != 0 ? m_model->rowOfKey(key) : -1;
    if (row < 0)
        row = qMin(fallbackRow, m_model->rowCount() - 1);
    showRow(row);
    return ok;
}

void MasterWindow::commitBoxes()
{
    // A handler run by an access key leaves the focus in the name box: what it shows is the edit.
    const int row = m_mapper->currentIndex();
    if (!m_model || !nameBox->isEnabled() || row < 0 || row >= m_model->rowCount())
        return;
    m_model->setData(m_model->index(row, m_model->nameColumn()), nameBox->text());
}

void MasterWindow::gatherEdits(qint64 dropKey)
{
    commitBoxes();
    if (dropKey != 0) {
        const int row = m_model->rowOfKey(dropKey);
        if (row >= 0)
            m_model->revertRow(row);
    }
}

bool MasterWindow::storeEdits(qint64 dropKey)
{
    if (!m_model)
        return true;
    gatherEdits(dropKey);
    if (m_model->storePending()) {
        m_closeRefused = false;
        return true;
    }
    reportRefusal(m_model->lastRefusal());
    return false;
}

void MasterWindow::reportRefusal(const QString& why)
{
    dlg::Information(why.isEmpty() ? kEditRefused : kEditRefused + QLatin1Char('\n') + why, this);
    // The refused row becomes current again, so the user sees what to correct.
    const int row = m_model ? m_model->dirtyRow() : -1;
    if (row >= 0 && DataGrid1->currentIndex().row() != row)
        showRow(row);
}

void MasterWindow::queueRefusal(const QString& why)
{
    // The grid refuses from inside its own row change; the message waits until that is over,
    // and one refusal is told once.
    if (m_refusalQueued)
        return;
    m_refusalQueued = true;
    QTimer::singleShot(0, this, [this, why] {
        m_refusalQueued = false;
        reportRefusal(why);
    });
}

void MasterWindow::reportFailure(const QString& text)
{
    dlg::Information(text, this);
}

void MasterWindow::reportModelFailure()
{
    reportFailure(db::withCause(kConnectionFailed, m_model ? db::causeOf(m_model->lastError()) : m_openFailure));
}

void MasterWindow::setButtonsAsAtLoad()
{
    cmdAdd->setEnabled(true);
    cmdUpdate->setEnabled(false);
    cmdCancel->setEnabled(false);
    cmdDelete->setEnabled(m_model && m_model->rowCount() > 0);
}

void MasterWindow::Form_Load()
{
    if (!openModel()) {
        if (db::isOpen())
            reportModelFailure();
        else
            reportFailure(kConnectionFailed);
        unload();   // a window without its table does not open
        return;
    }
    setButtonsAsAtLoad();
    layoutGrid();
    EditMode = 1;
}

void MasterWindow::Form_Activate()
{
    pointer::reset();
    if (!m_model) {
        if (m_text.activationReports)
            reportFailure(kConnectionFailed);
        return;
    }
    if (m_model->rowCount() == 0)
        cmdAdd_Click();
}

void MasterWindow::cmdAdd_Click()
{
    if (!m_model || !storeEdits())
        return;
    qint64 key = 0;
    try {
        key = addRow(m_table);
    } catch (const global::KeyRangeError&) {
        reportFailure(global::kKeyRangeText);
        return;
    } catch (const std::exception&) {
        return;   // a new row that cannot be stored is passed over
    }
    m_keyBeforeNew = currentKey();
    m_newKey = key;
    reload(key);
    nameBox->setFocus();
    cmdAdd->setEnabled(false);
    cmdUpdate->setEnabled(true);
    cmdCancel->setEnabled(true);
    EditMode = 2;
}

void MasterWindow::cmdUpdate_Click()
{
    if (!m_model) {
        if (m_text.registerReports)
            reportFailure(kConnectionFailed);
        return;
    }
    if (!storeEdits())
        return;
    cmdAdd->setEnabled(true);
    cmdUpdate->setEnabled(false);
    cmdCancel->setEnabled(false);
    cmdDelete->setEnabled(m_model->rowCount() > 0);
    EditMode = 1;
    m_newKey = 0;
}

void MasterWindow::cmdCancel_Click()
{
    if (!m_model) {
        reportFailure(kConnectionFailed);
        return;
    }
    const qint64 drop = m_newKey;
    if (!storeEdits(drop))
        return;
    if (drop != 0) {
        try {
            deleteRow(m_table, drop);
        } catch (const std::exception& e) {
            reportFailure(db::withCause(kConnectionFailed, e));
            return;
        }
    }
    m_newKey = 0;
    // Back to the row the user was on before 新規登録; the deleted row is never left current.
    reload(m_keyBeforeNew, 0);
    setButtonsAsAtLoad();
    EditMode = 1;
}

void MasterWindow::cmdDelete_Click()
{
    if (!m_model) {
        reportFailure(kConnectionFailed);
        return;
    }
    const int row = DataGrid1->currentIndex().row();
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (dlg::Question(kDeleteQuestion, this) != dlg::vbYes)
        return;
    const qint64 key = m_model->keyAt(row);
    // The next row, or the last one when the deleted row was last, named by key: storing other
    // edits may reorder the rows.
    const qint64 then = row + 1 < m_model->rowCount() ? m_model->keyAt(row + 1)
                        : row > 0                     ? m_model->keyAt(row - 1)
                                                      : 0;
    if (!storeEdits(key))
        return;
    try {
        deleteRow(m_table, key);
    } catch (const std::exception& e) {
        reportFailure(db::withCause(kConnectionFailed, e));
        return;
    }
    cmdCancel->setEnabled(false);
    EditMode = 1;
    m_newKey = 0;
    rowDeleted();
    reload(then, row);
    if (m_model->rowCount() == 0)
        cmdDelete->setEnabled(false);
}

void MasterWindow::DataGrid1_Click()
{
    cmdUpdate->setEnabled(true);
}

void MasterWindow::Form_QueryUnload(bool& cancel)
{
    if (!m_model)
        return;
    const qint64 drop = EditMode == 2 ? m_newKey : 0;
    // The first close is refused so the user can still correct a refused edit; closing again
    // leaves it unstored, and says so.
    if (!m_closeRefused) {
        if (!storeEdits(drop)) {
            m_closeRefused = true;
            cancel = true;
            return;
        }
    } else {
        storeOrDrop(drop);
    }
    dropNewRow(drop);
}

void MasterWindow::Form_Unload(bool& cancel)
{
    (void)cancel;
    releaseModel();
}

void MasterWindow::storeOrDrop(qint64 dropKey)
{
    gatherEdits(dropKey);
    if (m_model->storePending())
        return;
    const QString why = m_model->lastRefusal();
    m_model->revertAll();
    dlg::Information(why.isEmpty() ? kEditNotStored : kEditNotStored + QLatin1Char('\n') + why, this);
}

void MasterWindow::leaveRows()
{
    if (!m_model)
        return;
    // The file is going away: what cannot be stored in it now is lost, and the user is told.
    const qint64 drop = EditMode == 2 ? m_newKey : 0;
    storeOrDrop(drop);
    dropNewRow(drop);
    EditMode = 1;
}

void MasterWindow::dropNewRow(qint64 key)
{
    if (key != 0) {
        try {
            deleteRow(m_table, key);
        } catch (const std::exception&) {
            // passed over: the window closes or leaves the file all the same
        }
    }
    m_newKey = 0;
}

void MasterWindow::connectionClosing()
{
    leaveRows();
    releaseModel();
    for (QPushButton* b : {cmdAdd, cmdUpdate, cmdCancel, cmdDelete})
        b->setEnabled(false);
}

void MasterWindow::tablesCleared(const QStringList& tables)
{
    if (!m_model || !tables.contains(m_table.table))
        return;
    // The rows were deleted, and with them the new row and every edit waiting on a row: nothing is
    // left to store, and no edit may go to a row that is not there.
    m_model->revertAll();
    m_newKey = 0;
    m_keyBeforeNew = 0;
    m_closeRefused = false;
    if (!reload())
        reportModelFailure();
    setButtonsAsAtLoad();
    layoutGrid();
    EditMode = 1;
}

void MasterWindow::connectionOpened()
{
    if (!openModel()) {
        reportModelFailure();
        return;
    }
    setButtonsAsAtLoad();
    layoutGrid();
    EditMode = 1;
    fileChanged();
}

} // namespace masters
