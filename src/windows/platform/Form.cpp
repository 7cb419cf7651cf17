#include "platform/Form.h"

#include "platform/DateBox.h"
#include "platform/Db.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QAbstractButton>
#include <QPushButton>
#include <QTimer>

namespace forms {
namespace {
QList<Form*> s_loaded;
QHash<std::type_index, Form*> s_byType;
Form* s_active = nullptr;
std::function<void(Form*)> s_driver;
bool s_testMode = false;
bool s_quitWhenEmpty = false;
bool s_modalEnded = false;
QStringList s_shownModal;

// The window is no longer loaded: not in the load order, not any class's default instance, not
// the active one.
void forget(Form* f)
{
    s_loaded.removeAll(f);
    for (auto it = s_byType.begin(); it != s_byType.end();) {
        if (it.value() == f)
            it = s_byType.erase(it);
        else
            ++it;
    }
    if (s_active == f)
        s_active = nullptr;
}

// Enter acts as Tab in the windows that ask for it. One filter on the application sees the key
// before the focused control does.
class EnterAsTabFilter : public QObject {
public:
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() != Qt::Key_Return && ke->key() != Qt::Key_Enter)
            return false;
        if (ke->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w)
            return false;
        auto* form = qobject_cast<Form*>(w->window());
        if (!form || !form->enterAsTab())
            return false;
        // A focused button is pressed by Enter, as users expect; everything else moves on.
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->click();
            return true;
        }
        // A date being typed is taken first; a text that is no date keeps the focus, as Tab does.
        if (auto* box = qobject_cast<DateBox*>(w); box && !box->finishTyping())
            return true;
        // Moving on like Tab, the focus shows as after Tab (styles draw a button's focus only
        // once the keyboard has moved it).
        form->setAttribute(Qt::WA_KeyboardFocusChange);
        form->moveFocusNext();
        return true;
    }
};

void installFilterOnce()
{
    static EnterAsTabFilter* filter = nullptr;
    if (!filter && qApp) {
        filter = new EnterAsTabFilter;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
}
} // namespace

const QList<Form*>& loaded() { return s_loaded; }
Form* active() { return s_active; }

Form* findByType(std::type_index t)
{
    return s_byType.value(t, nullptr);
}

void registerLoaded(std::type_index t, Form* f)
{
    s_byType.insert(t, f);
}

void setModalDriver(std::function<void(Form*)> driver) { s_driver = std::move(driver); }
void setTestMode(bool on) { s_testMode = on; }
QStringList& shownModal() { return s_shownModal; }
void setQuitWhenEmpty(bool on) { s_quitWhenEmpty = on; }

void endModalWindows(bool ending)
{
    s_modalEnded = ending;
    if (!ending)
        return;
    const QList<Form*> windows = s_loaded;
    for (int i = windows.size() - 1; i >= 0; --i) {
        Form* f = windows.at(i);
        if (s_loaded.contains(f) && f->isModalShown())
            f->unload();
    }
}

void unloadAll()
{
    for (int i = s_loaded.size() - 1; i >= 0; --i) {
        if (i < s_loaded.size())
            s_loaded.at(i)->unload();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace forms

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window)
{
    forms::installFilterOnce();
    forms::s_loaded.append(this);
    connect(&db::notifier(), &db::Notifier::aboutToClose, this, [this] {
        if (!m_unloaded)
            connectionClosing();
    });
    connect(&db::notifier(), &db::Notifier::opened, this, [this] {
        if (!m_unloaded)
            connectionOpened();
    });
    connect(&db::notifier(), &db::Notifier::tablesCleared, this, [this](const QStringList& tables) {
        if (!m_unloaded)
            tablesCleared(tables);
    });
}

Form::~Form()
{
    forms::forget(this);
}

void Form::activateForm()
{
    if (m_unloaded || forms::s_active == this)
        return;
    forms::s_active = this;
    Form_Activate();
}

bool Form::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && isVisible())
        activateForm();
    return QWidget::event(e);
}

void Form::closeEvent(QCloseEvent* e)
{
    // The close box unloads the window through the same path as its own close button.
    if (m_unloading || m_unloaded) {
        e->accept();
        return;
    }
    if (unload())
        e->accept();
    else
        e->ignore();
}

void Form::keyPressEvent(QKeyEvent* e)
{
    const bool plain = !(e->modifiers() & ~Qt::KeypadModifier);
    auto usable = [](QAbstractButton* b) { return b && !b->isHidden() && b->isEnabled(); };
    if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QAbstractButton* target = usable(focused) ? focused : m_defaultButton;
        if (usable(target)) {
            target->click();
            return;
        }
    } else if (plain && e->key() == Qt::Key_Escape && usable(m_cancelButton)) {
        m_cancelButton->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

void Form::showModeless()
{
    if (m_unloaded)
        return;
    setWindowModality(Qt::NonModal);
    show();
    raise();
    activateWindow();
    activateForm();
}

void Form::showModal()
{
    if (m_unloaded)
        return;
    Form* opener = forms::s_active;
    forms::s_shownModal << QString::fromLatin1(metaObject()->className());
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    activateForm();
    bool deleted = false;
    if (forms::s_testMode) {
        if (!m_unloaded && forms::s_driver)
            forms::s_driver(this);
        if (!m_unloaded)
            unload();
    } else if (forms::s_modalEnded) {
        if (!m_unloaded)
            unload();
    } else if (!m_unloaded && isVisible()) {
        // Unloaded from within its loop, the window may be deleted before the loop returns.
        const QPointer<Form> self(this);
        QEventLoop loop;
        m_modalLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
        deleted = self.isNull();
        if (!deleted)
            m_modalLoop = nullptr;
    }
    if (!deleted && !m_unloaded) {
        setWindowModality(Qt::NonModal);
    }
    // Coming back from a modal window activates the window that opened it.
    if (opener && opener != this && forms::s_loaded.contains(opener) && opener->isVisible()) {
        forms::s_active = nullptr;
        opener->activateForm();
    }
}

bool Form::unload()
{
    if (m_unloaded || m_unloading)
        return m_unloaded;
    m_unloading = true;
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (!cancel)
        Form_Unload(cancel);
    m_unloading = false;
    if (cancel)
        return false;
    m_unloaded = true;
    forms::forget(this);
    hide();
    if (m_modalLoop)
        m_modalLoop->quit();
    deleteLater();
    if (forms::s_quitWhenEmpty && forms::s_loaded.isEmpty())
        QCoreApplication::quit();
    return true;
}
