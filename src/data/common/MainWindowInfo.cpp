#include "common/MainWindowInfo.h"

namespace app {

namespace {
const MainWindowInfo* s_info = nullptr;
}

void setMainWindowInfo(const MainWindowInfo* info) { s_info = info; }
const MainWindowInfo* mainWindowInfo() { return s_info; }

QDate closingDate()
{
    return s_info ? s_info->closingDate() : QDate::currentDate();
}

} // namespace app
