#pragma once
// The one place that knows which window each name opens. A window that is not part of the program
// yet is reported to the user here, never silently ignored.
#include <QString>
#include <QStringList>
#include <functional>

class Form;
class QWidget;

namespace windows {
enum class Show { Modal, Modeless };
// Opens the window by its class name; false (after telling the user) when it is not available or
// needs the database while none is open. The pointer goes back to the default when nothing opens.
bool open(const QString& name, Show how);
bool available(const QString& name);
// Opens the tip window (frmTipA) modal with these lines written into it, one to a line, the reader
// starting at the top; false when it does not open.
bool showTip(const QStringList& lines);

// True when a database file is open; otherwise tells the user to open one and returns false.
bool requireDatabase(QWidget* parent = nullptr);

// What the user is told.
QString notAvailableText();
QString noDatabaseText();

// Tests stand a window of their own in for a name; an empty function removes the stand-in.
void setStandIn(const QString& name, std::function<Form*()> load);
}
