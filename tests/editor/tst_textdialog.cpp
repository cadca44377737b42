// SPDX-License-Identifier: MIT

#include "editor/textdialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTextDialog : public QObject
{
    Q_OBJECT

private slots:
    void textIsBounded_data();
    void textIsBounded();
};

void TestTextDialog::textIsBounded_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one character") << 1 << 48 << true;
    QTest::newRow("200 characters at 300 px") << 200 << 300 << true;
    QTest::newRow("201 characters") << 201 << 12 << false;
    QTest::newRow("100,000 characters at 300 px") << 100'000 << 300 << false;
}

// A text of at most 200 characters is drawn, never larger than the canvas; a longer one is
// refused by the dialog, which says why, and by the drawing itself.
void TestTextDialog::textIsBounded()
{
    QFETCH(int, length);
    QFETCH(int, pixelSize);
    QFETCH(bool, accepted);
    const QString text(length, u'あ');
    editor::TextDialog dialog;
    dialog.text->setPlainText(text);
    QCOMPARE(dialog.ok->isEnabled(), accepted);
    // The text goes in at the nearest level unless another is chosen.
    QCOMPARE(dialog.level->value(), 15);
    // The sizes offered end at 300 pixels, the largest drawn here.
    dialog.size->setValue(pixelSize);
    QCOMPARE(dialog.size->value(), pixelSize);
    dialog.size->stepUp();
    QCOMPARE(dialog.size->value(), std::min(pixelSize + 1, 300));
    QCOMPARE(dialog.lengthNote->isHidden(), accepted);
    if (!accepted)
        QCOMPARE(dialog.lengthNote->text(), u"文字は 200 字までです（いまは %1 字）。"_s.arg(length));

    const QSize canvas(389, 333);
    const QImage mask = editor::textMask({text, editor::defaultTextFont(), pixelSize, 15}, canvas);
    QCOMPARE(mask.isNull(), !accepted);
    if (accepted) {
        QVERIFY(mask.width() <= canvas.width() && mask.height() <= canvas.height());
        QVERIFY(mask.width() > 0 && mask.height() > 0);
    }
}

QTEST_MAIN(TestTextDialog)
#include "tst_textdialog.moc"
