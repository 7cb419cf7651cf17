#include "platform/PrinterCollection.h"

#include "platform/PrinterPainter.h"

#include <QPrinterInfo>

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
