#pragma once
// Excel 97-2003 workbooks (.xls): BIFF8 records in an OLE2 compound file, with one worksheet
// "Sheet1" that holds a heading row and then the rows of a table in their order. Numbers become
// number cells, texts Unicode text cells from the shared string table, a Null or empty value an
// empty cell.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlQuery;

namespace xls {

struct Table {
    QStringList headings;
    QList<QVariantList> rows;
};

// A BIFF8 sheet has 65,536 rows and 256 columns; the heading row takes one of the rows.
inline constexpr int kMaxDataRows = 65535;
inline constexpr int kMaxColumns = 256;
// Excel keeps at most this many characters in a cell; longer texts are cut there.
inline constexpr int kMaxCellChars = 32767;

// The rows of an executed SELECT, headed by its column names (the aliases of the select list).
// Reading stops after maxRows + 1 rows: enough to tell that the list is too long for a sheet
// without holding all of it.
Table tableFromQuery(QSqlQuery& query, int maxRows = kMaxDataRows);

// The BIFF8 records of the workbook, as they go into the compound file's "Workbook" stream.
// Empty, with *error set, when the table does not fit one sheet.
QByteArray workbookStream(const Table& table, QString* error = nullptr);

class XlsWriter {
public:
    // Writes the workbook to file. The file is replaced only by a complete workbook: on any
    // failure an existing file keeps its old contents.
    bool write(const Table& table, const QString& file);
    QString errorString() const { return m_error; }

private:
    QString m_error;
};

} // namespace xls
