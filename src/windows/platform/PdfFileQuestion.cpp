#include "platform/PdfFileQuestion.h"

#include "platform/Cursor.h"
#include "platform/Dialogs.h"
#include "platform/PrinterPainter.h"

#include <QFileInfo>

namespace prn {

std::optional<QString> askPdfFileName(QWidget* parent)
{
    // The user answers these questions with the normal pointer; a job that asks while it runs goes
    // on under the hourglass again.
    const bool busy = pointer::isHourglass();
    if (busy)
        pointer::reset();
    struct Restore {
        bool busy;
        ~Restore()
        {
            if (busy)
                pointer::hourglass();
        }
    } restore{busy};
    std::optional<QString> chosen = dlg::SaveFile(QStringLiteral("PDF ファイルに出力"),
                                                  QStringLiteral("PDF ファイル (*.pdf)|*.pdf"), 1, parent);
    if (!chosen || chosen->trimmed().isEmpty())
        return std::nullopt;
    QString name = *chosen;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".pdf");
    // The seam's file dialog leaves the overwrite question to its caller; a PDF printer asks it.
    if (QFileInfo::exists(name) &&
        dlg::Question(QStringLiteral("%1 は既に存在します。\n上書きしますか？").arg(QFileInfo(name).fileName()),
                      parent) != dlg::vbYes)
        return std::nullopt;
    return name;
}

bool chooseOutputFile(PrinterObject& printer, QWidget* parent, const std::function<bool()>& drawsPages)
{
    auto* pdf = dynamic_cast<PdfFilePrinter*>(&printer);
    if (!pdf || !pdf->needsFileName() || (drawsPages && !drawsPages()))
        return true;
    const std::optional<QString> name = askPdfFileName(parent);
    if (!name)
        return false;
    pdf->setFileName(*name);
    return true;
}

void forgetOutputFile(PrinterObject& printer)
{
    if (auto* pdf = dynamic_cast<PdfFilePrinter*>(&printer))
        pdf->setFileName({});
}

} // namespace prn
