#pragma once
// The small measuring helpers the benchmarks share: medians, the process's memory, and letting a
// window finish its work between timed steps.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cmath>
#include <sys/resource.h>
#include <unistd.h>

namespace benchsupport {

// The middle value, or the mean of the two middle ones; NaN for none.
inline double medianOf(QList<double> v)
{
    if (v.isEmpty())
        return std::nan("");
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v.at(n / 2) : (v.at(n / 2 - 1) + v.at(n / 2)) / 2;
}

// The resident memory of this process in MB; NaN where /proc cannot tell.
inline double residentMb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return std::nan("");
    const QList<QByteArray> fields = f.readAll().split(' ');
    if (fields.size() < 2)
        return std::nan("");
    return fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The most resident memory this process has had, in MB.
inline double peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// Lets the window finish what its handler started: posted events, repaints, zero timers.
inline void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

// Frees unloaded windows now rather than at the next turn of an event loop that never runs here.
inline void dropUnloaded()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
}

inline double msSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

} // namespace benchsupport
