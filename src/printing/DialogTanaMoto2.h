#pragma once
// The count-entry-book print dialog: the shared print frame with the previous count's date and the
// category choice. Its print button comes with the count-entry book.
#include "printing/PrintDialogShell.h"

class DialogTanaMoto2 : public printing::PrintDialogShell {
    Q_OBJECT
public:
    DialogTanaMoto2();
};
