// SPDX-License-Identifier: MIT

#include "randomdots.h"

#include "ui/picturebox.h"
#include "ui/qtimage.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace app {

QString makingText() { return u"ランダムドットを作成中です..."_s; }
QString doneText() { return u"作成完了"_s; }

static void setStatus(QLabel &label, const QString &text)
{
    label.setText(text);
    label.repaint();
}

void makeRandomDots(stereo::StereogramGenerator &generator, const ui::PictureBox &depthStore,
                    ui::FormSlot<stereo::Form3> &form3, qint16 iroIndex,
                    const RunFeedback &feedback)
{
    feedback.window.setCursor(Qt::WaitCursor);
    setStatus(feedback.Label4, makingText());

    form3->Picture1().drawPersistent([&](QImage &out) {
        picture::Image made = ui::fromQImage(out);
        generator.make(ui::fromQImage(depthStore.surface().persistentImage()), made, iroIndex,
                       feedback.showProgress);
        out = ui::toQImage(std::move(made));
        return QRect(0, 0, stereo::ImageWidth, stereo::ImageHeight);
    });

    setStatus(feedback.Label4, doneText());
    feedback.window.unsetCursor();
    if (feedback.made)
        feedback.made();

    form3.showModal();

    setStatus(feedback.Label4, QString());
}

} // namespace app
