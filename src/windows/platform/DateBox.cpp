#include "platform/DateBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

const QString kFormat = QStringLiteral("yyyy/MM/dd");
constexpr int kYear = 0, kMonth = 1, kDay = 2;

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isSeparator(QChar c) { return c == u'/' || c == u'-' || c == u'.'; }

// Whether the digits typed into one section can still become its value.
bool validPrefix(int section, const QString& s)
{
    if (section == kYear)
        return s.size() <= 4;
    if (s.size() == 1)
        return true;
    const int v = s.toInt();
    return s.size() == 2 && v >= 1 && v <= (section == kMonth ? 12 : 31);
}

bool validValue(int section, const QString& s)
{
    if (section == kYear)
        return s.size() == 4;
    const int v = s.toInt();
    return !s.isEmpty() && v >= 1 && v <= (section == kMonth ? 12 : 31);
}

// Full when no further digit could make it another valid value: 4 year digits, two digits, or a
// month from 2 and a day from 4 on.
bool isFull(int section, const QString& s)
{
    if (section == kYear)
        return s.size() == 4;
    if (s.size() >= 2)
        return true;
    return s.at(0).digitValue() >= (section == kMonth ? 2 : 4);
}

// The sections of a typed text, read one character at a time. Every character stays in the text:
// one without a place in a date makes the whole text no date, never another date.
struct Entry {
    int section = kYear;      // the section being typed
    QString digits[3];
    bool ended = false;       // the section takes no more digits
    bool separated = false;   // its separator was typed
    bool broken = false;      // a character had no place

    explicit Entry(int first) : section(first) {}

    void add(QChar c)
    {
        if (broken || !take(c))
            broken = true;
    }

private:
    bool take(QChar c)
    {
        if (isDigit(c)) {
            if (ended) {
                if (section == kDay)
                    return false;
                ++section;
                ended = separated = false;
            }
            const QString next = digits[section] + c;
            if (!validPrefix(section, next))
                return false;
            digits[section] = next;
            ended = isFull(section, next);
            return true;
        }
        if (!isSeparator(c) || digits[section].isEmpty() || separated || section == kDay)
            return false;
        // A separator ends the section typed, or belongs to the section that has just filled
        // itself: it never moves past a section.
        if (!ended && !validValue(section, digits[section]))
            return false;
        ended = separated = true;
        return true;
    }
};

// The sections of the shown text: the prefix before the given section, with its separator.
QString textBefore(const QString& shown, int section)
{
    if (section <= kYear)
        return QString();
    const QStringList parts = shown.split(u'/');
    return parts.mid(0, section).join(u'/') + u'/';
}

} // namespace

DateBox::DateBox(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(kFormat);
    setCalendarPopup(true);
}

QDate DateBox::typedDate(int* last) const
{
    Entry e(m_first);
    for (QChar c : m_typed)
        e.add(c);
    if (last)
        *last = e.section;
    if (e.broken)
        return QDate();
    int ymd[3] = {m_before.year(), m_before.month(), m_before.day()};
    for (int s = m_first; s <= e.section; ++s) {
        if (!validValue(s, e.digits[s]))
            return QDate();
        ymd[s] = e.digits[s].toInt();
    }
    const QDate d(ymd[kYear], ymd[kMonth], ymd[kDay]);
    if (!d.isValid() || d < minimumDate() || d > maximumDate())
        return QDate();
    return d;
}

bool DateBox::finishTyping()
{
    if (!m_typing)
        return true;
    if (m_typed.isEmpty()) {
        stopTyping(m_first);
        return true;
    }
    int last = m_first;
    const QDate d = typedDate(&last);
    if (!d.isValid()) {
        showTyped();
        lineEdit()->setSelection(m_prefix.size(), m_typed.size());
        QApplication::beep();
        return false;
    }
    m_typing = false;
    setDate(d);
    stopTyping(last);
    return true;
}

