#pragma once
// The categories (項目分類), maintained by hand; 未区分 is not shown. Deleting a category leaves the
// count lines that carried it without one, so closing the window after a delete says so and opens
// the count correction window, whose check finds those lines.
#include "masters/MasterWindow.h"

class frmKoumoku : public masters::MasterWindow {
    Q_OBJECT
public:
    frmKoumoku();

    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload(bool& cancel) override;

    // A category was deleted since the window was loaded (in the file it shows).
    bool KoumokuDeleted = false;

    static const QString kDeletedNotice;

protected:
    void rowDeleted() override { KoumokuDeleted = true; }
    // Lines left without a category in the file the window showed before are found when the
    // correction window next opens on that file.
    void fileChanged() override { KoumokuDeleted = false; }
};
