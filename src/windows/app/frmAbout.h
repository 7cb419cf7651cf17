#pragma once
// The version box.
#include "platform/Form.h"

class QLabel;
class QPushButton;

class frmAbout : public Form {
    Q_OBJECT
public:
    frmAbout();
    void Form_Load() override;
    void Form_Activate() override;

    QLabel* Picture1 = nullptr;   // the program's icon
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* Label1 = nullptr;     // the product's name
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    void cmdOK_Click();
    void cmdSysInfo_Click();
};

namespace global {
// The program's title, which also names the settings store.
QString AppTitle();
// Starts the system-information tool; this platform has none, so it says so.
void StartSysInfo();
}
