// SPDX-License-Identifier: MIT

#pragma once

#include "form2.h"

#include "ui/dialogs.h"

#include <QString>

#include <memory>

class QApplication;

namespace app {

// What runs before the event loop: the application's names, the platform (fonts, Japanese
// texts), the real dialogs and the main window, shown centred.
class Startup
{
public:
    // `folder` holds the help viewer and the help file: the executable's own.
    Startup(QApplication &application, const QString &folder);

    Form2 &form2() { return *m_form2; }

private:
    ui::QtDialogs m_dialogs;
    std::unique_ptr<Form2> m_form2;
};

// Names the application, with the version the build gives.
void nameApplication();

} // namespace app
