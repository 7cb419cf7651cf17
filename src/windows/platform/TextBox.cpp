#include "platform/TextBox.h"

#include <QValidator>

#include <algorithm>
#include <limits>

namespace {
// Whether the text has a surrogate pair whose units sit on both sides of this position.
bool splitsPair(const QString& text, qsizetype at)
{
    return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate() && text.at(at).isLowSurrogate();
}
} // namespace

// Every change of the box's text passes here, however it came (keys, paste, drop, input method).
// The text after the cursor was there before the change; the text that came in ends at the cursor.
class TextBoxLimit : public QValidator {
public:
    explicit TextBoxLimit(TextBox* box) : QValidator(box), m_box(box) {}

    State validate(QString& input, int& pos) const override
    {
        const int allowed = m_box->m_allowed;
        if (allowed <= 0 || TextBox::characters(input) <= allowed)
            return Acceptable;
        const QString& before = m_box->m_before;
        const qsizetype end = std::clamp<qsizetype>(pos, 0, input.size());
        const QString tail = input.mid(end);
        if (tail.size() > before.size() || !before.endsWith(tail))
            return Invalid;
        // Where the new text starts: after what it shares with the text before it.
        qsizetype start = 0;
        const qsizetype maxStart = std::min(end, before.size() - tail.size());
        while (start < maxStart && input.at(start) == before.at(start))
            ++start;
        if (splitsPair(input, start))
            --start;
        int room = allowed - TextBox::characters(input.left(start)) - TextBox::characters(tail);
        // A shared start that leaves no room belongs to the new text (it replaced a selection
        // beginning with the same characters).
        while (room < 0 && start > 0) {
            start -= splitsPair(input, start - 1) ? 2 : 1;
            ++room;
        }
        if (room < 0)
            return Invalid;
        const QString kept = input.left(start) + TextBox::firstCharacters(input.mid(start, end - start), room);
        const QString result = kept + tail;
        if (result == before)
            return Invalid;   // nothing of it fits: the box stays as it was
        input = result;
        pos = int(kept.size());
        return Acceptable;
    }

private:
    TextBox* m_box;
};

TextBox::TextBox(QWidget* parent, int characterLimit) : QLineEdit(parent)
{
    // The line edit's own limit counts UTF-16 units and would cut a longer stored text as it is
    // shown; the box's limit is its own.
    QLineEdit::setMaxLength(std::numeric_limits<int>::max());
    setValidator(new TextBoxLimit(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
    setCharacterLimit(characterLimit);
}

void TextBox::setCharacterLimit(int characters)
{
    m_limit = std::max(0, characters);
    m_allowed = m_limit > 0 ? std::max(m_limit, TextBox::characters(text())) : 0;
}

void TextBox::showText(const QString& text)
{
    if (m_limit > 0)
        m_allowed = std::max(m_limit, characters(text));
    setText(text);
}

int TextBox::characters(const QString& text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (splitsPair(text, i + 1))
            ++i;
    return n;
}

QString TextBox::firstCharacters(const QString& text, int n)
{
    qsizetype i = 0;
    for (int taken = 0; taken < n && i < text.size(); ++taken)
        i += splitsPair(text, i + 1) ? 2 : 1;
    return text.left(i);
}
