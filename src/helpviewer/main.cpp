// SPDX-License-Identifier: MIT

#include "helpviewer/helpserver.h"
#include "helpviewer/helpwindow.h"

#include "ui/dialogs.h"
#include "ui/display.h"
#include "ui/form.h"
#include "ui/platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QtPlugin>

// Qt's built-in PNG and XPM readers, so that Qt's own icons load no image-format plugin.
Q_IMPORT_PLUGIN(BuiltInFormats)

using namespace Qt::StringLiterals;

// zomvorn-help [--alone] FILE: shows the help file in a window of its own. Only one viewer of the
// user runs at a time: a second start hands its file to the one that is open and ends. With
// --alone, or when the name is held by a process of another user, it shows the file itself and
// listens nowhere.
int main(int argc, char *argv[])
{
    if (ui::reportMissingDisplay(argc, argv))
        return 1;
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"zomvorn-help"_s);
    QApplication::setDesktopFileName(u"org.zomvorn.zomvorn"_s);
    ui::installPlatform(application);

    const QStringList args = QApplication::arguments();
    const bool alone = args.size() > 1 && args.at(1) == ui::helpViewerAloneOption();
    const QString file = args.value(alone ? 2 : 1);
    const QString serverName = alone ? QString() : ui::helpViewerServerName();

    helpviewer::HelpWindow window;
    helpviewer::HelpServer server(window, serverName);
    // A name held by someone else, or by a viewer that cannot be reached, leaves this one to show
    // the file itself.
    if (!serverName.isEmpty() && !server.listen()
        && ui::sendToHelpViewer(serverName, file) == ui::HelpDelivery::Sent)
        return 0;

    window.showFile(file.isEmpty() ? file : QFileInfo(file).absoluteFilePath());
    ui::centreOnScreen(&window);
    window.show();
    return QApplication::exec();
}
