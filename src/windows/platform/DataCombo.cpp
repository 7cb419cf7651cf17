#include "platform/DataCombo.h"

#include "platform/Db.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QStandardItemModel>

namespace {
constexpr int kPageRows = 30;   // two popups full; more as the list scrolls

// The list's items, asking the box for the next rows when the popup scrolls to its end.
class RowsModel : public QStandardItemModel {
public:
    explicit RowsModel(DataCombo* box) : QStandardItemModel(box), m_box(box) {}
    bool canFetchMore(const QModelIndex& parent) const override
    {
        // Only an open list reads on. A closed one is asked too, after every refill, and answering
        // that would first lay out every item it holds (on each keystroke that narrows it).
        return !parent.isValid() && m_box->hasMoreRows() && m_box->view()->isVisible();
    }
    void fetchMore(const QModelIndex& parent) override
    {
        if (!parent.isValid())
            m_box->fetchMoreRows();
    }
private:
    DataCombo* m_box;
};
} // namespace

DataCombo::DataCombo(QWidget* parent) : QComboBox(parent)
{
    setModel(new RowsModel(this));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would rewrite what the user types; the list narrows instead.
    setCompleter(nullptr);
    setMaxVisibleItems(15);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!m_filling)
            emit Change();
    });
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (m_filling)
            return;
        setCurrentRow(index);
        emit Click();
    });
    // A list never offers rows that were deleted with their whole table.
    connect(&db::notifier(), &db::Notifier::tablesCleared, this, [this](const QStringList& tables) {
        for (const QString& t : tables)
            if (m_sql.contains(t)) {
                refill();
                return;
            }
    });
}

bool DataCombo::refill()
{
    if (m_sql.isEmpty())
        return true;
    const QString sql = m_sql;
    const QVariantList args = m_args;
    const QString listField = m_listField;
    const QString boundField = m_boundField;
    return setRowSource(sql, args, listField, boundField);
}

std::optional<QList<QSqlRecord>> DataCombo::readPage(qsizetype first) const
{
    // Each page is one statement run to its end: no read stays open on the connection.
    QVariantList args = m_args;
    args << kPageRows << QVariant::fromValue<qint64>(first);
    QList<QSqlRecord> rows;
    try {
        QSqlQuery q = db::exec(m_sql + QStringLiteral(" LIMIT ? OFFSET ?"), args);
        while (q.next())
            rows.append(q.record());
    } catch (const db::DbError& e) {
        m_lastFailure = e.cause();
        return std::nullopt;
    }
    return rows;
}

void DataCombo::appendItems(const QList<QSqlRecord>& rows, bool replace)
{
    const QString typed = lineEdit()->text();
    const int cursor = lineEdit()->cursorPosition();
    const int current = currentIndex();
    m_filling = true;
    {
        const QSignalBlocker block(this);
        if (replace)
            clear();
        // One insertion for the page, not one per row.
        QList<QStandardItem*> items;
        items.reserve(rows.size());
        for (const QSqlRecord& r : rows)
            items.append(new QStandardItem(r.value(m_listField).toString()));
        if (!items.isEmpty())
            static_cast<QStandardItemModel*>(model())->invisibleRootItem()->appendRows(items);
        setCurrentIndex(replace ? -1 : current);
        lineEdit()->setText(typed);
        lineEdit()->setCursorPosition(cursor);
    }
    m_filling = false;
}

bool DataCombo::setRowSource(const QString& sql, const QVariantList& args, const QString& listField,
                             const QString& boundField)
{
    const QString oldSql = m_sql;
    const QVariantList oldArgs = m_args;
    m_sql = sql;
    m_args = args;
    const std::optional<QList<QSqlRecord>> rows = readPage(0);
    if (!rows) {
        m_sql = oldSql;
        m_args = oldArgs;
        return false;
    }
    m_rows = *rows;
    m_more = rows->size() == kPageRows;
    m_listField = listField;
    m_boundField = boundField;
    appendItems(m_rows, true);
    setCurrentRow(m_rows.isEmpty() ? -1 : 0);
    return true;
}

void DataCombo::fetchMoreRows()
{
    if (!m_more)
        return;
    const std::optional<QList<QSqlRecord>> rows = readPage(m_rows.size());
    if (!rows)
        return;   // the list keeps what it shows; scrolling asks again
    m_more = rows->size() == kPageRows;
    m_rows += *rows;
    appendItems(*rows, false);
}

void DataCombo::clearRows()
{
    const QString typed = lineEdit()->text();
    m_filling = true;
    {
        const QSignalBlocker block(this);
        clear();
        lineEdit()->setText(typed);
    }
    m_filling = false;
    m_rows.clear();
    m_more = false;
    m_sql.clear();
    m_args.clear();
    setCurrentRow(-1);
}

QVariant DataCombo::currentKey() const
{
    if (m_currentRow < 0 || m_currentRow >= m_rows.size() || m_boundField.isEmpty())
        return {};
    return m_rows.at(m_currentRow).value(m_boundField);
}

void DataCombo::bindKeyBox(QLineEdit* box)
{
    m_keyBox = box;
    setCurrentRow(m_currentRow);
}

void DataCombo::setText(const QString& t)
{
    m_filling = true;
    {
        const QSignalBlocker block(this);
        setCurrentIndex(-1);
        lineEdit()->setText(t);
    }
    m_filling = false;
}

void DataCombo::setCurrentRow(int row)
{
    m_currentRow = row;
    if (m_keyBox) {
        const QVariant k = currentKey();
        m_keyBox->setText(k.isValid() && !k.isNull() ? k.toString() : QString());
    }
}

bool FocusMoves::isGotFocus(QFocusEvent* e)
{
    const bool back = m_keptWhileAway;
    m_keptWhileAway = false;
    switch (e->reason()) {
    case Qt::PopupFocusReason:
        return false;
    case Qt::ActiveWindowFocusReason:
        return !back;   // the window's first focus is an arrival; a return is not
    default:
        return true;
    }
}

bool FocusMoves::isLostFocus(QWidget* control, QFocusEvent* e)
{
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason) {
        m_keptWhileAway = true;
        return false;
    }
    m_keptWhileAway = false;
    // A window closing or hiding takes the focus nowhere.
    const QWidget* next = QApplication::focusWidget();
    return next && next != control && next->window() == control->window();
}

void DataCombo::focusInEvent(QFocusEvent* e)
{
    QComboBox::focusInEvent(e);
    // Coming back from a message box or another window is not the user entering the box: its
    // lookups and list narrowing do not run again.
    if (m_focus.isGotFocus(e))
        emit GotFocus();
}

void DataCombo::focusOutEvent(QFocusEvent* e)
{
    QComboBox::focusOutEvent(e);
    // A message box shown by a handler takes the focus too: counted as leaving the box, the same
    // check would run (and tell the user) once more.
    if (m_focus.isLostFocus(this, e))
        emit LostFocus();
}
