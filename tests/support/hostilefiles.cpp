// SPDX-License-Identifier: MIT

#include "hostilefiles.h"

#include "testimages.h"

#include "ui/runtimeerror.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

using namespace Qt::StringLiterals;

namespace hostilefiles {

namespace {

const QString NotFound = u"ファイルが見つかりません"_s;
const QString NoPath = u"パスが見つかりません"_s;
const QString NoPermission = u"読み取る許可がありません"_s;
const QString Folder = u"フォルダーです"_s;
const QString NotRegular = u"通常のファイルではありません"_s;
const QString Empty = u"ファイルが空です"_s;
const QString NotPicture = u"画像ファイルではないか、対応していない形式です"_s;
const QString Unsupported = u"対応していない形式の画像です"_s;
const QString Damaged = u"画像ファイルが壊れています"_s;
const QString CutShort = u"ファイルが途中で切れています"_s;

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBe32(QByteArray &out, quint32 v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char(v >> shift));
}

void putBe16(QByteArray &out, int v)
{
    out.append(char(v >> 8));
    out.append(char(v));
}

void putLe32(QByteArray &out, quint32 v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char(v >> shift));
}

void putLe16(QByteArray &out, int v)
{
    out.append(char(v));
    out.append(char(v >> 8));
}

QImage gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) & 0xff));
    return image;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("test file missing: %s", qPrintable(path));
    return file.readAll();
}

} // namespace

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray smallGif()
{
    return QByteArray::fromBase64(
        "R0lGODlhEAAQAPMAAP8AAO4AEd0AIswAM7sARKoAVZkAZogAd3cAiGYAmVUAqkQAuzMAzCIA3REA7gAA/yH5"
        "BAAAAAAALAAAAAAQABAAAAROEMhJKwg46x2E/2AoDGRpngOhrmxLFHAsz4Vh33huHHzv/weEcEgsIhLIpHKZ"
        "UDif0KhiQa1arwuGdsvtMhrgsHjccJjP6LTjwW67348IADs=");
}

