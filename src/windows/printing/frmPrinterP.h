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

    QGroupBox* Frame2 = nullptr;                  // the printer
    QLabel* Label1 = nullptr;                     // caption of the printer list
    QComboBox* Combo3 = nullptr;                  // the printers
    QPushButton* Command3 = nullptr;              // the printer's property sheet
    QLabel* Label6 = nullptr;                     // the largest number of copies
    QLabel* Label4 = nullptr;                     // tells when the property sheet cannot be shown
    QComboBox* Combo1 = nullptr;                  // hidden: the paper codes
    QGroupBox* Frame1 = nullptr;                  // the printer's papers
    QLabel* Label2 = nullptr;                     // caption of the paper list
    QComboBox* Combo2 = nullptr;                  // the papers by name
    QLabel* Label3 = nullptr;                     // caption of the paper source
    QLabel* Label7 = nullptr;                     // the paper source
    QPushButton* Command1 = nullptr;              // OK
    QPushButton* Command5 = nullptr;              // cancel
    QGroupBox* Frame12 = nullptr;                 // the print-position offsets
    QLabel* Label21 = nullptr;                    // the offset frame's note
    QLabel* Label25 = nullptr;                    // caption of the horizontal offset
    QLineEdit* Text1 = nullptr;                   // horizontal offset in mm
    printing::UpDownControl* UpDown1 = nullptr;   // steps the horizontal offset
    QLabel* Label27 = nullptr;                    // unit of the horizontal offset
    QLabel* Label26 = nullptr;                    // caption of the vertical offset
    QLineEdit* Text3 = nullptr;                   // vertical offset in mm
    printing::UpDownControl* UpDown2 = nullptr;   // steps the vertical offset
    QLabel* Label28 = nullptr;                    // unit of the vertical offset
    QPushButton* Command2 = nullptr;              // registers the offsets
    QPushButton* Command4 = nullptr;              // cancels the offsets

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
