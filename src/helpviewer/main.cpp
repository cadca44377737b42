#include "helpviewer/helpwindow.h"

#include "ui/platform.h"

#include <QApplication>

using namespace Qt::StringLiterals;

// zomvorn-help FILE: shows the help file in a window of its own.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"zomvorn-help"_s);
    QApplication::setDesktopFileName(u"org.zomvorn.zomvorn"_s);
    ui::installPlatform(application);

    const QStringList args = QApplication::arguments();
    helpviewer::HelpWindow window;
    window.showFile(args.size() > 1 ? args.at(1) : QString());
    window.show();
    return QApplication::exec();
}
