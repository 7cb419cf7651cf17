#pragma once
// The window framework: every window is a Form with one default instance, loaded when first
// touched, shown modal or modeless, and unloaded through the framework. The Form_* handlers run
// at the moments the windows' rules expect them.
#include <QList>
#include <QWidget>
#include <functional>
#include <typeindex>

class QAbstractButton;
class QEventLoop;
class QKeyEvent;

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Handlers; a handler sets cancel to keep the window loaded.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_QueryUnload(bool& cancel) { (void)cancel; }
    virtual void Form_Unload(bool& cancel) { (void)cancel; }

    // The database file changes under a loaded window: connectionClosing runs before the shared
    // connection goes (drop every query and model that uses it), connectionOpened after another
    // file was opened (read rows and totals again from it, or close).
    virtual void connectionClosing() {}
    virtual void connectionOpened() {}
    // Every row of these tables was deleted in the open file: read again what was shown of them.
    virtual void tablesCleared(const QStringList& tables) { (void)tables; }

    // Shows the window modal and returns when it has been unloaded (or hidden).
    void showModal();
    void showModeless();
    // Runs Form_QueryUnload and Form_Unload, then removes the window; false when a handler cancelled.
    bool unload();
    bool isUnloaded() const { return m_unloaded; }
    bool isModalShown() const { return m_modalLoop != nullptr; }

    // The Enter key moves the focus like Tab in this window.
    void setEnterAsTab(bool on) { m_enterAsTab = on; }
    bool enterAsTab() const { return m_enterAsTab; }
    void moveFocusNext() { focusNextChild(); }

    // As in a dialog: Enter presses the focused push button or else the default button, Escape
    // presses the cancel button. Keys a control uses itself never reach the window.
    void setDefaultButton(QAbstractButton* b) { m_defaultButton = b; }
    void setCancelButton(QAbstractButton* b) { m_cancelButton = b; }

    // Becomes the active form; runs Form_Activate only when another form was active before, so a
    // message box closing over this window does not count as an activation.
    void activateForm();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    friend struct FormsAccess;
    bool m_enterAsTab = false;
    bool m_unloaded = false;
    bool m_unloading = false;
    QEventLoop* m_modalLoop = nullptr;
    QAbstractButton* m_defaultButton = nullptr;
    QAbstractButton* m_cancelButton = nullptr;
};

// Gives a control the name it has in the window's design, so that tests and code find it by name.
template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

namespace forms {

// The loaded windows in load order (the first is the main window).
const QList<Form*>& loaded();
Form* active();

Form* findByType(std::type_index t);
void registerLoaded(std::type_index t, Form* f);

// The default instance of T: loaded (constructed, Form_Load run) when first touched.
template <class T>
T* get()
{
    if (Form* f = findByType(typeid(T)))
        return static_cast<T*>(f);
    T* f = new T();
    registerLoaded(typeid(T), f);
    f->Form_Load();
    return f;
}

// The default instance of T if it is loaded, else nullptr (does not load it).
template <class T>
T* find()
{
    return static_cast<T*>(findByType(typeid(T)));
}

// Tests never wait on a modal window: the driver is called once the window is shown and active,
// and whatever it leaves loaded is unloaded after it returns. With test mode on and no driver,
// a modal window is unloaded right after its activation.
void setModalDriver(std::function<void(Form*)> driver);
void setTestMode(bool on);
// The class names of the modal windows shown since the last clear (for tests).
QStringList& shownModal();

// End the application's event loop when the last window is unloaded.
void setQuitWhenEmpty(bool on);

// The session ends: the modal windows open now are unloaded, newest first, and a window shown
// modal later is unloaded once it has been activated, without waiting for anyone. false: modal
// windows wait again (tests).
void endModalWindows(bool ending = true);

// Unloads every window, newest first (used by tests between cases).
void unloadAll();

} // namespace forms
