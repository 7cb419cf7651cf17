#pragma once
// Records the statements SQLite starts on the shared connection, so a test can tell how often a
// query ran and in what form (bound values stay "?"). Uses SQLite's own trace hook from the
// library the Qt driver already loaded.
#include "platform/Db.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QStringList>
#include <dlfcn.h>

class SqlTrace {
public:
    SqlTrace()
    {
        void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
        if (lib)
            m_trace = reinterpret_cast<TraceFn>(dlsym(lib, "sqlite3_trace_v2"));
        const QVariant h = db::connection().driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            m_handle = *static_cast<void* const*>(h.constData());
        if (m_trace && m_handle)
            m_trace(m_handle, kTraceStmt, &SqlTrace::onStatement, this);
    }
    ~SqlTrace()
    {
        if (m_trace && m_handle && db::isOpen())
            m_trace(m_handle, 0, nullptr, nullptr);
    }
    SqlTrace(const SqlTrace&) = delete;
    SqlTrace& operator=(const SqlTrace&) = delete;

    bool active() const { return m_trace && m_handle; }
    const QStringList& statements() const { return m_statements; }
    QStringList matching(const QString& part) const { return m_statements.filter(part); }
    QStringList matching(const QRegularExpression& re) const { return m_statements.filter(re); }
    void clear() { m_statements.clear(); }

private:
    using Callback = int (*)(unsigned, void*, void*, void*);
    using TraceFn = int (*)(void*, unsigned, Callback, void*);
    static constexpr unsigned kTraceStmt = 0x01;

    static int onStatement(unsigned, void* self, void*, void* sql)
    {
        const QString text = QString::fromUtf8(static_cast<const char*>(sql));
        // Statements run by triggers come as comments; only the program's own are recorded.
        if (!text.startsWith(QLatin1String("--")))
            static_cast<SqlTrace*>(self)->m_statements.append(text);
        return 0;
    }

    TraceFn m_trace = nullptr;
    void* m_handle = nullptr;
    QStringList m_statements;
};
