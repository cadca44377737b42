// SPDX-License-Identifier: MIT

#include "helpviewer/helpserver.h"
#include "helpviewer/helpwindow.h"

#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/platform.h"

#include <QApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

// zomvorn-help FILE: shows the help file in a window of its own. Only one viewer runs at a time:
// a second start hands its file to the one that is open and ends.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"zomvorn-help"_s);
    QApplication::setDesktopFileName(u"org.zomvorn.zomvorn"_s);
    ui::installPlatform(application);

    const QStringList args = QApplication::arguments();
    const QString file = args.size() > 1 ? args.at(1) : QString();
    const QString serverName = ui::helpViewerServerName();

    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, serverName);
    // A viewer that holds the name but cannot be reached leaves this one to show the file itself.
    if (!server.listen() && ui::sendToHelpViewer(serverName, file))
        return 0;

    window.showFile(file.isEmpty() ? file : QFileInfo(file).absoluteFilePath());
    ui::centreOnScreen(&window);
    window.show();
    return QApplication::exec();
}
