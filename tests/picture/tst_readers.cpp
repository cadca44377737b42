// SPDX-License-Identifier: MIT

// What the picture readers make of every file the tests know: the bitmap corpus, the fuzzer's
// seeds and reproducers, the hostile files, real JPEG, GIF and PNG pictures in their variants, and
// those cut short or with a byte changed. Each is compared with the line recorded for it in
// tests/data/readers/pixels.txt: the refusal, or the format, size and a hash of the pixels.
//
// With ZOMVORN_RECORD_PIXELS set to a file name, the test writes that table instead.

#include "picture/pictureerror.h"
#include "ui/qtimage.h"
#include "picture/pictureio.h"
#include "picture/picturescan.h"

#include "support/guardpage.h"
#include "support/hostilefiles.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QtEndian>

#include <cstdio>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Entry
{
    QByteArray bytes;
    QSize part;
    bool damaged = false; // cut short, changed or hostile: a refusal instead is allowed
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("test file missing: %s", qPrintable(path));
    return file.readAll();
}

// The result as one line: the refusal's kind, or the format, size and pixels. The pixels are
// hashed as 32-bit ARGB, big-endian, row by row, whatever the format the reader chose.
QString resultOf(const Entry &entry)
{
    QImage image;
    try {
        image = ui::toQImage(picture::decodePicture(entry.bytes, entry.part));
    } catch (const picture::PictureError &error) {
        return u"refused %1"_s.arg(int(error.kind()));
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray row(qsizetype(argb.width()) * 4, Qt::Uninitialized);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            qToBigEndian<quint32>(from[x], row.data() + 4 * x);
        hash.addData(row);
    }
    return u"format %1 %2x%3 %4"_s.arg(int(image.format()))
        .arg(image.width())
        .arg(image.height())
        .arg(QString::fromLatin1(hash.result().toHex().left(32)));
}

QStringList messages;

void keepMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    messages << message;
}

bool isRefusal(const QString &result)
{
    return result.startsWith(u"refused"_s);
}

} // namespace

