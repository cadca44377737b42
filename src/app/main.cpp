// SPDX-License-Identifier: MIT

#include "app/startup.h"

#include "ui/display.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (ui::reportMissingDisplay(argc, argv))
        return 1;
    QApplication application(argc, argv);
    app::Startup startup(application, QCoreApplication::applicationDirPath());
    return QApplication::exec();
}
