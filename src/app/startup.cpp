// SPDX-License-Identifier: MIT

#include "startup.h"

#include "picture/pictureio.h"
#include "ui/form.h"
#include "ui/loopwatch.h"
#include "ui/platform.h"
#include "ui/runtimeerror.h"

#include <QApplication>
#include <QtPlugin>

// Qt's built-in PNG and XPM readers, so that Qt's own icons load no image-format plugin.
Q_IMPORT_PLUGIN(BuiltInFormats)

using namespace Qt::StringLiterals;

namespace app {

void nameApplication()
{
    QApplication::setApplicationName(u"ZOMIRA -VORNA-"_s);
    QApplication::setApplicationVersion(QStringLiteral(ZOMVORN_VERSION));
    QApplication::setDesktopFileName(u"org.zomvorn.zomvorn"_s);
}

Startup::Startup(QApplication &application, const QString &folder)
    : m_dialogs(folder + u"/zomvorn-help"_s)
{
    nameApplication();
    picture::setPictureBytesLimit(picture::DesktopPictureBytes);
    ui::installPlatform(application); // before the first widget
    ui::watchEventLoopIfAsked();
    m_form2 = std::make_unique<Form2>(m_dialogs, folder);
    ui::centreOnScreen(m_form2.get());
    m_form2->show();
    // Asked before the main window takes any input.
    ui::runHandler(m_dialogs, [this] { m_form2->offerDraft(); });
}

} // namespace app
