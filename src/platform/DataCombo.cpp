#include "platform/DataCombo.h"

#include "platform/Db.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSqlQuery>

DataCombo::DataCombo(QWidget* parent) : QComboBox(parent)
{
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
}

bool DataCombo::setRowSource(const QString& sql, const QVariantList& args, const QString& listField,
                             const QString& boundField)
{
    QList<QSqlRecord> rows;
    try {
        QSqlQuery q = db::exec(sql, args);
        while (q.next())
            rows.append(q.record());
    } catch (const db::DbError&) {
        return false;
    }
    m_rows = rows;
    m_listField = listField;
    m_boundField = boundField;

    const QString typed = lineEdit()->text();
    const int cursor = lineEdit()->cursorPosition();
    m_filling = true;
    {
        const QSignalBlocker block(this);
        clear();
        for (const QSqlRecord& r : m_rows)
            addItem(r.value(listField).toString());
        setCurrentIndex(-1);
        lineEdit()->setText(typed);
        lineEdit()->setCursorPosition(cursor);
    }
    m_filling = false;
    setCurrentRow(m_rows.isEmpty() ? -1 : 0);
    return true;
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
