#pragma once
// The count-sheet print dialog: the shared print frame plus the paper kind, the rules tying the
// paper kind to the category choice and the offset frame, and the print button that checks the
// closing date's lines and runs the engine of the paper kind.
#include "printing/CountSheet.h"
#include "printing/PrintDialogShell.h"

class QComboBox;

class DialogTanaMoto1 : public printing::PrintDialogShell {
    Q_OBJECT
public:
    DialogTanaMoto1();

    void Combo1_Change();   // the paper kind typed (or set by code)
    void Combo1_Click();    // a paper kind chosen from the list
    void Command3_Click();  // 印刷

    // The engine's answer of the last print (what the check of the printed total used).
    printing::SheetResult lastResult() const { return m_lastResult; }
    bool lastPrintRan() const { return m_printRan; }
    // The request the dialog's state makes for an engine.
    printing::SheetRequest sheetRequest() const;

    QLabel* Label2 = nullptr;      // caption of the paper kind
    QComboBox* Combo1 = nullptr;   // the paper kind: the A4 layouts or the preprinted form
    QLineEdit* Text1 = nullptr;    // hidden: the database total of the date, shown as text

    bool CategoryCheckOk = false;

    static const QString kNoPerCategory;
    static const QString kStopForCorrection;
    static const QString kNoCountLines;
    static const QString kNotPrinted;

protected:
    bool loadOwnControls() override;
    void applyOffsetFrameRule() override;
    void beforeOption1Enabling() override;
    void saveOwnSettings() override;

private:
    void CategoryRule();
    void CheckUncategorised();
    // The date's total from the database (also written into Text1); the last total read when the
    // database cannot be read now.
    double GrandTotal();

    printing::SheetResult m_lastResult;
    double m_databaseTotal = 0;
    bool m_printRan = false;
};
