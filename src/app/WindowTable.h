#pragma once
// The one place that knows which window each name opens. A window that is not part of the program
// yet is reported to the user here, never silently ignored.
#include <QString>

namespace windows {
enum class Show { Modal, Modeless };
// Opens the window by its class name; false (after telling the user) when it is not available.
bool open(const QString& name, Show how);
bool available(const QString& name);
}
