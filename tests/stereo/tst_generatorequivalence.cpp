// SPDX-License-Identifier: MIT

// The generator against the rule written out plainly, dot by dot, over many consecutive runs: the
// same pixels, the same carried level and the same point in the random sequence after every run.

#include "stereo/stereogramgenerator.h"
#include "ui/colour.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using stereo::Rnd;
using ui::QBColor;

namespace {

// The making of one stereogram exactly as the menu command describes it: Rnd once per strip dot,
// every map pixel read as Point reads it and compared with all 16 level colours, every dot set
// with PSet (clipped to `out`).
class ReferenceGenerator
{
public:
    explicit ReferenceGenerator(Rnd &rnd) : m_rnd(rnd) {}

    void make(const picture::Image &depth, picture::Image &out, int iroIndex)
    {
        auto point = [&](int x, int y) {
            return depth.rect().contains(x, y) ? ui::fromQRgb(depth.pixel(x, y)) : ui::NoColour;
        };
        auto pset = [&](int x, int y, int grey) {
            if (out.rect().contains(x, y))
                out.setPixel(x, y, ui::toQRgb(stereo::dotColour(grey, iroIndex)));
        };
        for (int y = 0; y <= 333; ++y) {
            for (int x = 0; x <= 60; ++x) {
                DotRow[std::size_t(x)] = qint16(int(m_rnd.next() * 256.0f));
                pset(x, y, DotRow[std::size_t(x)]);
            }
            for (int x = 61; x <= 450; ++x) {
                const ui::Colour c = point(x - 61, y);
                for (int k = 0; k <= 15; ++k)
                    if (QBColor(k) == c)
                        DepthLevel = qint16(k);
                DotRow[std::size_t(x)] = DotRow[std::size_t(x - 60 + DepthLevel)];
                pset(x, y, DotRow[std::size_t(x)]);
            }
            for (int x = 451; x <= 453; ++x) {
                DotRow[std::size_t(x)] = DotRow[std::size_t(x - 60)];
                pset(x, y, DotRow[std::size_t(x)]);
            }
        }
    }

