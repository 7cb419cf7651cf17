#include "counting/CountLineGrid.h"

#include "platform/DateBox.h"
#include "platform/Db.h"
#include "platform/GridLayout.h"
#include "platform/TextBox.h"

#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QSqlRecord>
#include <QTableView>

namespace counting {

CountLineModel::CountLineModel(QObject* parent) : PendingEditModel(parent)
{
    setTable(QStringLiteral("棚卸マスター"));
    // The lines shown come from select(); the table model's own filter only ever empties it.
    setFilter(QStringLiteral("0 = 1"));
}

bool CountLineModel::select()
{
    QSqlQuery q(database());
    bool ok = q.prepare(m_query.sql());
    if (ok) {
        for (const QVariant& a : m_query.args)
            q.addBindValue(a);
        ok = q.exec();
    }
    if (!ok) {
        setLastError(q.lastError());
        return false;
    }
    beginResetModel();
    // Callers store what they want kept before they select again. The table model's own select, on
    // a filter that matches nothing, is what empties the cache of edited and stored rows it keeps
    // over the result.
    PendingEditModel::select();
    // Reads the first rows only; the rest come in as the grid scrolls (fetchMore).
    QSqlQueryModel::setQuery(std::move(q));
    endResetModel();
    return true;
}

bool CountLineModel::updateRowInTable(int row, const QSqlRecord& values)
{
    QStringList set;
    QVariantList args;
    for (int c = 0; c < values.count(); ++c) {
        if (!values.isGenerated(c))
            continue;
        set.append(database().driver()->escapeIdentifier(values.fieldName(c), QSqlDriver::FieldName)
                   + QStringLiteral(" = ?"));
        args.append(values.value(c));
    }
    if (set.isEmpty())
        return true;
    const QVariant key = storedKey(row);
    if (!key.isValid())
        return false;
    args.append(key);
    QSqlQuery q(database());
    if (!q.prepare(QStringLiteral("UPDATE 棚卸マスター SET %1 WHERE ID = ?").arg(set.join(QStringLiteral(", "))))) {
        setLastError(q.lastError());
        return false;
    }
    for (const QVariant& a : args)
        q.addBindValue(a);
    if (!q.exec()) {
        setLastError(q.lastError());
        return false;
    }
    return true;
}

bool CountLineModel::showLines(const LineQuery& query)
{
    m_query = query;
    if (select())
        return true;
    m_query = noLines();
    select();
    return false;
}

bool CountLineModel::refresh()
{
    return select();
}

bool CountLineModel::fetchUpTo(int row)
{
    while (row >= rowCount() && canFetchMore())
        fetchMore();
    return row >= 0 && row < rowCount();
}

QVariant CountLineModel::storedKey(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return primaryValues(row).value(QStringLiteral("ID"));
}

QString CountLineModel::refusalOf(const QSqlError& error) const
{
    return refusalReason(error);
}

bool CountLineModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || value.typeId() != QMetaType::QString)
        return QSqlTableModel::setData(index, value, role);
    const CellValue cell = readLineCell(record().fieldName(index.column()), value.toString());
    // A refused text stays in the cell as typed, for the user to correct.
    return setCell(index, cell.accepted() ? cell.value : value, cell.refusal);
}

CountLineDelegate::CountLineDelegate(QObject* parent, int dateColumn, QSet<int> rightAligned)
    : QStyledItemDelegate(parent), m_dateColumn(dateColumn), m_right(std::move(rightAligned))
{
}

void CountLineDelegate::setColumns(int dateColumn, QSet<int> rightAligned)
{
    m_dateColumn = dateColumn;
    m_right = std::move(rightAligned);
}

QString CountLineDelegate::cellText(const QVariant& v, bool isDate)
{
    return lineCellText(v, isDate);
}

void CountLineDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant v = index.data(Qt::DisplayRole);
    option->text = cellText(v, index.column() == m_dateColumn);
    if (m_right.contains(index.column()))
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
}

QWidget* CountLineDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    if (index.column() == m_dateColumn) {
        auto* e = new DateBox(parent);
        e->setFrame(false);
        return e;
    }
    // No length limit: a long text stored by another writer is edited whole, never cut.
    auto* e = new TextBox(parent);
    e->setFrame(false);
    if (m_right.contains(index.column()))
        e->setAlignment(Qt::AlignRight);
    return e;
}

void CountLineDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant v = index.data(Qt::EditRole);
    if (auto* de = qobject_cast<DateBox*>(editor)) {
        const QDate d = db::fromIso(v);
        de->setDate(d.isValid() ? d : QDate::currentDate());
        return;
    }
    if (auto* le = qobject_cast<QLineEdit*>(editor))
        le->setText(cellText(v, false));
}

void CountLineDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* de = qobject_cast<DateBox*>(editor)) {
        de->endTyping();
        model->setData(index, db::isoDate(de->date()), Qt::EditRole);
        return;
    }
    if (auto* le = qobject_cast<QLineEdit*>(editor)) {
        // An untouched cell is not an edit: the number it shows keeps its stored type.
        if (le->text() == cellText(index.data(Qt::EditRole), false))
            return;
        model->setData(index, le->text(), Qt::EditRole);
    }
}

bool CountLineDelegate::eventFilter(QObject* editor, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool leaving = key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return || key == Qt::Key_Enter;
        auto* box = qobject_cast<DateBox*>(editor);
        if (leaving && box && !box->finishTyping())
            return true;
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}

void applyCountLineLayout(QTableView* view)
{
    auto* m = qobject_cast<QSqlQueryModel*>(view->model());
    if (!m)
        return;
    static const QHash<QString, int> widths{
        {QStringLiteral("ID"), 0},      {QStringLiteral("日付"), 1200}, {QStringLiteral("項目ID"), 600},
        {QStringLiteral("品名"), 3800}, {QStringLiteral("数量"), 1200}, {QStringLiteral("単位"), 600},
        {QStringLiteral("単価"), 1200}, {QStringLiteral("価格"), 1200}, {QStringLiteral("備考"), 1200},
        {QStringLiteral("備考1"), 1200},
    };
    const QSqlRecord rec = m->record();
    QList<int> tw;
    QSet<int> right;
    int dateColumn = -1;
    for (int c = 0; c < rec.count(); ++c) {
        const QString name = rec.fieldName(c);
        tw.append(widths.value(name, -1));
        if (name == QStringLiteral("数量") || name == QStringLiteral("単価") || name == QStringLiteral("価格"))
            right.insert(c);
        if (name == QStringLiteral("日付"))
            dateColumn = c;
    }
    grid::setColumnWidths(view, tw);
    auto* d = qobject_cast<CountLineDelegate*>(view->itemDelegate());
    if (d)
        d->setColumns(dateColumn, right);
    else
        view->setItemDelegate(new CountLineDelegate(view, dateColumn, right));
    grid::setRowHeightTwips(view, 360);
}

} // namespace counting
