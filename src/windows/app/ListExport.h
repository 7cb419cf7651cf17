#pragma once
// Writing a list to an Excel 97-2003 workbook and opening it, as the product window and the summary
// list do: the save dialog, the overwrite question, the rows of one SELECT written to Sheet1 with the
// select list's aliases as the heading row, then the workbook opened with its associated program.
#include <QString>
#include <QVariantList>

class QWidget;

namespace listexport {

// The product list's SELECT (品名, 単位, 単価), by 品名ID when byKey, else by 品名.
QString productListSql(bool byKey);

// Runs the export steps for the rows of the SELECT (values bound from args). Returns true when a
// workbook was written and handed to its program. Failures end silently, except a list too long
// for one sheet, which is told to the user; an existing file is replaced only by a finished
// workbook.
bool exportList(const QString& selectSql, const QVariantList& args, QWidget* parent);

} // namespace listexport
