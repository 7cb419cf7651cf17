#pragma once
// The update dialog: puts the program folder on the clipboard as the unpacking folder and opens
// the maker's download page.
#include "platform/Form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class DialogUpdate : public Form {
    Q_OBJECT
public:
    DialogUpdate();
    void Form_Load() override;
    void Form_Activate() override;

    QLabel* Picture1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void OKButton_Click();
    void CancelButton_Click();
};
