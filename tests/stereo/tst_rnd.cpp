// SPDX-License-Identifier: MIT

#include "stereo/rnd.h"

#include <QTest>

using stereo::Rnd;

class TestRnd : public QObject
{
    Q_OBJECT

private slots:
    void rndFirstValues();
    void greyIsTheWholePartOfRndTimes256();
};

void TestRnd::rndFirstValues()
{
    Rnd rnd;
    QVERIFY(qAbs(rnd.next() - 0.7055475f) < 1e-6f);
    QVERIFY(qAbs(rnd.next() - 0.5334240f) < 1e-6f);
    QVERIFY(qAbs(rnd.next() - 0.5795186f) < 1e-6f);
}


void TestRnd::greyIsTheWholePartOfRndTimes256()
{
    Rnd a, b;
    for (int i = 0; i < 100000; ++i)
        QCOMPARE(a.nextGrey(), int(b.next() * 256.0f));
}


QTEST_APPLESS_MAIN(TestRnd)
#include "tst_rnd.moc"
