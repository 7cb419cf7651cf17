#pragma once
// What the other windows read from the main window when they load, without knowing the window:
// the closing date and the open database file.
#include <QDate>
#include <QString>

namespace app {

class MainWindowInfo {
public:
    virtual QDate closingDate() const = 0;
    virtual QString openFileName() const = 0;

protected:
    ~MainWindowInfo() = default;
};

// The main window registers itself while it exists; nullptr when it goes.
void setMainWindowInfo(const MainWindowInfo* info);
const MainWindowInfo* mainWindowInfo();

// The main window's closing date, or today when no main window is loaded.
QDate closingDate();

} // namespace app
