#pragma once
// The printer setup window: the printer the whole program prints on, the papers it offers with its
// current paper and paper source, the largest number of copies, the printer's default paper and
// its property sheet. The printer chosen here stays current after the window closes.
#include "platform/Form.h"
#include "printing/PrinterSetupData.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace printing {
class UpDownControl;
}

class frmPrinterP : public Form {
    Q_OBJECT
public:
    frmPrinterP();

    void Form_Load() override;
    void Form_Activate() override;

    void Combo3_Click();    // a printer chosen
    void Combo2_Click();    // a paper name chosen
    void Command3_Click();  // property sheet
    void Command1_Click();  // OK
    void Command5_Click();  // ｷｬﾝｾﾙ
    void Command2_Click();  // 登録 in the offset frame
    void Command4_Click();  // ｷｬﾝｾﾙ in the offset frame
    void UpDown1_Change();
    void UpDown2_Change();

    // The chosen printer's position in the printer collection; -1 until the load finds it.
    int SetupPrinterIndex = -1;
    // What the last LoadPaperInfo read about the printer.
    const printing::setup::PaperInfo& paperInfo() const { return m_info; }
    // True when the paper part is greyed because the printer could not be asked.
    bool paperPartGreyed() const { return m_greyed; }

    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo3 = nullptr;
    QPushButton* Command3 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* Combo1 = nullptr;   // hidden: the paper codes
    QGroupBox* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command5 = nullptr;
    QGroupBox* Frame12 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label25 = nullptr;
    QLineEdit* Text1 = nullptr;
    printing::UpDownControl* UpDown1 = nullptr;
    QLabel* Label27 = nullptr;
    QLabel* Label26 = nullptr;
    QLineEdit* Text3 = nullptr;
    printing::UpDownControl* UpDown2 = nullptr;
    QLabel* Label28 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;

    static const QString kCannotShow;

private:
    void buildUi();
    void LoadPaperInfo();
    void ShowCurrentPaperSize();
    void setPaperPartEnabled(bool on);
    void setOffsetsBold(bool bold);
    // Tells that the printer chosen has gone and shows the list as it is now.
    void printerGone(const QString& name);

    printing::setup::PaperInfo m_info;
    QString m_infoPrinter;   // the printer m_info was read from
    bool m_greyed = false;
};
