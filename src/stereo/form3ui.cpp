// SPDX-License-Identifier: MIT

#include "form3ui.h"

#include "ui/controls.h"
#include "ui/picturebox.h"
#include "ui/twips.h"

#include <QDialog>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace stereo {

QString Form3Ui::caption() { return u"ランダムドット表示"_s; }
QSize Form3Ui::clientArea() { return ui::twipsSize(6855, 5505); }

void Form3Ui::setupUi(QDialog *window)
{
    window->setObjectName(u"Form3"_s);
    Picture1 = ui::picture(window, u"Picture1"_s, {0, 0, 6855, 5055}, ui::RGB(255, 255, 255),
                           ui::PictureSurface::FillStyle::Transparent);
    Picture1->setAccessibleName(u"ランダムドット・ステレオグラム"_s);
    Picture1->setAutoRedraw(true);
    Command1 = ui::button(window, u"Command1"_s, {5400, 5100, 1335, 375}, u"OK"_s);
    QWidget::setTabOrder(Picture1, Command1);
    Picture1->setFocus();
}

} // namespace stereo
