#include "app/form2.h"

#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDir>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"ZOMIRA -VORNA-"_s);
    QApplication::setApplicationVersion(u"1.02"_s);
    QApplication::setDesktopFileName(u"org.zomvorn.zomvorn"_s);
    ui::installPlatform(application);

    const QString folder = QCoreApplication::applicationDirPath();
    ui::QtDialogs dialogs(folder + u"/zomvorn-help"_s);
    app::Form2 form2(dialogs, folder);
    ui::centreOnScreen(&form2);
    form2.show();
    return QApplication::exec();
}
