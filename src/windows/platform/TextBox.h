#pragma once
// The text box every window uses where a text may be limited to a number of characters. A
// character outside the basic plane counts one and is taken whole or not at all. What comes in at
// once (a paste, a dropped text, the input method's commit) keeps its first characters up to the
// limit; a key typed into a full box is refused. Without a limit the box takes and shows a text of
// any length.
#include <QLineEdit>

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr, int characterLimit = 0);

    // 0: no limit.
    void setCharacterLimit(int characters);
    int characterLimit() const { return m_limit; }

    // Shows the text whole, even when it is longer than the limit (a text stored by another
    // writer): while it is shown, what is typed may make it no longer than it is.
    void showText(const QString& text);

    // Characters of the text: a surrogate pair counts one, a lone surrogate unit one.
    static int characters(const QString& text);
    // The first n characters of the text, a surrogate pair never split.
    static QString firstCharacters(const QString& text, int n);

private:
    friend class TextBoxLimit;
    int m_limit = 0;
    int m_allowed = 0;   // the limit, or the length of a longer text shown
    QString m_before;    // the text before the change being checked
};
