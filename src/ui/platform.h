// SPDX-License-Identifier: MIT

#pragma once

class QCoreApplication;

namespace ui {

// What the runtime provides before the first window is made: the label font mapped to an installed
// Japanese Gothic, a Japanese default locale and Qt's own texts in Japanese, whatever the system's
// locale. Call once, after the application object exists and before any widget.
void installPlatform(QCoreApplication &app);

} // namespace ui
