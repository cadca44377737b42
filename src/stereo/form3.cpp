// SPDX-License-Identifier: MIT

#include "form3.h"

#include "ui/picturebox.h"
#include "ui/runtimeerror.h"

#include <QKeyEvent>
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

void Form3::Form_Unload(int &Cancel)
{
    // Unloading would throw the stereogram away, and the random sequence has moved on, so it could
    // not be made again: the window stays loaded, hidden, with its picture kept for saving.
    Cancel = 1;
    Command1_Click();
}

void Form3::keyPressEvent(QKeyEvent *event)
{
    if (ui::isEnterKey(*event)
        || (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)) {
        m_ui.Command1->click();
        event->accept();
        return;
    }
    ui::Form::keyPressEvent(event);
}

void Form3::blankPicture()
{
    m_ui.Picture1->setPicture({});
}

} // namespace stereo
