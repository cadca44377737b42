// SPDX-License-Identifier: MIT

#pragma once

#include <QSize>
#include <QString>

class QDialog;
class QPushButton;

namespace ui {
class PictureBox;
}

namespace stereo {

// The display window's controls as they stand each time the window is loaded.
struct Form3Ui
{
    static QString caption();
    static QSize clientArea();

    ui::PictureBox *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;

    void setupUi(QDialog *window);
};

} // namespace stereo
