#pragma once
// The grouped summary print dialog: the shared print frame without a category choice; its opener
// writes the sheet title into Text3, which becomes the caption. Its print button comes with the
// summary sheets.
#include "printing/PrintDialogShell.h"

class DialogTanaMoto3 : public printing::PrintDialogShell {
    Q_OBJECT
public:
    DialogTanaMoto3();
};
