// Start-up: the splash while the main window loads, then the main window.
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return startup::Main(app);
}
