#pragma once

#include "ui/form.h"
#include "ui/forms.h"

namespace ui {
class PictureBox;
}

namespace stereo {

// The display window: the stereogram in Picture1 and an "OK" button that puts the window away.
class Form3 : public ui::Form
{
public:
    Form3();

    ui::PictureBox &Picture1() { return *m_ui.Picture1; }
    QPushButton &Command1() { return *m_ui.Command1; }

    void Command1_Click();

private:
    ui::Form3Ui m_ui;
};

} // namespace stereo
