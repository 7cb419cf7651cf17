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
    // A new printer object for entry index of the collection as it is now; nullptr when the index
    // is out of range.
    virtual std::unique_ptr<PrinterObject> open(int index) const = 0;
    // A new printer object for the printer of that name as the collection is now; nullptr when no
    // printer has it. Where two have it, the one at hint when that position holds the name, else
    // the last. A list shown earlier is matched by name, never by position: printers come and go.
    virtual std::unique_ptr<PrinterObject> openNamed(const QString& name, int hint = -1) const;
};

class SystemCollection : public Collection {
public:
    QStringList names() const override;
    std::unique_ptr<PrinterObject> open(int index) const override;
    std::unique_ptr<PrinterObject> openNamed(const QString& name, int hint = -1) const override;
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
// Makes the printer of that name current (see Collection::openNamed for hint), with its own fresh
// settings. False, and the current printer unchanged, when no printer has that name now: the
// user chose from a list that has since lost it.
bool choosePrinter(const QString& name, int hint = -1);
// The current printer; printer 0 until another is chosen.
PrinterObject& currentPrinter();
// Its position in the collection when it was chosen.
int currentPrinterIndex();

} // namespace prn