QByteArray pngChunk(const char *type, const QByteArray &data, qint64 statedLength)
{
    QByteArray out;
    putBe32(out, quint32(statedLength >= 0 ? statedLength : data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    putBe32(out, crc32(body));
    return out;
}

QByteArray pngHeader(quint32 width, quint32 height, int bitDepth)
{
    QByteArray ihdr;
    putBe32(ihdr, width);
    putBe32(ihdr, height);
    ihdr.append(char(bitDepth));
    ihdr.append(char(2)); // RGB
    ihdr.append(3, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr);
}

QByteArray jpegSkeleton(int width, int height, bool progressive, int scans)
{
    QByteArray out("\xff\xd8", 2);
    out.append("\xff", 1).append(char(progressive ? 0xc2 : 0xc0));
    putBe16(out, 17);
    out.append(char(8));
    putBe16(out, height);
    putBe16(out, width);
    out.append(char(3));
    for (int c = 1; c <= 3; ++c)
        out.append(char(c)).append(char(0x11)).append(char(0));
    for (int scan = 0; scan < scans; ++scan) {
        out.append("\xff\xda", 2);
        putBe16(out, 12);
        out.append(char(3));
        for (int c = 1; c <= 3; ++c)
            out.append(char(c)).append(char(0));
        out.append(char(0)).append(char(progressive ? 0 : 63)).append(char(0));
        out.append(QByteArray(4, '\0'));
    }
    out.append("\xff\xd9", 2);
    return out;
}

QByteArray emptyRle8Bitmap(int width, int height)
{
    const int dataOffset = 14 + 40 + 256 * 4;
    QByteArray out("BM", 2);
    putLe32(out, quint32(dataOffset + 2));
    putLe32(out, 0);
    putLe32(out, quint32(dataOffset));
    putLe32(out, 40);
    putLe32(out, quint32(width));
    putLe32(out, quint32(height));
    putLe16(out, 1);
    putLe16(out, 8);
    putLe32(out, 1); // RLE8
    putLe32(out, 2);
    putLe32(out, 2835);
    putLe32(out, 2835);
    putLe32(out, 256);
    putLe32(out, 0);
    for (int i = 0; i < 256; ++i)
        putLe32(out, quint32(i * 0x010101));
    out.append("\x00\x01", 2); // end of bitmap
    return out;
}

QList<Case> make(const QString &dirPath)
{
    const QDir dir(dirPath);
    QList<Case> cases;
    auto add = [&](const QString &name, const QString &path, int number, const QString &reason) {
        cases.append({name, path, number, reason});
    };
    auto write = [&](const QString &file, const QByteArray &bytes) {
        QFile f(dir.filePath(file));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    };
    constexpr int Invalid = ui::RuntimeError::InvalidPicture;
    constexpr int Access = ui::RuntimeError::PathFileAccessError;

    const QString text = write(u"notes.bmp"_s, "this is not a picture\n");
    add(u"missing"_s, dir.filePath(u"missing.bmp"_s), ui::RuntimeError::FileNotFound, NotFound);
    add(u"missing folder"_s, dir.filePath(u"no/such/x.bmp"_s), ui::RuntimeError::FileNotFound,
        NotFound);
    add(u"a file as folder"_s, text + u"/x.bmp"_s, ui::RuntimeError::PathNotFound, NoPath);
    dir.mkdir(u"folder.bmp"_s);
    add(u"a folder"_s, dir.filePath(u"folder.bmp"_s), Access, Folder);

    const QString pipe = dir.filePath(u"pipe.bmp"_s);
    ::mkfifo(QFile::encodeName(pipe).constData(), 0600);
    add(u"named pipe"_s, pipe, Access, NotRegular);
    const QString link = dir.filePath(u"link.bmp"_s);
    QFile::link(pipe, link);
    add(u"link to a pipe"_s, link, Access, NotRegular);
    const QString socketPath = dir.filePath(u"socket.bmp"_s);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(),
                 sizeof address.sun_path - 1);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::close(fd);
    add(u"socket"_s, socketPath, Access, NotRegular);
    add(u"device"_s, u"/dev/zero"_s, Access, NotRegular);

    if (::geteuid() != 0) {
        const QString locked =
            write(u"locked.bmp"_s, readAll(testimages::bmpsuite(u"g/pal8.bmp"_s)));
        QFile::setPermissions(locked, {});
        add(u"no permission"_s, locked, Access, NoPermission);
    }

    add(u"empty"_s, write(u"empty.bmp"_s, {}), Invalid, Empty);
    add(u"text"_s, text, Invalid, NotPicture);
    // Formats other than the four that are walked before decoding: each is refused unread,
    // whichever plugins are installed, whatever its name says.
    // Pixels set, so that the same files are made each time.
    QImage small(4, 3, QImage::Format_RGB32);
    small.fill(0xff204060u);
    QImage tiny(2, 2, QImage::Format_ARGB32);
    tiny.fill(0x80406020u);
    QByteArray ico("\0\0\1\0\1\0", 6);
    const QByteArray nested = encoded(tiny, "PNG");
    ico += QByteArray("\2\2\0\0\1\0\x20\0", 8);
    putLe32(ico, quint32(nested.size()));
    putLe32(ico, 22);
    ico += nested;
    const QList<std::pair<QString, QByteArray>> otherFormats = {
        {u"icon holding a PNG"_s, ico},
        {u"cursor"_s, QByteArray("\0\0\2\0\0\0", 6)},
        {u"Apple icon"_s, QByteArray("icns\0\0\0\x08", 8)},
        {u"SVG drawing another file"_s,
         "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
         "width='10' height='10'><image xlink:href='" + QFile::encodeName(pipe) + "' "
         "width='10' height='10'/></svg>\n"},
        {u"gzip named .bmp"_s, QByteArray("\x1f\x8b\x08\0\0\0\0\0\0\3", 10) + QByteArray(64, '\0')},
        {u"binary PPM"_s, encoded(small, "PPM")},
        {u"text PGM"_s, "P2\n2 1\n255\n10 25"},
        {u"XPM"_s, encoded(small, "XPM")},
        {u"XBM"_s, "#define t_width 8\n#define t_height 1\nstatic unsigned char t_bits[] = {\n0x0f };"},
        {u"TGA"_s, QByteArray("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\1\0\x18\0", 18) + QByteArray(6, '\x7f')},
        {u"WBMP"_s, QByteArray("\0\0\x08\x01\xff", 5)},
    };
    for (const auto &[kind, bytes] : otherFormats)
        add(kind, write(kind.toLower().replace(u' ', u'-') + u".bmp"_s, bytes), Invalid,
            NotPicture);
    add(u"unsupported compression"_s, testimages::bmpsuite(u"q/rgb24jpeg.bmp"_s), Invalid,
        Unsupported);
    for (const char *variant : {"q/pal8os2v2-16.bmp", "q/rgb32h52.bmp", "q/rgba32h56.bmp",
                                "q/rgba32abf.bmp"})
        add(QString::fromLatin1(variant), testimages::bmpsuite(QString::fromLatin1(variant)),
            Invalid, Unsupported);
    add(u"bitmap with 30000 planes"_s, testimages::bmpsuite(u"b/badplanes.bmp"_s), Invalid,
        Damaged);
    add(u"bitmap header of unknown size"_s, testimages::bmpsuite(u"b/badheadersize.bmp"_s),
        Invalid, Damaged);

    const QByteArray png = encoded(gradient(64, 48), "PNG");
    QByteArray badCrc = png;
    badCrc[png.indexOf("IDAT") + 20] = char(badCrc[png.indexOf("IDAT") + 20] ^ 0x55);
    add(u"PNG with a damaged IDAT"_s, write(u"badcrc.png"_s, badCrc), Invalid, Damaged);
    // Found by the fuzzer: Qt's JPEG reader then reported an unset picture format.
    add(u"JPEG with a bogus Huffman table"_s,
        write(u"huffman.jpg"_s,
              QByteArray::fromBase64(
                  "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBAgGBgUGCQgKCgkI"
                  "CQkKDA8MCgsOCwkJDRENDg8QEBEQCgwSExIQEw8QEBD/wAALCAAQABgBAREA/8QAFgABAQEAAAAA"
                  "AAAAAAAAAAAAAAgJ/8QAFxAAAwEeHh4eHh4eHh4eHh4eHh4eHh7aAAgBAQAAPwCPkNFkIaLIQ0WT"
                  "RpDRZCGiyENFk//Z")),
        Invalid, Damaged);
    add(u"PNG chunk longer than PNG allows"_s,
        write(u"lie.png"_s, pngHeader(16, 16) + pngChunk("tEXt", "a", 0xfffffff0)), Invalid,
        Damaged);

    // Cut short: bitmaps of each depth and RLE, at several points.
    const char *bitmaps[] = {"g/pal8.bmp", "g/rgb16.bmp", "g/rgb24.bmp", "g/pal8rle.bmp",
                             "g/pal4rle.bmp"};
    for (const char *name : bitmaps) {
        const QByteArray whole = readAll(testimages::bmpsuite(QString::fromLatin1(name)));
        for (qsizetype cut : {qsizetype(40), qsizetype(300), whole.size() / 2, whole.size() - 1}) {
            const QString base = QFileInfo(QString::fromLatin1(name)).completeBaseName();
            add(u"%1 cut at %2"_s.arg(base).arg(cut),
                write(u"%1-%2.bmp"_s.arg(base).arg(cut), whole.left(cut)), Invalid, CutShort);
        }
    }
    add(u"bmpsuite's short file"_s, testimages::bmpsuite(u"b/shortfile.bmp"_s), Invalid,
        CutShort);
    add(u"PNG cut in half"_s, write(u"half.png"_s, png.left(png.size() / 2)), Invalid, CutShort);
    add(u"PNG without its end"_s, write(u"noend.png"_s, png.left(png.size() - 12)), Invalid,
        CutShort);
    // 78 bytes whose text chunk claims 2^31 - 1.
    const QByteArray bomb =
        pngHeader(16, 16) + pngChunk("tEXt", QByteArray("Comment\0hello", 13), 0x7fffffff);
    add(u"PNG text chunk bomb"_s, write(u"bomb.png"_s, bomb.left(78)), Invalid, CutShort);
    const QByteArray jpeg = encoded(gradient(64, 48), "JPG");
    add(u"JPEG cut in half"_s, write(u"half.jpg"_s, jpeg.left(jpeg.size() / 2)), Invalid,
        CutShort);
    add(u"JPEG without its end"_s, write(u"noend.jpg"_s, jpeg.left(jpeg.size() - 2)), Invalid,
        CutShort);
    add(u"GIF cut short"_s, write(u"cut.gif"_s, smallGif().left(120)), Invalid, CutShort);

    // Too large, from the header, before any pixel memory.
    add(u"bitmap claiming 3000000 x 2000000"_s, testimages::bmpsuite(u"b/reallybig.bmp"_s),
        Invalid, u"画像が大きすぎます（3000000 × 2000000 ピクセル）"_s);
    add(u"bitmap 8001 wide"_s, write(u"wide.bmp"_s, emptyRle8Bitmap(8001, 1)), Invalid,
        u"画像が大きすぎます（8001 × 1 ピクセル）"_s);
    add(u"PNG claiming 60000 x 60000"_s,
        write(u"huge.png"_s, pngHeader(60000, 60000) + pngChunk("IDAT", QByteArray(16, '\0'))
                                 + pngChunk("IEND", {})),
        Invalid, u"画像が大きすぎます（60000 × 60000 ピクセル）"_s);
    add(u"PNG claiming the largest size its header holds"_s,
        write(u"widest.png"_s, pngHeader(0xffffffffu, 0xffffffffu) + pngChunk("IEND", {})),
        Invalid, u"画像が大きすぎます（4294967295 × 4294967295 ピクセル）"_s);
    add(u"16-bit PNG of 8000 x 8000"_s,
        write(u"deep.png"_s, pngHeader(8000, 8000, 16) + pngChunk("IDAT", QByteArray(16, '\0'))
                                 + pngChunk("IEND", {})),
        Invalid, u"画像が大きすぎます（8000 × 8000 ピクセル、展開すると 512 MB）"_s);
    add(u"JPEG claiming 60000 x 60000"_s,
        write(u"huge.jpg"_s, jpegSkeleton(60000, 60000, false)), Invalid,
        u"画像が大きすぎます（60000 × 60000 ピクセル）"_s);
    // Each scan is a pass over every block; small pictures, thousands of scans.
    add(u"progressive JPEG of 2000 x 2000 in 600 scans"_s,
        write(u"scans.jpg"_s, jpegSkeleton(2000, 2000, true, 600)), Invalid, Damaged);
    add(u"progressive JPEG of 8000 x 8000"_s,
        write(u"progressive.jpg"_s, jpegSkeleton(8000, 8000, true)), Invalid,
        u"画像が大きすぎます（8000 × 8000 ピクセル、展開すると 384 MB）"_s);
    const QString sparse = dir.filePath(u"sparse.bmp"_s);
    {
        QFile f(sparse);
        if (f.open(QIODevice::WriteOnly))
            f.resize(60'000'000);
    }
    add(u"file of 60 MB"_s, sparse, Invalid, u"画像が大きすぎます（ファイルの大きさ 60 MB）"_s);
    return cases;
}

} // namespace hostilefiles
