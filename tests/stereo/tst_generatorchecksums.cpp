// SPDX-License-Identifier: MIT

// The generator's pictures, byte for byte, against checksums recorded from the generator as it
// was before its rows were made faster (tests/data/generator-md5.txt): every map kind, several
// points of the random sequence, two runs in a row each, on every path the processor has.

#include "stereo/stereogramgenerator.h"
#include "picture/colour.h"
#include "picture/pictureio.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using stereo::Rnd;

namespace {

// Numbers of their own for the maps, the same on every system.
class Numbers
{
public:
    explicit Numbers(quint32 seed) : m_state(seed) {}
    int below(int n)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return int((quint64(m_state >> 8) * quint64(n)) >> 24);
    }

private:
    quint32 m_state;
};

QRgb levelRgb(int level)
{
    return picture::toQRgb(picture::QBColor(level));
}

// A map of the depth store's size whose pixel (x, y) is pixel(x, y).
picture::Image mapOf(const std::function<QRgb(int, int)> &pixel, QSize size = {389, 333},
             picture::Image::Format format = picture::Image::Format::Rgb32)
{
    picture::Image map(size, format);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            map.setPixel(x, y, pixel(x, y));
    return map;
}

// Runs of one level each, their lengths drawn by `length`, starting anew on every row.
picture::Image runsMap(quint32 seed, const std::function<int(Numbers &, int)> &length)
{
    Numbers n(seed);
    picture::Image map(389, 333, picture::Image::Format::Rgb32);
    for (int y = 0; y < map.height(); ++y) {
        for (int x = 0; x < map.width();) {
            const QRgb c = n.below(9) == 0 ? qRgb(n.below(256), 7, 9) : levelRgb(n.below(16));
            for (int end = std::min(map.width(), x + length(n, y)); x < end; ++x)
                map.setPixel(x, y, c);
        }
    }
    return map;
}

picture::Image discs()
{
    return mapOf([](int x, int y) {
        const int d2 = (x - 194) * (x - 194) + (y - 166) * (y - 166);
        return levelRgb(d2 < 1600 ? 15 : d2 < 6400 ? 9 : d2 < 14400 ? 3 : 0);
    });
}

struct Case
{
    const char *name;
    std::function<picture::Image()> map;
    QSize out = {453, 333};
};

QList<Case> cases()
{
    const QString data = QStringLiteral(ZOMVORN_TESTDATA);
    return {
        {"flat black", [] { return mapOf([](int, int) { return levelRgb(0); }); }},
        {"flat level 9", [] { return mapOf([](int, int) { return levelRgb(9); }); }},
        {"flat off-palette", [] { return mapOf([](int, int) { return qRgb(1, 2, 3); }); }},
        {"stepped 0 then 10",
         [] { return mapOf([](int x, int) { return levelRgb(x < 50 ? 0 : 10); }); }},
        {"every level in columns",
         [] { return mapOf([](int x, int) { return levelRgb(x / 24 % 16); }); }},
        {"every level in rows", [] { return mapOf([](int, int y) { return levelRgb(y % 16); }); }},
        {"every level as a staircase",
         [] { return mapOf([](int x, int y) { return levelRgb((x + y) / 9 % 16); }); }},
        {"discs", discs},
        {"discs with a dotted row",
         [] {
             picture::Image map = discs();
             for (int x = 0; x < map.width(); x += 13)
                 map.setPixel(x, 50, qRgb(1, 2, 3));
             return map;
         }},
        {"level noise",
         [] {
             Numbers n(11);
             return mapOf([&](int, int) { return levelRgb(n.below(16)); });
         }},
        {"colour noise",
         [] {
             Numbers n(12);
             // One draw after another: the order of a call's arguments is the compiler's choice.
             return mapOf([&](int, int) {
                 const int blue = n.below(256);
                 const int green = n.below(256);
                 return qRgb(n.below(256), green, blue);
             });
         }},
        {"levels one bit off",
         [] {
             Numbers n(13);
             return mapOf([&](int, int) {
                 const QRgb level = levelRgb(n.below(16));
                 return level ^ (1u << n.below(24));
             });
         }},
        {"single-pixel noise on level 4",
         [] {
             Numbers n(14);
             return mapOf([&](int, int) {
                 const int r = n.below(40);
                 return r == 0 ? levelRgb(n.below(16)) : r == 1 ? qRgb(200, 1, 1) : levelRgb(4);
             });
         }},
        {"runs of every length",
         [] { return runsMap(15, [](Numbers &, int y) { return 1 + y % 48; }); }},
        {"runs of mixed lengths",
         [] { return runsMap(16, [](Numbers &n, int) { return 1 + n.below(70); }); }},
        {"short runs",
         [] { return runsMap(17, [](Numbers &n, int) { return 1 + n.below(6); }); }},
        {"noisy left, flat right",
         [] {
             Numbers n(18);
             return mapOf(
                 [&](int x, int y) { return levelRgb(x < 150 + y % 60 ? n.below(16) : 6); });
         }},
        {"flat left, noisy right",
         [] {
             Numbers n(19);
             return mapOf(
                 [&](int x, int y) { return levelRgb(x < 150 + y % 60 ? 12 : n.below(16)); });
         }},
        {"noisy and flat rows in turn",
         [] {
             Numbers n(20);
             return mapOf([&](int, int y) { return levelRgb(y / 5 % 2 ? n.below(16) : y % 16); });
         }},
        {"alpha that varies",
         [] {
             Numbers n(21);
             return mapOf(
                 [&](int x, int) {
                     return (levelRgb(x / 30 % 16) & 0xffffffu) | quint32(n.below(256)) << 24;
                 },
                 {389, 333}, picture::Image::Format::Argb32);
         }},
        {"no map", [] { return picture::Image(); }},
        {"a small map",
         [] { return mapOf([](int x, int y) { return levelRgb((x ^ y) % 16); }, {100, 50}); }},
        {"a large map",
         [] { return mapOf([](int x, int y) { return levelRgb((x / 7 + y) % 16); }, {500, 400}); }},
        {"one pixel", [] { return mapOf([](int, int) { return levelRgb(13); }, {1, 1}); }},
        {"a loaded 4-bit picture",
         [=] { return picture::loadPicture(data + u"/levels-4bit.bmp"_s); }},
        {"a loaded photo", [=] { return picture::loadPicture(data + u"/bmpsuite/g/rgb24.bmp"_s); }},
        {"the whole 454 x 334 image", discs, {460, 340}},
        {"a narrow display", discs, {70, 20}},
    };
}

