#include "form3.h"

#include "ui/picturebox.h"
#include "ui/runtimeerror.h"

#include <QPushButton>

namespace stereo {

Form3::Form3(ui::Dialogs &dialogs) : ui::Form(Form3Ui::caption(), Form3Ui::clientArea())
{
    m_ui.setupUi(this);
    ui::connectGuarded(dialogs, m_ui.Command1, &QPushButton::clicked, this,
                       [this] { Command1_Click(); });
}

void Form3::Command1_Click()
{
    // Hidden, not unloaded: the stereogram stays for saving and for the next showing.
    setVisible(false);
}

void Form3::blankPicture()
{
    m_ui.Picture1->setPicture({});
}

} // namespace stereo
