#include "platform/PrinterCollection.h"

#include "platform/PrinterPainter.h"

#include <QPrinterInfo>
#include <algorithm>

namespace prn {

namespace {

SystemCollection s_system;
Collection* s_collection = &s_system;
std::unique_ptr<PrinterObject> s_current;
int s_currentIndex = 0;

} // namespace

QString pdfEntryName()
{
    return QStringLiteral("PDF ファイル");
}

QStringList SystemCollection::names() const
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    names.append(pdfEntryName());
    return names;
}

std::unique_ptr<PrinterObject> SystemCollection::open(int index) const
{
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    if (index >= 0 && index < queues.size()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(queues.at(index));
        if (!info.isNull())
            return std::make_unique<QueuePrinter>(info);
        return nullptr;
    }
    if (index == queues.size())
        return std::make_unique<PdfFilePrinter>(pdfEntryName());
    return nullptr;
}

std::unique_ptr<PrinterObject> SystemCollection::openNamed(const QString& name, int) const
{
    // Queue names are unique; the spooler is asked about this one alone, now.
    if (name == pdfEntryName())
        return std::make_unique<PdfFilePrinter>(pdfEntryName());
    if (name.isEmpty())
        return nullptr;
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull() || info.printerName() != name)
        return nullptr;
    return std::make_unique<QueuePrinter>(info);
}

namespace {

// Where the name stands in the list: at hint when it holds the name, else its last position; -1
// when the list lacks it.
int positionOf(const QStringList& all, const QString& name, int hint)
{
    if (hint >= 0 && hint < all.size() && all.at(hint) == name)
        return hint;
    return static_cast<int>(all.lastIndexOf(name));
}

} // namespace

std::unique_ptr<PrinterObject> Collection::openNamed(const QString& name, int hint) const
{
    const int index = positionOf(names(), name, hint);
    return index < 0 ? nullptr : open(index);
}

void setCollection(Collection* c)
{
    s_collection = c ? c : &s_system;
    s_current.reset();
    s_currentIndex = 0;
}

Collection& collection()
{
    return *s_collection;
}

QStringList printerNames()
{
    return s_collection->names();
}

int printerCount()
{
    return static_cast<int>(s_collection->names().size());
}

bool setCurrentPrinter(int index)
{
    std::unique_ptr<PrinterObject> p = s_collection->open(index);
    if (!p)
        return false;
    s_current = std::move(p);
    s_currentIndex = index;
    return true;
}

bool choosePrinter(const QString& name, int hint)
{
    std::unique_ptr<PrinterObject> p = s_collection->openNamed(name, hint);
    if (!p)
        return false;
    s_current = std::move(p);
    s_currentIndex = std::max(0, positionOf(s_collection->names(), name, hint));
    return true;
}

PrinterObject& currentPrinter()
{
    if (!s_current && !setCurrentPrinter(s_currentIndex) && !setCurrentPrinter(0)) {
        // Only a test's empty collection gets here; the system's always has the PDF entry.
        s_current = std::make_unique<PdfFilePrinter>(pdfEntryName());
        s_currentIndex = 0;
    }
    return *s_current;
}

int currentPrinterIndex()
{
    return s_currentIndex;
}

} // namespace prn
