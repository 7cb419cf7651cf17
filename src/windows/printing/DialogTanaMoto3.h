#pragma once
// The grouped summary print dialog: the shared print frame without a category choice. Its opener
// writes the sheet title into Text3, which becomes the caption at every activation, and the group
// column's heading into Text4, which also chooses the grouping the print button prints.
#include "printing/PrintDialogShell.h"
#include "printing/SummarySheet.h"

class DialogTanaMoto3 : public printing::PrintDialogShell {
    Q_OBJECT
public:
    DialogTanaMoto3();

    void Command3_Click();   // 印刷

    // The request the dialog's state makes for the engine.
    printing::SummaryRequest summaryRequest() const;
    printing::SheetResult lastResult() const { return m_lastResult; }
    bool lastPrintRan() const { return m_printRan; }

    QLineEdit* Text4 = nullptr;   // hidden: the group column's heading

    // Told when a run could not send its sheet (the database or the printer failed).
    static const QString kPrintFailed;

private:
    printing::SheetResult m_lastResult;
    bool m_printRan = false;
};
