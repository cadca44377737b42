// SPDX-License-Identifier: MIT

#include "filename.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace picture {

namespace {

constexpr char16_t EscapeBase = 0xdc00;

bool isEscapedByte(char16_t c)
{
    return c >= 0xdc80 && c <= 0xdcff;
}

// The length of the valid UTF-8 sequence at `at`, and its code point; 0 when there is none.
int utf8Sequence(const QByteArray &bytes, qsizetype at, char32_t &codePoint)
{
    const auto byte = [&](qsizetype i) { return uchar(bytes[i]); };
    const uchar lead = byte(at);
    int length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xe0) == 0xc0) {
        length = 2, codePoint = lead & 0x1f, min = 0x80;
    } else if ((lead & 0xf0) == 0xe0) {
        length = 3, codePoint = lead & 0x0f, min = 0x800;
    } else if ((lead & 0xf8) == 0xf0) {
        length = 4, codePoint = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(at + i) & 0x3f);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no valid UTF-8.
    if (codePoint < min || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
        return 0;
    return length;
}

} // namespace

QString fileNameFromBytes(const QByteArray &bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        if (const int length = utf8Sequence(bytes, at, codePoint); length > 0) {
            name += QString::fromUcs4(&codePoint, 1);
            at += length;
        } else {
            name += QChar(char16_t(EscapeBase + uchar(bytes[at])));
            ++at;
        }
    }
    return name;
}

QByteArray fileNameBytes(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype plainFrom = 0;
    auto flushPlain = [&](qsizetype upTo) {
        if (upTo > plainFrom)
            bytes += QStringView(name).sliced(plainFrom, upTo - plainFrom).toUtf8();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool pairedLow = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
        if (isEscapedByte(c) && !pairedLow) {
            flushPlain(i);
            bytes += char(c - EscapeBase);
            plainFrom = i + 1;
        }
    }
    flushPlain(name.size());
    return bytes;
}

QString shownFileName(const QString &name)
{
    if (!hasUnreadableBytes(name))
        return name;
    QString shown;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool pairedLow = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
        if (isEscapedByte(c) && !pairedLow)
            shown += u"\\x"_s + QString::number(int(c - EscapeBase), 16).toUpper();
        else
            shown += name[i];
    }
    return shown;
}

bool hasUnreadableBytes(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c == 0xfffd)
            return true;
        if (isEscapedByte(c) && !(i > 0 && QChar::isHighSurrogate(name[i - 1].unicode())))
            return true;
    }
    return false;
}

QString fileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    if (info.isSymLink() || info.exists()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return folder + u'/' + info.fileName();
}

namespace {

const struct {
    QLatin1StringView suffix;
    NamedFormat format;
} namedSuffixes[] = {{"bmp"_L1, NamedFormat::Bmp},   {"png"_L1, NamedFormat::Png},
                     {"gif"_L1, NamedFormat::Gif},   {"jpg"_L1, NamedFormat::Jpeg},
                     {"jpeg"_L1, NamedFormat::Jpeg}, {"webp"_L1, NamedFormat::WebP}};

} // namespace

std::optional<NamedFormat> formatNamed(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const auto &n : namedSuffixes) {
        if (suffix.compare(n.suffix, Qt::CaseInsensitive) == 0)
            return n.format;
    }
    return std::nullopt;
}

QStringList suffixesOf(NamedFormat format)
{
    QStringList suffixes;
    for (const auto &n : namedSuffixes) {
        if (n.format == format)
            suffixes.append(n.suffix);
    }
    return suffixes;
}

} // namespace picture