// Where the random sequence and the carried level stand when each case's runs start.
struct Start
{
    const char *name;
    stereo::RunStart start;
    qint16 iroIndex;
};
const Start starts[] = {
    {"first run", {}, 2},
    {"run 777 after level 13", stereo::runStart(777, 13), 0},
    {"run 40000 after level 5", stereo::runStart(40000, 5), 1},
};

// "md5 level state" of each recorded case, by its name.
QHash<QString, QString> recorded()
{
    QHash<QString, QString> sums;
    QFile file(QStringLiteral(ZOMVORN_TESTDATA) + u"/generator-md5.txt"_s);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return sums;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const QStringList fields = line.split(u' ');
        if (fields.size() > 3 && !line.startsWith(u'#'))
            sums.insert(fields.mid(3).join(u' '), fields.mid(0, 3).join(u' '));
    }
    return sums;
}

} // namespace

class TestGeneratorChecksums : public QObject
{
    Q_OBJECT

private slots:
    void sameBytesAsRecorded_data();
    void sameBytesAsRecorded();
    void switchForcesThePlainPath();
};

void TestGeneratorChecksums::sameBytesAsRecorded_data()
{
    QTest::addColumn<picture::Image>("map");
    QTest::addColumn<QSize>("outSize");
    QTest::addColumn<stereo::RunStart>("start");
    QTest::addColumn<qint16>("iroIndex");
    for (const Case &c : cases()) {
        const picture::Image map = c.map();
        for (const Start &s : starts)
            QTest::addRow("%s, %s", c.name, s.name) << map << c.out << s.start << s.iroIndex;
    }
}

void TestGeneratorChecksums::sameBytesAsRecorded()
{
    QFETCH(picture::Image, map);
    QFETCH(QSize, outSize);
    QFETCH(stereo::RunStart, start);
    QFETCH(qint16, iroIndex);
    QVERIFY2(QFile::exists(QStringLiteral(ZOMVORN_TESTDATA) + u"/generator-md5.txt"_s),
             "tests/data/generator-md5.txt is missing");
    static const QHash<QString, QString> sums = recorded();

    if (!map.isNull())
        map = map.convertToFormat(map.hasAlphaChannel() ? picture::Image::Format::Argb32
                                                        : picture::Image::Format::Rgb32);
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    QVERIFY2(sums.contains(name), qPrintable(u"not recorded: %1"_s.arg(name)));
    // The path a generator takes unless told, with a row callback as the menu command has, then
    // every path this processor has.
    const QList<stereo::GeneratorPath> paths = stereo::availableGeneratorPaths();
    for (qsizetype path = -1; path < paths.size(); ++path) {
        Rnd rnd(start.state);
        stereo::StereogramGenerator generator(rnd, start.level);
        if (path >= 0)
            generator.setPath(paths[path]);
        QCryptographicHash md5(QCryptographicHash::Md5);
        for (int run = 0; run < 2; ++run) {
            picture::Image out(outSize, picture::Image::Format::Rgb32);
            out.fill(qRgb(255, 0, 255));
            int rows = 0;
            const auto nextRow = [&](int y) { QCOMPARE(y, rows++); };
            generator.make(map, out, iroIndex, path < 0 ? nextRow : std::function<void(int)>());
            QCOMPARE(rows, path < 0 ? 334 : 0);
            for (int y = 0; y < out.height(); ++y)
                md5.addData(QByteArrayView(out.constScanLine(y), out.width() * 4));
        }
        const QString made = u"%1 %2 %3"_s.arg(QString::fromLatin1(md5.result().toHex()))
                                 .arg(generator.depthLevel())
                                 .arg(rnd.state());
        QVERIFY2(made == sums.value(name),
                 qPrintable(u"path %1 made %2, recorded %3"_s.arg(path).arg(made,
                                                                          sums.value(name))));
    }
}

// The switch the tests run a second time with: the plain path, whatever the processor.
void TestGeneratorChecksums::switchForcesThePlainPath()
{
    const QByteArray plain = qgetenv("ZOMVORN_PLAIN_GENERATOR");
    if (plain.isEmpty() || plain == "0")
        QSKIP("ZOMVORN_PLAIN_GENERATOR is not set");
    QCOMPARE(stereo::preferredGeneratorPath(), stereo::GeneratorPath::Plain);
}

QTEST_GUILESS_MAIN(TestGeneratorChecksums)
#include "tst_generatorchecksums.moc"
