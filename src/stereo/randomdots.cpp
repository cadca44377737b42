#include "randomdots.h"

#include "ui/picturebox.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace stereo {

QString makingText() { return u"ランダムドットを作成中です..."_s; }
QString doneText() { return u"作成完了"_s; }

static void setStatus(QLabel &label, const QString &text)
{
    label.setText(text);
    label.repaint();
}

void makeRandomDots(StereogramGenerator &generator, const ui::PictureBox &depthStore,
                    ui::FormSlot<Form3> &form3, qint16 iroIndex, const RunFeedback &feedback)
{
    feedback.window.setCursor(Qt::WaitCursor);
    setStatus(feedback.Label4, makingText());

    ui::PictureBox &display = form3->Picture1();
    QImage &out = display.surface().persistentImageForWriting();
    generator.make(depthStore.surface().persistentImage(), out, iroIndex,
                   feedback.showProgress);
    display.surface().persistentChanged(
        QRect(0, 0, ImageWidth, ImageHeight).intersected(out.rect()));
    display.update();

    setStatus(feedback.Label4, doneText());
    feedback.window.unsetCursor();

    form3.showModal();

    setStatus(feedback.Label4, QString());
}

} // namespace stereo
