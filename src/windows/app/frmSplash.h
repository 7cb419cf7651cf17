#pragma once
// The splash window shown while the main window loads.
#include "platform/Form.h"

class QFrame;
class QLabel;

class frmSplash : public Form {
    Q_OBJECT
public:
    frmSplash();
    void Form_Load() override;

    QFrame* fraMainFrame = nullptr;
    QLabel* Picture2 = nullptr;   // the program's icon
    QLabel* lblVersion = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblLicenseTo = nullptr;
};