class TestReaders : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, Entry> m_corpus;
    QMap<QString, QString> m_recorded;

    void add(const QString &name, const QByteArray &bytes, bool damaged, QSize part = {})
    {
        m_corpus.insert(name, Entry{bytes, part, damaged});
    }

    // Every picture file under a folder, by its path from `root`.
    void addFolder(const QString &root, const QString &prefix, const QString &sub)
    {
        const QRegularExpression damagedName(
            u"^b/|cut|no-end|end-without|lie|bomb|beyond|screen-|reproducers"_s);
        QDirIterator it(root + u'/' + sub, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(u".md"_s) || path.endsWith(u".txt"_s) || path.endsWith(u".sh"_s))
                continue;
            const QString relative = QDir(root).relativeFilePath(path);
            add(prefix + relative, readAll(path), damagedName.match(relative).hasMatch());
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString data = QStringLiteral(ZOMVORN_TESTDATA);
        addFolder(data, u"data/"_s, {});
        addFolder(QStringLiteral(ZOMVORN_FUZZ_DIR), u"fuzz/"_s, u"seeds"_s);
        addFolder(QStringLiteral(ZOMVORN_FUZZ_DIR), u"fuzz/"_s, u"reproducers"_s);
        for (const hostilefiles::Case &c : hostilefiles::make(m_dir.path())) {
            const QFileInfo info(c.path);
            // Only what reaches the decoder: the rest is refused from what the file is.
            if (info.isFile() && !info.isSymLink() && info.isReadable() && info.size() > 0
                && info.size() <= picture::MaxPictureFileBytes)
                add(u"hostile/"_s + c.name, readAll(c.path), true);
        }
        // The real pictures: whole, their top-left part, cut short and with a byte changed.
        QDir readers(data + u"/readers"_s);
        for (const QString &file : readers.entryList(QDir::Files, QDir::Name)) {
            if (file.endsWith(u".sh"_s) || file.endsWith(u".txt"_s))
                continue;
            const QByteArray whole = readAll(readers.filePath(file));
            const QString name = u"data/readers/"_s + file;
            add(name + u" part 13x9"_s, whole, false, QSize(13, 9));
            add(name + u" part 200x3"_s, whole, false, QSize(200, 3));
            for (qsizetype cut : {whole.size() / 3, whole.size() * 2 / 3, whole.size() - 1})
                add(name + u" cut at %1"_s.arg(cut), whole.left(cut), true);
            for (qsizetype at : {whole.size() / 4, whole.size() / 2, whole.size() * 3 / 4}) {
                QByteArray changed = whole;
                changed[at] = char(changed[at] ^ 0x5a);
                add(name + u" changed at %1"_s.arg(at), changed, true);
            }
        }

        const QString recordTo = qEnvironmentVariable("ZOMVORN_RECORD_PIXELS");
        if (!recordTo.isEmpty()) {
            QSaveFile out(recordTo);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("# What the picture readers make of each file of the test corpus: the refusal's\n"
                      "# kind (picture::PictureError::Kind), or the picture's format (QImage::Format),\n"
                      "# size and the SHA-256 of its pixels as big-endian ARGB, row by row (first 128\n"
                      "# bits). Written by tst_readers with ZOMVORN_RECORD_PIXELS set.\n");
            for (auto it = m_corpus.cbegin(); it != m_corpus.cend(); ++it)
                out.write((it.key() + u'\t' + resultOf(it.value()) + u'\n').toUtf8());
            QVERIFY(out.commit());
        }

        const QByteArray table = readAll(data + u"/readers/pixels.txt"_s);
        for (const QByteArray &line : table.split('\n')) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> fields = line.split('\t');
            QCOMPARE(fields.size(), 2);
            m_recorded.insert(QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]));
        }
    }

    // Every file recorded is still in the corpus, and every file in the corpus is recorded.
    void corpusIsRecorded()
    {
        QCOMPARE(m_recorded.keys(), m_corpus.keys());
    }

    // Reading the whole corpus, damaged files and all, says nothing: neither on standard error
    // nor through Qt's messages.
    void nothingPrinted()
    {
        QTemporaryFile errors;
        QVERIFY(errors.open());
        std::fflush(stderr);
        const int saved = ::dup(STDERR_FILENO);
        QVERIFY(saved >= 0);
        QVERIFY(::dup2(errors.handle(), STDERR_FILENO) >= 0);
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        for (const Entry &entry : std::as_const(m_corpus))
            resultOf(entry);
        qInstallMessageHandler(previous);
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        errors.seek(0);
        QCOMPARE(errors.readAll(), QByteArray());
        QCOMPARE(messages, QStringList());
    }

    void samePixels_data()
    {
        QTest::addColumn<QString>("name");
        for (auto it = m_corpus.cbegin(); it != m_corpus.cend(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key();
    }

    // The same result as recorded; a damaged file may be refused where it was read, but never
    // read with other pixels.
    void samePixels()
    {
        QFETCH(QString, name);
        const Entry entry = m_corpus.value(name);
        QVERIFY2(m_recorded.contains(name), "not recorded");
        const QString recorded = m_recorded.value(name);
        const QString now = resultOf(entry);
        if (entry.damaged && isRefusal(now) && !isRefusal(recorded)) {
            qInfo("refused now, read before: %s", qPrintable(recorded));
            return;
        }
        QCOMPARE(now, recorded);
    }

    // A palette of all 256 colours with a transparent first one: the last colour is read as
    // written, beside the transparency table.
    void aFullPaletteKeepsItsLastColour()
    {
        QImage indexed(256, 1, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table << qRgba(i, 255 - i, 7, i == 0 ? 0 : 255);
        indexed.setColorTable(table);
        for (int x = 0; x < 256; ++x)
            indexed.setPixel(x, 0, uint(x));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && indexed.save(&buffer, "PNG"));
        QVERIFY(png.contains("tRNS"));
        const picture::Image read =
            picture::decodePicture(png).convertToFormat(picture::Image::Format::Argb32);
        QCOMPARE(read.pixel(255, 0), qRgba(255, 0, 7, 255));
        QCOMPARE(read.pixel(254, 0), qRgba(254, 1, 7, 255));
    }

    // The markers that stand alone, without a length, may come between a JPEG's segments (libjpeg
    // passes over them): each is stepped over, and the file is whole.
    void standAloneJpegMarkers_data()
    {
        QTest::addColumn<char>("marker");
        QTest::newRow("RST0") << char(0xd0);
        QTest::newRow("RST7") << char(0xd7);
        QTest::newRow("TEM") << char(0x01);
    }

    void standAloneJpegMarkers()
    {
        QFETCH(char, marker);
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "JPEG"));
        QVERIFY(jpeg.endsWith("\xff\xd9"));
        QCOMPARE(int(picture::scanPicture(jpeg).verdict), int(picture::PictureScan::Verdict::Fine));
        jpeg.insert(2, QByteArray("\xff") + marker);
        QCOMPARE(int(picture::scanPicture(jpeg).verdict), int(picture::PictureScan::Verdict::Fine));
    }

    // Files that end before the walk has found what it looks for, laid against memory that
    // cannot be read: the walk stops at their last byte.
    void theWalkReadsNothingPastTheEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("verdict");
        const int cutShort = int(picture::PictureScan::Verdict::CutShort);
        QTest::newRow("JPEG, its first two bytes") << QByteArray("\xff\xd8", 2)
                                                    << int(picture::PictureScan::Verdict::Unknown);
        QTest::newRow("JPEG, no marker after a stray one")
            << QByteArray("\xff\xd8\xff\x01" "abcdefgh", 12) << cutShort;
        QTest::newRow("JPEG, ending in the fill bytes before a marker")
            << QByteArray("\xff\xd8\xff\x01" "ab\xff\xff", 8) << cutShort;
        QTest::newRow("JPEG, inside a segment's length")
            << QByteArray("\xff\xd8\xff\xe0\x00", 5) << cutShort;
        QTest::newRow("PNG, inside the first chunk")
            << QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 16) << cutShort;
        // A 40-byte header cut one byte before its compression field ends.
        QTest::newRow("BMP, inside the header")
            << (QByteArray("BM", 2) + QByteArray(12, '\0') + QByteArray("\x28\0\0\0", 4)
                + QByteArray(15, '\1'))
            << cutShort;
        QTest::newRow("GIF, inside the screen's size") << QByteArray("GIF89a\x01\x00", 8) << cutShort;
    }

    void theWalkReadsNothingPastTheEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, verdict);
        const GuardPage memory;
        QVERIFY(memory.isValid());
        char *start = memory.endingAtGuard(std::size_t(bytes.size()));
        std::memcpy(start, bytes.constData(), size_t(bytes.size()));
        const picture::PictureScan scan = picture::scanPicture(QByteArrayView(start, bytes.size()));
        QCOMPARE(int(scan.verdict), verdict);
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
