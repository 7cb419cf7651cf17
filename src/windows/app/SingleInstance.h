#pragma once
// One copy of the program per user. The first copy holds a lock and listens on a local socket; a
// later copy finds the lock taken, asks the first copy to come to the front and ends at once.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace singleinstance {

// The per-user key that names the lock and the socket.
QString defaultKey();

// One copy's claim on the key. The first claimant listens; later ones only ask it to come forward.
class Guard : public QObject {
    Q_OBJECT
public:
    explicit Guard(const QString& key);
    ~Guard() override;
    // True when an earlier copy held the key when this one claimed it.
    bool earlierCopyRunning() const { return m_earlier; }
    // Asks the earlier copy to bring its main window to the front; false when none answered.
    bool askEarlierCopyToRaise() const;
    // What this copy does when a later one asks it to come forward.
    std::function<void()> onRaiseRequest;

private:
    void serve();
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_earlier = false;
};

// The process's own claim; called once at start. The first copy brings its main window forward
// when asked.
void start(const QString& key = defaultKey());
// Drops the process's claim (tests).
void stop();
// True when an earlier copy of the program was running when this one started.
bool previousInstance();
// Brings the earlier copy's main window to the front and ends this process at once, without
// unloading any window: a second copy writes no settings and no backup. Returns only when no
// earlier copy answered.
void ActivatePrevInstance();

// How the process ends at once; tests replace it. nullptr restores the immediate exit.
void setEndProcess(std::function<void()> end);

// Restores the main window (if minimised) and brings it to the front.
void raiseMainWindow();

} // namespace singleinstance
