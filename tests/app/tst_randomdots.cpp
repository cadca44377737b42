// SPDX-License-Identifier: MIT

#include "support/scripteddialogs.h"
#include "support/testimages.h"

#include "app/randomdots.h"

#include "ui/picturebox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using stereo::Rnd;
using stereo::StereogramGenerator;
using ui::RGB;

class TestRandomDots : public QObject
{
    Q_OBJECT

private slots:
    void runShowsProgressAndStatusInOrder();

private:
    ScriptedDialogs m_dialogs;
};

void TestRandomDots::runShowsProgressAndStatusInOrder()
{
    QWidget window;
    QLabel label(&window);
    ui::PictureBox depth(&window, QRect(0, 0, 393, 337), RGB(0, 0, 0),
                         ui::PictureSurface::FillStyle::Solid);
    depth.setPicture(testimages::shapeMap());
    ui::FormSlot<stereo::Form3> form3([this] { return std::make_unique<stereo::Form3>(m_dialogs); });
    Rnd rnd;
    StereogramGenerator generator(rnd);

    QStringList events;
    QList<int> rows;
    auto progress = [&](int y) {
        if (y == 0)
            events << u"rows, status %1, hourglass %2"_s.arg(label.text())
                          .arg(window.cursor().shape() == Qt::WaitCursor);
        rows << y;
    };
    QTimer::singleShot(0, [&] {
        events << u"shown, status %1, hourglass %2"_s.arg(label.text())
                      .arg(window.cursor().shape() == Qt::WaitCursor);
        form3->Command1().click();
    });
    app::makeRandomDots(generator, depth, form3, 2, {window, label, progress});
    events << u"after, status %1"_s.arg(label.text());

    QCOMPARE(events, (QStringList{u"rows, status ランダムドットを作成中です..., hourglass 1"_s,
                                  u"shown, status 作成完了, hourglass 0"_s, u"after, status "_s}));
    QCOMPARE(rows.size(), 334);
    for (int y = 0; y < 334; ++y)
        QCOMPARE(rows[y], y);
    QVERIFY(form3.isLoaded());
    QCOMPARE(ui::fromQRgb(form3->Picture1().Image().pixel(0, 0)), RGB(180, 180, 250));
}


QTEST_MAIN(TestRandomDots)
#include "tst_randomdots.moc"
