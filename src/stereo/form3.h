// SPDX-License-Identifier: MIT

#pragma once

#include "form3ui.h"

#include "ui/form.h"

class QPushButton;

namespace ui {
class Dialogs;
class PictureBox;
} // namespace ui

namespace stereo {

// The display window: the stereogram in Picture1 and an "OK" button that puts the window away.
// Enter, Escape and the title bar's close box put it away as "OK" does.
class Form3 : public ui::Form
{
public:
    explicit Form3(ui::Dialogs &dialogs);

    ui::PictureBox &Picture1() { return *m_ui.Picture1; }
    QPushButton &Command1() { return *m_ui.Command1; }

    void Command1_Click();

    // Empties the display, as "新規作成" does.
    void blankPicture();

protected:
    // Closed from its title bar (or Alt+F4), the window is put away as "OK" puts it away.
    void Form_Unload(int &Cancel) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Form3Ui m_ui;
};

} // namespace stereo
