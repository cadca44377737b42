// SPDX-License-Identifier: MIT

#pragma once

#include "stereo/form3.h"
#include "stereo/stereogramgenerator.h"

#include "ui/formslot.h"

#include <functional>

class QLabel;
class QWidget;

namespace ui {
class PictureBox;
}

namespace app {

// The main window's pieces that show a run's progress: the window whose pointer turns into an
// hourglass, the status line, and the progress bar, moved to row y after each row is drawn.
struct RunFeedback
{
    QWidget &window;
    QLabel &Label4;
    std::function<void(int y)> showProgress;
    // Runs once the stereogram is drawn, before the display window shows it.
    std::function<void()> made = {};
};

// "ランダムドット作成": the stereogram of the depth map held by `depthStore`, drawn into
// Form3.Picture1 with an hourglass, the status line and the progress bar moving after every row;
// then Form3 shown modally; the status line cleared once it is put away.
void makeRandomDots(stereo::StereogramGenerator &generator, const ui::PictureBox &depthStore,
                    ui::FormSlot<stereo::Form3> &form3, qint16 iroIndex,
                    const RunFeedback &feedback);

// The status texts of a run.
QString makingText();
QString doneText();

} // namespace app
