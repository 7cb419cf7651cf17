#include "app/SingleInstance.h"

#include "app/frmAMain.h"
#include "platform/Form.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <cstdlib>

namespace singleinstance {
namespace {
std::unique_ptr<Guard> s_process;
std::function<void()> s_endProcess;

constexpr char kRaise[] = "raise\n";

QString userName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty())
        user = QStringLiteral("user");
    return user;
}

QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}

QString lockPath(const QString& key) { return runtimeFolder() + '/' + key + QStringLiteral(".lock"); }
QString socketPath(const QString& key) { return runtimeFolder() + '/' + key + QStringLiteral(".sock"); }
} // namespace

QString defaultKey()
{
    return QStringLiteral("brevotane-") + userName();
}

Guard::Guard(const QString& key) : m_key(key), m_lock(std::make_unique<QLockFile>(lockPath(key)))
{
    // A running copy keeps its lock however long it runs; a crashed copy's lock is recognised by
    // its dead process and taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_earlier = true;
        return;
    }
    serve();
}

Guard::~Guard()
{
    if (m_server)
        m_server->close();
    if (m_lock && m_lock->isLocked())
        m_lock->unlock();
}

void Guard::serve()
{
    // Holding the lock, any socket left by a crashed copy is ours to replace.
    QLocalServer::removeServer(socketPath(m_key));
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath(m_key)))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_server->nextPendingConnection()) {
            // The request may already be buffered, arrive later, or come with the hang-up.
            auto handle = [this, s] {
                if (!s->canReadLine())
                    return;
                const QByteArray line = s->readLine();
                if (line == kRaise && onRaiseRequest)
                    onRaiseRequest();
            };
            connect(s, &QLocalSocket::readyRead, this, handle);
            connect(s, &QLocalSocket::disconnected, this, [s, handle] {
                handle();
                s->deleteLater();
            });
            handle();
        }
    });
}

bool Guard::askEarlierCopyToRaise() const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath(m_key));
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(kRaise);
    const bool sent = socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    return sent;
}

void start(const QString& key)
{
    s_process = std::make_unique<Guard>(key);
    s_process->onRaiseRequest = raiseMainWindow;
}

void stop()
{
    s_process.reset();
}

bool previousInstance()
{
    return s_process && s_process->earlierCopyRunning();
}

void ActivatePrevInstance()
{
    if (!s_process || !s_process->askEarlierCopyToRaise())
        return;
    if (s_endProcess) {
        s_endProcess();
        return;
    }
    // At once: no window is unloaded, so nothing is saved and no backup is written.
    std::_Exit(0);
}

void setEndProcess(std::function<void()> end)
{
    s_endProcess = std::move(end);
}

void raiseMainWindow()
{
    frmAMain* main = forms::find<frmAMain>();
    if (!main || main->isUnloaded())
        return;
    if (main->isMinimized())
        main->showNormal();
    main->raise();
    main->activateWindow();
}

} // namespace singleinstance
