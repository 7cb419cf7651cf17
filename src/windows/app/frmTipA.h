#pragma once
// The tip window: callers write their lines into RichTextBox1, then show it modal; OK unloads it
// and with it the text, so the next use starts empty. Windows of other folders open it through
// the window table (windows::showTip).
#include "platform/Form.h"

class QLabel;
class QPushButton;
class QTextEdit;

class frmTipA : public Form {
    Q_OBJECT
public:
    frmTipA();
    void Form_Activate() override;

    // Adds one line at the insertion point, followed by a line feed.
    void addLine(const QString& line);
    QString text() const;
    // Adds the lines and puts the insertion point back at the top, where the reader starts.
    void fill(const QStringList& lines);

    // Fills a fresh tip window with the lines and shows it modal.
    static void showLines(const QStringList& lines);

    QLabel* Picture1 = nullptr;          // the information icon
    QTextEdit* RichTextBox1 = nullptr;   // the lines the caller wrote
    QPushButton* cmdOK = nullptr;

    void cmdOK_Click();

private:
    void moveCursorToStart();
};
