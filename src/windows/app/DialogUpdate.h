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

    QLabel* Picture1 = nullptr;    // the download icon
    QGroupBox* Frame1 = nullptr;   // how to set up the update
    QLabel* Label1 = nullptr;      // the folder is on the clipboard
    QLabel* Label6 = nullptr;      // where to paste the folder
    QLineEdit* Text1 = nullptr;    // the program folder, to unpack into
    QLabel* Label5 = nullptr;      // how to download the file
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void OKButton_Click();
    void CancelButton_Click();
};
