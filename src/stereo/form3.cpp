#include "form3.h"

#include <QPushButton>

namespace stereo {

Form3::Form3() : ui::Form(ui::Form3Ui::caption(), ui::Form3Ui::clientArea())
{
    m_ui.setupUi(this);
    connect(m_ui.Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Form3::Command1_Click()
{
    // Hidden, not unloaded: the stereogram stays for saving and for the next showing.
    setVisible(false);
}

} // namespace stereo
