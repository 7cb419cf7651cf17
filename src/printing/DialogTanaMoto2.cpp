#include "printing/DialogTanaMoto2.h"

namespace {

printing::PrintDialogTraits dialogTraits()
{
    printing::PrintDialogTraits t;
    t.objectName = "DialogTanaMoto2";
    t.caption = QStringLiteral("棚卸記入帳　　印刷");
    t.dateLabel = QStringLiteral("前期の棚卸日(&D)");
    t.categoryChoice = true;
    t.categoryLabel = QStringLiteral("項目/分類名(&K)");
    t.loadFailureTold = true;
    return t;
}

} // namespace

DialogTanaMoto2::DialogTanaMoto2() : PrintDialogShell(dialogTraits()) {}
