#pragma once
// Exporting a list to an Excel 97-2003 workbook and opening it, as the product window and the
// summary list do: the save dialog, the overwrite question, the widget-free write
// (app/ListWorkbook.h), then the workbook opened with its associated program.
#include "app/ListWorkbook.h"

#include <QString>
#include <QVariantList>

class QWidget;

namespace listexport {

// Runs the export steps for the rows of the SELECT (values bound from args). Returns true when a
// workbook was written and handed to its program. Failures end silently, except a list too long
// for one sheet, which is told to the user; an existing file is replaced only by a finished
// workbook.
bool exportList(const QString& selectSql, const QVariantList& args, QWidget* parent);

} // namespace listexport
