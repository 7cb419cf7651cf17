#pragma once
// What a CUPS queue offers and the user's own defaults for it, through libcups' destination API.
//
// The papers, paper sources and the largest number of copies come from the spooler's description of
// the queue. The driver's own names for its papers and its default paper source are only in the
// queue's driver description (PPD), so those two are read from there when the queue has one.
//
// A default written here is the user's own (lpoptions in the user's CUPS folder): every CUPS program
// of this user then starts with it, other users and the queue's own default are untouched.
#include <QList>
#include <QString>
#include <optional>

namespace prn::cups {

struct Media {
    QString keyword;   // the spooler's media name, e.g. "iso_a4_210x297mm"
    QString name;      // the driver's name for it, e.g. "A4"
    int width = 0;     // hundredths of a millimetre
    int length = 0;
};

struct QueueFacts {
    QList<Media> media;        // in the driver's order
    QString defaultMedia;      // keyword: the user's default, else the queue's; may be empty
    bool mediaChoice = false;  // the queue takes a paper size with a job
    int maxCopies = -1;        // -1 when the queue does not say
    QStringList sources;       // media-source keywords the queue offers
    QString defaultSource;     // media-source keyword (or the driver's input slot name); may be empty
};

// The facts of a queue; nullopt when the spooler does not know it or cannot describe it (then
// error says why).
std::optional<QueueFacts> queueFacts(const QString& queue, QString* error = nullptr);

// Writes the user's own default for an option of the queue (cupsSetDests). False, and nothing
// written, when the queue is unknown or does not take the option, or the file cannot be written.
bool setUserDefault(const QString& queue, const QString& option, const QString& value);
// The user's own default for an option of the queue; empty when none is set.
QString userDefault(const QString& queue, const QString& option);

// Whether the spooler has the queue now and takes jobs for it.
enum class QueueState {
    Missing,        // no queue of that name (removed, or never there)
    NotAccepting,   // the queue refuses new jobs (cupsreject)
    Accepting,
};
QueueState queueState(const QString& queue);

// The paper-bin code (DMBIN_*) of a media-source keyword or a driver's input slot name; 0 when the
// source has none.
int binCode(const QString& source);

} // namespace prn::cups
