#pragma once
// The count-entry-book print dialog: the shared print frame with the previous count's date and the
// category choice, and the print button that checks the date's lines and runs the book's engine.
// The dialog stays open after printing, so the book can be printed again.
#include "printing/CountSheet.h"
#include "printing/PrintDialogShell.h"

#include <optional>

class DialogTanaMoto2 : public printing::PrintDialogShell {
    Q_OBJECT
public:
    DialogTanaMoto2();

    void Command3_Click();  // 印刷

    // The engine's answer of the last print.
    printing::SheetResult lastResult() const { return m_lastResult; }
    bool lastPrintRan() const { return m_printRan; }
    // The request the dialog's state makes for the engine.
    printing::SheetRequest bookRequest() const;
    // The chosen category's 項目ID from the hidden key box; none when it holds no number (a typed
    // name that matches no category leaves it empty).
    std::optional<qint64> chosenCategory() const;

    static const QString kNoEarlierCount;
    static const QString kNotPrinted;

private:
    printing::SheetResult m_lastResult;
    bool m_printRan = false;
};
