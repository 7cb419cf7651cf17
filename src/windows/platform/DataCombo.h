#pragma once
// An editable list over rows of a query: it lists one field (the list field) and knows the key
// (the bound field) of its current row, which a key box may show. The current row is the first row
// after the list is refilled, and the picked row after a pick from the list. A long list is read
// a page at a time, the next page when the open list is scrolled to its end.
#include "platform/Db.h"

#include <QComboBox>
#include <QPointer>
#include <QSqlRecord>
#include <QVariant>
#include <optional>

#include <QLineEdit>

class QFocusEvent;

// Tells a control's GotFocus and LostFocus apart from other focus changes, as the form runtime
// does: only the focus moving between two controls of the same window (or arriving in a window
// that had no focused control yet) counts. Another window taking the focus (a message box, the
// main window, a list's popup) and giving it back later is neither.
class FocusMoves {
public:
    bool isGotFocus(QFocusEvent* e);
    bool isLostFocus(QWidget* control, QFocusEvent* e);
private:
    // The control kept its window's focus while another window had it.
    bool m_keptWhileAway = false;
};

class DataCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DataCombo(QWidget* parent = nullptr);

    // Refills the list from the query (a SELECT without LIMIT); the typed text stays as it is. On
    // a failing query the list keeps its rows and false is returned.
    bool setRowSource(const QString& sql, const QVariantList& args, const QString& listField,
                      const QString& boundField = QString());
    void clearRows();
    // Reads the rows of the list's query again (done by itself when a table it lists from was
    // cleared); the typed text stays, the first row becomes current.
    bool refill();
    // Why the last failing query failed.
    db::Cause lastFailure() const { return m_lastFailure; }

    // The rows read so far.
    int rowCount() const { return m_rows.size(); }
    bool hasMoreRows() const { return m_more; }
    void fetchMoreRows();
    QSqlRecord record(int row) const { return m_rows.value(row); }
    int currentRow() const { return m_currentRow; }
    // The bound field of the current row; invalid when the list is empty.
    QVariant currentKey() const;

    // A text box that always shows the key of the current row.
    void bindKeyBox(QLineEdit* box);
    QLineEdit* keyBox() const { return m_keyBox; }

    QString text() const { return currentText(); }
    // Sets the text from code; raises no Change.
    void setText(const QString& t);

signals:
    void Change();     // the user typed
    void Click();      // the user picked a row from the list
    void GotFocus();   // the focus came from another control of the window
    void LostFocus();  // the focus went to another control of the window

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void setCurrentRow(int row);
    std::optional<QList<QSqlRecord>> readPage(qsizetype first) const;
    void appendItems(const QList<QSqlRecord>& rows, bool replace);

    QString m_sql;
    QVariantList m_args;
    mutable db::Cause m_lastFailure = db::Cause::Other;
    bool m_more = false;
    QList<QSqlRecord> m_rows;
    QString m_listField;
    QString m_boundField;
    int m_currentRow = -1;
    QPointer<QLineEdit> m_keyBox;
    bool m_filling = false;
    FocusMoves m_focus;
};
