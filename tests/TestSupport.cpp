#include "TestSupport.h"

#include "common/AppPaths.h"
#include "platform/Db.h"
#include "platform/Form.h"
#include "platform/PrinterRecording.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QSettings>
#include <QSqlQuery>
#include <QSqlRecord>

#include <QRegularExpression>
#include <QSqlDatabase>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>

namespace testsupport {

void prepareEnvironment()
{
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QDir().mkpath(home.path() + "/runtime");
        QFile::setPermissions(home.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path() + "/runtime"));
    }
}

Env::Env() : m_dir(std::make_unique<QTemporaryDir>())
{
    QDir().mkpath(m_dir->path() + "/prog");
    QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), m_dir->path() + "/prog/Brevotane.idb");
    QFile::setPermissions(m_dir->path() + "/prog/Brevotane.idb", QFile::ReadOwner | QFile::WriteOwner);
    paths::setProgramFolder(m_dir->path() + "/prog");
    dlg::setBackend(&dialogs);
    forms::setTestMode(true);
    forms::setModalDriver(nullptr);
    forms::shownModal().clear();
    clearSettings();
}

Env::~Env()
{
    forms::unloadAll();
    forms::setModalDriver(nullptr);
    db::close();
    dlg::setBackend(nullptr);
    paths::setProgramFolder(QString());
}

QString Env::programFolder() const { return m_dir->path() + "/prog/"; }
QString Env::path(const QString& name) const { return m_dir->path() + '/' + name; }

QString Env::newDatabase(const QString& name) const
{
    const QString p = path(name);
    QFile::remove(p);
    QFile::copy(QStringLiteral(BREVOTANE_TEMPLATE_PATH), p);
    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);
    return p;
}

QString Env::openNewDatabase(const QString& name) const
{
    const QString p = newDatabase(name);
    db::open(p);
    return p;
}

void Env::clearSettings() const
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brevotane"), QStringLiteral("Brevotane"));
    s.clear();
    s.sync();
}

void pressKeys(const QString& keys)
{
    static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> named = {
        {"Tab", {Qt::Key_Tab, Qt::NoModifier}},      {"BackTab", {Qt::Key_Backtab, Qt::ShiftModifier}},
        {"Enter", {Qt::Key_Return, Qt::NoModifier}}, {"Esc", {Qt::Key_Escape, Qt::NoModifier}},
        {"Up", {Qt::Key_Up, Qt::NoModifier}},        {"Down", {Qt::Key_Down, Qt::NoModifier}},
        {"BS", {Qt::Key_Backspace, Qt::NoModifier}}, {"F2", {Qt::Key_F2, Qt::NoModifier}},
    };
    for (int i = 0; i < keys.size(); ++i) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, "nothing has the focus");
        if (keys.at(i) != u'<') {
            QTest::keyClick(target, keys.at(i).toLatin1());
            continue;
        }
        const int end = keys.indexOf(u'>', i);
        const QString name = keys.mid(i + 1, end - i - 1);
        i = end;
        if (name.size() == 5 && name.startsWith(QLatin1String("Alt+"))) {
            QTest::keyClick(target, Qt::Key(name.at(4).toUpper().unicode()), Qt::AltModifier);
            continue;
        }
        QVERIFY2(named.contains(name), qPrintable(name));
        QTest::keyClick(target, named.value(name).first, named.value(name).second);
    }
}

QStringList queryRows(const QString& sql, const QVariantList& args)
{
    QStringList out;
    QSqlQuery q = db::exec(sql, args);
    while (q.next()) {
        QStringList fields;
        for (int c = 0; c < q.record().count(); ++c)
            fields << q.value(c).toString();
        out << fields.join('|');
    }
    return out;
}

OnePrinter::OnePrinter() { prn::setCollection(this); }
OnePrinter::~OnePrinter() { prn::setCollection(nullptr); }
QStringList OnePrinter::names() const { return {QStringLiteral("Recorder")}; }
std::unique_ptr<prn::PrinterObject> OnePrinter::open(int index) const
{
    return index == 0 ? std::make_unique<prn::RecordingPrinter>() : nullptr;
}

void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

FullDisk::FullDisk(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit lim = m_old;
    lim.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lim);
}

FullDisk::~FullDisk()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
}

namespace {
const QString kHeldConnection = QStringLiteral("HeldByAnotherProgram");
}

HeldFile::HeldFile(const QString& path)
{
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kHeldConnection);
    d.setDatabaseName(path);
    d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    m_ok = d.open() && QSqlQuery(d).exec(QStringLiteral("BEGIN EXCLUSIVE"));
}

HeldFile::~HeldFile()
{
    {
        QSqlDatabase d = QSqlDatabase::database(kHeldConnection, false);
        QSqlQuery(d).exec(QStringLiteral("ROLLBACK"));
        d.close();
    }
    QSqlDatabase::removeDatabase(kHeldConnection);
}

ReadOnlyFolder::ReadOnlyFolder(const QString& path) : m_folder(QFile::encodeName(path))
{
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return;
    m_bound = mount(m_folder.constData(), m_folder.constData(), nullptr, MS_BIND, nullptr) == 0;
    m_ok = m_bound && mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_bound)
        umount(m_folder.constData());
}

void UnwritableFile::addRows()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<db::Cause>("cause");
    QTest::newRow("held by another program") << "held" << db::Cause::InUse;
    QTest::newRow("full disk") << "full" << db::Cause::DiskFull;
    QTest::newRow("read-only file system") << "readonly" << db::Cause::ReadOnly;
}

UnwritableFile::UnwritableFile(const Env& env, const QString& condition) : m_condition(condition)
{
    QDir().mkpath(env.path("data"));
    m_path = env.newDatabase("data/work.idb");
}

bool UnwritableFile::protect()
{
    if (m_condition != "readonly")
        return true;
    m_readOnly.emplace(QFileInfo(m_path).absolutePath());
    return m_readOnly->ok();
}

void UnwritableFile::failNow()
{
    if (m_condition == "held") {
        m_held.emplace(m_path);
        QVERIFY(m_held->ok());
    } else if (m_condition == "full") {
        m_full.emplace();
    }
}

void UnwritableFile::release()
{
    m_full.reset();
    m_held.reset();
}

QStringList withLatinLetters(const QStringList& messages)
{
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    QStringList found;
    for (const QString& m : messages)
        if (m.contains(latin))
            found << m;
    return found;
}

} // namespace testsupport
