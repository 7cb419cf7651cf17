#pragma once
// Writing a list to an Excel 97-2003 workbook: the rows of one SELECT written to Sheet1 with the
// select list's aliases as the heading row. No dialog here: the window asks for the file name
// and tells the user what came of it (app/ListExport.h).
#include <QString>
#include <QVariantList>

namespace listexport {

// The product list's SELECT (品名, 単位, 単価), by 品名ID when byKey, else by 品名.
QString productListSql(bool byKey);

enum class ListWrite {
    Written,       // the workbook is in the file
    Failed,        // the rows could not be read or the file not written; the file is as it was
    TooManyRows,   // the list is longer than one sheet holds; nothing was written
};

// Writes the rows of the SELECT (values bound from args) to the file, as typed (no extension is
// added). An existing file is replaced only by a finished workbook.
ListWrite writeList(const QString& selectSql, const QVariantList& args, const QString& file);

} // namespace listexport