    int depthLevel() const { return DepthLevel; }

private:
    Rnd &m_rnd;
    std::array<qint16, 636> DotRow{};
    qint16 DepthLevel = 0;
};

enum class MapKind {
    Shapes,         // rectangles and discs of level colours on black
    ShapesSpeckled, // the same with off-palette pixels strewn over it
    LevelNoise,     // every pixel a level colour of its own
    ColourNoise,    // every pixel any colour: mostly no level, so the carried one
    OffPalette,     // one colour that is no level
    NearLevels,     // level colours off by one in one component: no level, one bit from a match
    Null,           // the empty picture
};
constexpr int MapKinds = int(MapKind::Null) + 1;

QRgb levelRgb(int level)
{
    return ui::toQRgb(QBColor(level));
}

picture::Image randomMap(QRandomGenerator &random, MapKind kind, QSize size,
                         picture::Image::Format format)
{
    if (kind == MapKind::Null)
        return {};
    picture::Image map(size, picture::Image::Format::Rgb32);
    map.fill(levelRgb(0));
    const auto pick = [&](int n) { return int(random.bounded(n)); };
    switch (kind) {
    case MapKind::Shapes:
    case MapKind::ShapesSpeckled:
        for (int i = pick(12); i >= 0; --i) {
            const QRect r(pick(size.width()), pick(size.height()), 1 + pick(200), 1 + pick(150));
            const QRgb c = levelRgb(pick(16));
            const bool disc = pick(2) == 0;
            for (int y = r.top(); y <= r.bottom() && y < size.height(); ++y)
                for (int x = r.left(); x <= r.right() && x < size.width(); ++x)
                    if (!disc || QPointF(QPointF(x, y) - QRectF(r).center()).manhattanLength()
                                     < r.width() / 2.0)
                        map.setPixel(x, y, c);
        }
        if (kind == MapKind::ShapesSpeckled)
            for (int i = pick(3000); i >= 0; --i)
                map.setPixel(pick(size.width()), pick(size.height()),
                             qRgb(pick(256), pick(256), pick(256)));
        break;
    case MapKind::LevelNoise:
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                map.setPixel(x, y, levelRgb(pick(16)));
        break;
    case MapKind::ColourNoise:
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                map.setPixel(x, y, random.generate() | 0xff000000u);
        break;
    case MapKind::OffPalette:
        map.fill(qRgb(1, 2, 3));
        break;
    case MapKind::NearLevels:
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                map.setPixel(x, y, levelRgb(pick(16)) ^ (1u << pick(24)));
        break;
    case MapKind::Null:
        break;
    }
    if (format == picture::Image::Format::Argb32) {
        // The level match reads colour only: alpha that varies must not change a level.
        map = map.convertToFormat(picture::Image::Format::Argb32);
        for (int y = 0; y < size.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(map.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = (line[x] & 0xffffffu) | quint32(pick(256)) << 24;
        }
    }
    return map;
}

struct Run
{
    picture::Image map;
    int iroIndex;
};

} // namespace

class TestGeneratorEquivalence : public QObject
{
    Q_OBJECT

private slots:
    void sameAsTheRule_data();
    void sameAsTheRule();
    void jumpedRandomSequence_data();
    void jumpedRandomSequence();
};

void TestGeneratorEquivalence::sameAsTheRule_data()
{
    QTest::addColumn<QList<Run>>("runs");
    QTest::addColumn<QSize>("outSize");

    const QSize store(389, 333);
    const QSize display(453, 333);
    auto fixed = [&](MapKind kind, QSize size = {389, 333}) {
        QRandomGenerator random(7);
        return randomMap(random, kind, size, picture::Image::Format::Rgb32);
    };

    QList<Run> consecutive;
    for (int i = 0; i < 12; ++i)
        consecutive << Run{fixed(MapKind::Shapes), 2};
    QTest::newRow("one map, twelve runs in a row") << consecutive << display;

    QTest::newRow("each colour in turn")
        << QList<Run>{{fixed(MapKind::ShapesSpeckled), 0}, {fixed(MapKind::ShapesSpeckled), 1},
                      {fixed(MapKind::ShapesSpeckled), 2}, {fixed(MapKind::Shapes), 1}}
        << display;

    QTest::newRow("nothing matched since start") << QList<Run>{{fixed(MapKind::OffPalette), 2}}
                                                 << display;

    // A last level pixel at row 332, column 388; the next map has no level anywhere.
    picture::Image lastSeven = fixed(MapKind::OffPalette);
    lastSeven.setPixel(388, 332, levelRgb(7));
    QTest::newRow("level carried across rows and maps")
        << QList<Run>{{lastSeven, 2}, {fixed(MapKind::OffPalette), 0},
                      {fixed(MapKind::ColourNoise), 1}, {fixed(MapKind::NearLevels), 2}}
        << display;

    QTest::newRow("a level in every pixel, every pixel another")
        << QList<Run>{{fixed(MapKind::LevelNoise), 2}, {fixed(MapKind::LevelNoise), 0}} << display;

    QTest::newRow("maps smaller, larger, and none")
        << QList<Run>{{fixed(MapKind::Shapes, {100, 50}), 2},
                      {fixed(MapKind::ShapesSpeckled, {500, 400}), 1},
                      {fixed(MapKind::Null), 0},
                      {fixed(MapKind::Shapes, {390, 334}), 2},
                      {fixed(MapKind::Shapes, {1, 1}), 2}}
        << display;

    QTest::newRow("the whole 454 x 334 image")
        << QList<Run>{{fixed(MapKind::ShapesSpeckled), 2}, {fixed(MapKind::LevelNoise), 0}}
        << QSize(460, 340);
    QTest::newRow("a narrow display") << QList<Run>{{fixed(MapKind::Shapes), 1}} << QSize(70, 20);

    // Random sessions: maps of every kind, size and colour, one after another.
    for (quint32 seed = 1; seed <= 30; ++seed) {
        QRandomGenerator random(seed);
        QList<Run> runs;
        for (int i = 0; i < 4; ++i) {
            const auto kind = MapKind(random.bounded(MapKinds));
            const QSize size = random.bounded(4) == 0
                                   ? QSize(1 + random.bounded(600), 1 + random.bounded(500))
                                   : store;
            const auto format = random.bounded(5) == 0 ? picture::Image::Format::Argb32
                                                       : picture::Image::Format::Rgb32;
            runs << Run{randomMap(random, kind, size, format), int(random.bounded(3))};
        }
        QTest::addRow("random session %u", seed) << runs << display;
    }
}

void TestGeneratorEquivalence::sameAsTheRule()
{
    QFETCH(QList<Run>, runs);
    QFETCH(QSize, outSize);

    Rnd fastRnd;
    Rnd plainRnd;
    stereo::StereogramGenerator fast(fastRnd);
    ReferenceGenerator plain(plainRnd);
    picture::Image fastOut(outSize, picture::Image::Format::Rgb32);
    fastOut.fill(qRgb(255, 0, 255));
    picture::Image plainOut = fastOut.copy();
    for (int i = 0; i < runs.size(); ++i) {
        fast.make(runs[i].map, fastOut, qint16(runs[i].iroIndex));
        plain.make(runs[i].map, plainOut, runs[i].iroIndex);
        QVERIFY2(fastOut == plainOut, qPrintable(u"run %1: the pixels differ"_s.arg(i + 1)));
        QCOMPARE(int(fast.depthLevel()), plain.depthLevel());
        QCOMPARE(fastRnd.state(), plainRnd.state());
    }
}

void TestGeneratorEquivalence::jumpedRandomSequence_data()
{
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("one row's strip") << QList<int>{61};
    QTest::newRow("short and uneven fills") << QList<int>{0, 1, 2, 3, 4, 5, 7, 8, 9, 61, 3};
    QTest::newRow("a whole run's strips") << QList<int>(334, 61);
}

void TestGeneratorEquivalence::jumpedRandomSequence()
{
    QFETCH(QList<int>, counts);
    Rnd jumped;
    Rnd stepped;
    std::array<quint8, 64> greys{};
    for (int n : counts) {
        jumped.fillGreys(greys.data(), n);
        for (int i = 0; i < n; ++i)
            QCOMPARE(int(greys[std::size_t(i)]), int(stepped.next() * 256.0f));
        QCOMPARE(jumped.state(), stepped.state());
    }
}

QTEST_GUILESS_MAIN(TestGeneratorEquivalence)
#include "tst_generatorequivalence.moc"
