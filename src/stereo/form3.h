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
class Form3 : public ui::Form
{
public:
    explicit Form3(ui::Dialogs &dialogs);

    ui::PictureBox &Picture1() { return *m_ui.Picture1; }
    QPushButton &Command1() { return *m_ui.Command1; }

    void Command1_Click();

    // Empties the display, as "新規作成" does.
    void blankPicture();

private:
    Form3Ui m_ui;
};

} // namespace stereo