void DateBox::endTyping()
{
    if (!m_typing)
        return;
    int last = m_first;
    const QDate d = m_typed.isEmpty() ? QDate() : typedDate(&last);
    m_typing = false;
    if (d.isValid())
        setDate(d);
    stopTyping(d.isValid() ? last : m_first);
}

void DateBox::stopTyping(int section)
{
    m_typing = false;
    m_typed.clear();
    {
        const QSignalBlocker quiet(lineEdit());
        lineEdit()->setText(textFromDateTime(dateTime()));
    }
    setCurrentSectionIndex(section);
    if (hasFocus())
        setSelectedSection(currentSection());
}

void DateBox::showTyped()
{
    // Shown as typed: the spin box neither reads the text (it would take a part of it as a date)
    // nor mends it (its validator turns 2026/02/30 into 2026/02/28).
    QLineEdit* edit = lineEdit();
    const QSignalBlocker quiet(edit);
    const QValidator* validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(m_prefix + m_typed);
    edit->setValidator(validator);
}

void DateBox::type(QChar c)
{
    QLineEdit* edit = lineEdit();
    // While typing, only a refused text is selected: what is typed next replaces it.
    const bool replacing = m_typing && edit->hasSelectedText();
    // A separator before any digit ends nothing and is left out.
    if (!isDigit(c) && (!m_typing || replacing || m_typed.isEmpty()))
        return;
    if (!m_typing) {
        m_before = date();
        // From the section the cursor is in (the year after Tab); the whole text selected is
        // typed again from the year.
        const bool allSelected = edit->hasSelectedText() && edit->selectedText() == edit->text();
        m_first = allSelected ? kYear : qBound(kYear, currentSectionIndex(), kDay);
        m_prefix = textBefore(textFromDateTime(QDateTime(m_before, time())), m_first);
        m_typing = true;
        m_typed.clear();
    } else if (replacing) {
        m_typed.clear();
    }
    m_typed += c;
    showTyped();
}

void DateBox::eraseBack()
{
    if (lineEdit()->hasSelectedText())
        m_typed.clear();
    else
        m_typed.chop(1);
    showTyped();
}

bool DateBox::event(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const bool tab = ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab;
        if (tab && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // Tab leaves the box, as it leaves every other control; the sections are reached with
            // the arrow keys.
            if (finishTyping()) {
                const bool forward = ke->key() == Qt::Key_Tab && !(ke->modifiers() & Qt::ShiftModifier);
                QWidget::focusNextPrevChild(forward);
            }
            return true;
        }
    } else if (e->type() == QEvent::ShortcutOverride && m_typing) {
        // A shortcut of the window (a menu command, a button's access key) works on the date typed.
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            endTyping();
    }
    return QDateEdit::event(e);
}

void DateBox::keyPressEvent(QKeyEvent* e)
{
    const bool plain = !(e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier));
    const QString text = e->text();
    const QChar c = text.size() == 1 ? text.at(0) : QChar();
    if (plain && (isDigit(c) || isSeparator(c))) {
        type(c);
        e->accept();
        return;
    }
    if (m_typing) {
        switch (e->key()) {
        case Qt::Key_Backspace:
            if (plain) {
                eraseBack();
                e->accept();
                return;
            }
            break;
        case Qt::Key_Escape:
            stopTyping(m_first);
            e->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The window has Enter (its default button) once the date is taken.
            if (finishTyping())
                e->ignore();
            else
                e->accept();
            return;
        default:
            if (plain && c.isPrint()) {
                e->accept();   // no place in a date
                return;
            }
            endTyping();   // arrows, Up/Down, the calendar keys work on the date typed
            break;
        }
    }
    QDateEdit::keyPressEvent(e);
}

void DateBox::focusOutEvent(QFocusEvent* e)
{
    endTyping();
    QDateEdit::focusOutEvent(e);
}

void DateBox::mousePressEvent(QMouseEvent* e)
{
    endTyping();
    QDateEdit::mousePressEvent(e);
}

#if QT_CONFIG(wheelevent)
void DateBox::wheelEvent(QWheelEvent* e)
{
    endTyping();
    QDateEdit::wheelEvent(e);
}
#endif
