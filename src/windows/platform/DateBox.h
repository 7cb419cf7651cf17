#pragma once
// The date box of every window: a date edit (yyyy/MM/dd, calendar popup, Up/Down step the section
// under the cursor, Tab goes on to the next control) that takes a date typed on the keyboard as
// the user typed it.
//
// A date is typed whole, from the section the cursor is in (the year after Tab or the access key):
// "2026/12/31", "2026/1/5", "2026-12-31" and "20261231" are all that date; sections not typed keep
// their value. The box shows the characters as they are typed and takes the date when the user
// leaves the box (Tab, Enter, a click elsewhere, a shortcut), steps it or opens its calendar, so
// dateChanged fires once, with the date typed. A section that filled itself takes the separator
// typed after it as its own, so no section is ever skipped. A text that is no date (2026/02/30) is
// never turned into another date: Tab and Enter stay in the box with the text selected to be typed
// again (Escape gives the date back), anything else leaves the date as it was.
#include <QDate>
#include <QDateEdit>
#include <QString>

class DateBox : public QDateEdit {
    Q_OBJECT
public:
    explicit DateBox(QWidget* parent = nullptr);

    // A date being typed becomes the box's date. When the typed text is no date the box keeps its
    // date and the text, selects the text, beeps and returns false: the user corrects it in place.
    bool finishTyping();
    // A date being typed becomes the box's date when it is one; otherwise the text is dropped and
    // the box shows its date again.
    void endTyping();
    bool isTyping() const { return m_typing; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* e) override;
#endif

private:
    // The date the typed text gives, invalid when it gives none. last: the section typed last.
    QDate typedDate(int* last = nullptr) const;
    void type(QChar c);
    void eraseBack();
    void showTyped();
    // Leaves typing: shows the box's date and puts the cursor in the given section.
    void stopTyping(int section);

    bool m_typing = false;
    QDate m_before;     // the box's date when typing began; fills the sections not typed
    int m_first = 0;    // the section typing began in (0 year, 1 month, 2 day)
    QString m_prefix;   // the sections before it, as shown
    QString m_typed;    // the characters taken so far
};
