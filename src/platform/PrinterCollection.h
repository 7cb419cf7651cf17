#pragma once
// The printers a user can choose from, and the one current printer of the process.
//
// The system's collection is this machine's CUPS queues, in the spooler's order, followed by one
// PDF entry that asks for the output file name when a job starts. The PDF entry is there even when
// the machine has no queue, so printing always works. Its name contains a blank, which a CUPS queue
// name never does, so it can never be confused with a queue.
#include "platform/PrinterObject.h"

#include <QStringList>
#include <memory>

namespace prn {

QString pdfEntryName();

class Collection {
public:
    virtual ~Collection() = default;
    virtual QStringList names() const = 0;
    // A new printer object for entry index; nullptr when the index is out of range.
    virtual std::unique_ptr<PrinterObject> open(int index) const = 0;
};

class SystemCollection : public Collection {
public:
    QStringList names() const override;
    std::unique_ptr<PrinterObject> open(int index) const override;
};

// Installs the collection the process uses (not owned; tests install their own); nullptr restores
// the system's. The current printer is dropped.
void setCollection(Collection* collection);
Collection& collection();

QStringList printerNames();
int printerCount();

// Makes printer index of the collection the current printer, with its own fresh settings. False
// (and the current printer unchanged) when there is no such printer.
bool setCurrentPrinter(int index);
// The current printer; printer 0 until another is chosen.
PrinterObject& currentPrinter();
int currentPrinterIndex();

} // namespace prn
