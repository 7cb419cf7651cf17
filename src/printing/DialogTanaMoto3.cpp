#include "printing/DialogTanaMoto3.h"

namespace {

printing::PrintDialogTraits dialogTraits()
{
    printing::PrintDialogTraits t;
    t.objectName = "DialogTanaMoto3";
    t.dateLabel = QStringLiteral("決算日(&D)");
    return t;
}

} // namespace

DialogTanaMoto3::DialogTanaMoto3() : PrintDialogShell(dialogTraits()) {}
