#pragma once
// An editable table on the shared connection whose edits are stored when the grid leaves the row,
// and never dropped when they cannot be: text a field cannot take stays in its cell as typed, the
// row stays pending (and on screen) until it is corrected, and the refusal is told in words for
// the user. What a typed text becomes, and how a database refusal is worded, is the table's own.
#include <QMap>
#include <QSet>
#include <QSqlTableModel>

class PendingEditModel : public QSqlTableModel {
    Q_OBJECT
public:
    explicit PendingEditModel(QObject* parent = nullptr);

    // Stores the pending edits. When they are refused they stay pending (and on screen), false is
    // returned and lastRefusal() tells why.
    bool storePending();
    QString lastRefusal() const { return m_lastRefusal; }
    // The first row holding edits not yet stored, or -1.
    int pendingRow() const;

    // Reads the rows again; the pending edits are dropped (store them first).
    bool select() override;
    // The grid leaving a row stores it; a refusal is announced by editRefused.
    bool submit() override;
    void revertRow(int row) override;

signals:
    void editRefused(const QString& why);

protected:
    // Puts a value into a cell; a refusal (not empty) keeps the value as typed and refuses to
    // store the row until the cell is set again with a value the field takes.
    bool setCell(const QModelIndex& index, const QVariant& value, const QString& refusal = {});
    // Forgets which cells were refused and which rows were edited (the rows were read again).
    void forgetEdits();
    void clearRefusal() { m_lastRefusal.clear(); }
    // The words for a refusal by the database; empty tells the user no reason of its own. By
    // default the cause when the file itself takes no write (full, in use, read-only, damaged).
    virtual QString refusalOf(const QSqlError& error) const;

private:
    // The first refused cell's reason, or empty when the pending edits may go to the database.
    QString pendingRefusal() const;

    QMap<int, QMap<int, QString>> m_badCells;   // row -> column -> why it is refused
    QSet<int> m_editedRows;
    QString m_lastRefusal;
};
