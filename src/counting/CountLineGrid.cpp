#include "counting/CountLineGrid.h"

#include "platform/Db.h"
#include "platform/GridLayout.h"

#include <QDateEdit>
#include <QHash>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QTableView>

namespace counting {

namespace {
bool isNumberType(QMetaType t)
{
    switch (t.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}
} // namespace

CountLineModel::CountLineModel(QObject* parent) : QSqlTableModel(parent, db::connection())
{
    setTable(QStringLiteral("棚卸マスター"));
    setEditStrategy(QSqlTableModel::OnRowChange);
    setSort(record().indexOf(QStringLiteral("ID")), Qt::AscendingOrder);
}

void CountLineModel::fetchEverything()
{
    // A finished query leaves no statement open on the shared connection, so the writes of other
    // commands are never held up by the grid.
    while (canFetchMore())
        fetchMore();
}

bool CountLineModel::showLines(const QString& filter)
{
    setFilter(filter);
    if (select()) {
        fetchEverything();
        return true;
    }
    setFilter(QStringLiteral("0 = 1"));
    select();
    return false;
}

bool CountLineModel::refresh()
{
    const bool ok = select();
    fetchEverything();
    return ok;
}

bool CountLineModel::storePending()
{
    if (!isDirty())
        return true;
    if (submitAll())
        return true;
    m_lastRefusal = lastError().text();
    return false;
}

bool CountLineModel::submit()
{
    if (!isDirty())
        return true;
    if (QSqlTableModel::submit())
        return true;
    m_lastRefusal = lastError().text();
    emit editRefused(m_lastRefusal);
    return false;
}

bool CountLineModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == Qt::EditRole && index.isValid() && value.typeId() == QMetaType::QString
        && value.toString().trimmed().isEmpty()) {
        const QSqlField f = record().field(index.column());
        if (isNumberType(f.metaType()))
            return QSqlTableModel::setData(index, QVariant(f.metaType()), role);
    }
    return QSqlTableModel::setData(index, value, role);
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
    if (!v.isValid() || v.isNull())
        return QString();
    if (isDate) {
        const QDate d = db::fromIso(v);
        return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : v.toString();
    }
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
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
        auto* e = new QDateEdit(parent);
        e->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        e->setCalendarPopup(true);
        e->setFrame(false);
        return e;
    }
    auto* e = new QLineEdit(parent);
    e->setFrame(false);
    if (m_right.contains(index.column()))
        e->setAlignment(Qt::AlignRight);
    return e;
}

void CountLineDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant v = index.data(Qt::EditRole);
    if (auto* de = qobject_cast<QDateEdit*>(editor)) {
        const QDate d = db::fromIso(v);
        de->setDate(d.isValid() ? d : QDate::currentDate());
        return;
    }
    if (auto* le = qobject_cast<QLineEdit*>(editor))
        le->setText(cellText(v, false));
}

void CountLineDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* de = qobject_cast<QDateEdit*>(editor)) {
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
