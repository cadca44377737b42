// SPDX-License-Identifier: MIT

#include "paintedscale.h"

#include "image.h"
#include "pictureerror.h"
#include "pixelmix.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZOMIRA_X86 1
#endif

namespace picture {

namespace {

// The painter's span batches and its buffers, in spans and pixels.
constexpr std::size_t SpanBatch = 256;
constexpr int BufferSize = 2048;

// What Qt's antialiased rasterizer covers when it paints a picture scaled by (sx, sy) onto a
// `dw` x `dh` one. The rectangle is drawn as a thick line through the middle of its height, in
// 16.16 fixed point, so that an edge the double arithmetic leaves a hair inside a pixel covers it
// 254/255 or less. The columns come as up to three runs (the first column, the middle, the last
// column), each with its coverage times 65536 * 255; each row with the height it is covered,
// times 65536.
struct Run
{
    int x;
    int length;
    qint64 coverage;
};

struct Coverage
{
    std::vector<Run> runs;
    std::vector<qint64> rowHeights;
};

Coverage coverageOf(int sw, int sh, int dw, int dh, double sx, double sy)
{
    const double right = sw * sx;
    const double middle = (sh * 0.5) * sy;
    const bool uniform = std::abs(sx - sy) * 1e12 <= std::min(sx, sy);
    double width = uniform ? double(sh) / double(sw) : std::abs((sy * sh) / (sx * sw));
    // The line is first clipped to the target (a right end a hair past it comes back to it), and
    // its width kept relative to its length.
    const double end = std::min(right, double(dw));
    if (end != right)
        width *= std::sqrt((right * right) / (end * end));
    // The horizontal line turned upright, as the rasterizer does.
    const double x = (0 + end) * 0.5;
    const double dy = width * (std::abs(end - 0) * 0.5);
    double top = middle - dy;
    double bottom = middle + dy;
    width = 1 / width;
    const double halfWidth = 0.5 * width * (bottom - top);
    const double left = std::clamp(x - halfWidth, 0.0, double(dw));
    const double rightEdge = std::clamp(x + halfWidth, 0.0, double(dw));
    top = std::clamp(top, 0.0, double(dh));
    bottom = std::clamp(bottom, 0.0, double(dh));

    constexpr qint64 One = 65536;
    auto fixed = [](double v) { return qint64(v * 65536.0); };
    Coverage c;
    const int iLeft = int(left);
    const int iRight = int(rightEdge);
    const qint64 leftWidth = (iLeft + 1) * One - fixed(left);
    const qint64 rightWidth = fixed(rightEdge) - iRight * One;
    if (iLeft == iRight) {
        c.runs.push_back({iLeft, 1,
                          leftWidth == One ? rightWidth * 255 : (rightWidth + leftWidth - One) * 255});
    } else {
        if (leftWidth == One) {
            c.runs.push_back({iLeft, iRight - iLeft, leftWidth * 255});
        } else {
            c.runs.push_back({iLeft, 1, leftWidth * 255});
            if (iRight - iLeft > 1)
                c.runs.push_back({iLeft + 1, iRight - iLeft - 1, One * 255});
        }
        if (rightWidth)
            c.runs.push_back({iRight, 1, rightWidth * 255});
    }
    const qint64 yTop = fixed(top);
    const qint64 yBottom = fixed(bottom);
    c.rowHeights.assign(std::size_t(dh), 0);
    for (qint64 y = qint64(int(top)) * One; y <= qint64(int(bottom)) * One; y += One) {
        if (y / One > dh - 1)
            break;
        c.rowHeights[std::size_t(y / One)] = std::min(y + One, yBottom) - std::max(y, yTop);
    }
    return c;
}

// A run's coverage in one row, out of 255.
int coverOf(const Run &run, qint64 rowHeight)
{
    return int(((rowHeight * run.coverage) >> 16) >> 16);
}

int coverAt(const Coverage &c, int x, int y)
{
    for (const Run &run : c.runs)
        if (x >= run.x && x < run.x + run.length)
            return coverOf(run, c.rowHeights[std::size_t(y)]);
    return 0;
}

// A stretch of one destination row that the painter fetches, blends and stores in one go.
struct Piece
{
    int x;
    int length;
    int y;
};

// The rasterizer hands its spans on (one per run and row, those it does not cover left out) in
// batches of 256. Called from any thread outside Qt's global thread pool (the program scales on
// its own threads and on the window's), the painter shares each batch out among worker threads,
// in about 64 spans each; within a share, spans next to each other on a row are fetched and
// stored together, at most a buffer of 2048 pixels at a time. An opaque picture is copied rather
// than blended, and then only spans alike in whether they are wholly covered go together. Where
// a stretch starts decides where its source positions are computed afresh and how its pixels are
// grouped for storing.
std::vector<Piece> piecesOf(const Coverage &c, int dh, bool opaque)
{
    struct Span
    {
        int x;
        int length;
        int y;
        bool whole;
    };
    std::vector<Span> spans;
    for (int y = 0; y < dh; ++y) {
        for (const Run &run : c.runs) {
            const int cover = coverOf(run, c.rowHeights[std::size_t(y)]);
            if (run.length > 0 && cover > 0)
                spans.push_back({run.x, run.length, y, !opaque || cover == 255});
        }
    }

    std::vector<Piece> pieces;
    auto share = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to;) {
            const Span &first = spans[i];
            int right = first.x + first.length;
            for (++i; i < to && spans[i].y == first.y && spans[i].x == right
                      && spans[i].whole == first.whole;
                 ++i)
                right += spans[i].length;
            for (int x = first.x; x < right; x += BufferSize)
                pieces.push_back({x, std::min(BufferSize, right - x), first.y});
        }
    };
    for (std::size_t first = 0; first < spans.size(); first += SpanBatch) {
        const int count = int(std::min(spans.size() - first, SpanBatch));
        const int shares = (count + 32) / 64;
        if (shares <= 1) {
            share(first, first + std::size_t(count));
            continue;
        }
        int done = 0;
        for (int i = 0; i < shares; ++i) {
            const int n = (count - done) / (shares - i);
            share(first + std::size_t(done), first + std::size_t(done + n));
            done += n;
        }
    }
    return pieces;
}

// Where the bilinear fetch reads along one axis: the two source positions either side of the
// sampling point (the same one at the edges) and the weight of the second, in 1/65536ths.
struct Tap
{
    int first;
    int second;
    int weight;
};

Tap tapAt(int position, int weight, int size)
{
    if (position < 0)
        return {0, 0, weight};
    if (position >= size - 1)
        return {size - 1, size - 1, weight};
    return {position, position + 1, weight};
}

// The painter's inverse mapping, nudged by 1/65536 as Qt nudges it, in the same doubles: each
// piece's row and columns. The painter steps in 16.16 fixed point from each piece's first pixel;
// when the picture is made 256 times larger or more along an axis, the step is too small for
// that, and it steps in doubles instead.
class Mapping
{
public:
    Mapping(int sw, int sh, int dw, int dh) : m_sw(sw), m_sh(sh)
    {
        const double sx = double(dw) / sw;
        const double sy = double(dh) / sh;
        m_across = 1. / sx;
        m_down = 1. / sy;
        m_startX = -((1.0 / 65536) * sx) * m_across;
        m_startY = -((1.0 / 65536) * sy) * m_down;
        m_fixed = m_across * m_across > 1.0 / 65536 && m_down * m_down > 1.0 / 65536;
    }

    Tap row(int y) const
    {
        const double at = m_down * (y + 0.5) + m_startY;
        if (m_fixed) {
            const int fy = int(at * 65536) - 32768;
            return tapAt(fy >> 16, fy & 0xffff, m_sh);
        }
        return tapOfDouble(at - 0.5, m_sh);
    }

    void columns(const Piece &piece, std::vector<Tap> &taps) const
    {
        taps.resize(std::size_t(piece.length));
        const double at = m_across * (piece.x + 0.5) + m_startX;
        if (m_fixed) {
            const int step = int(m_across * 65536);
            int fx = int(at * 65536) - 32768;
            for (Tap &tap : taps) {
                tap = tapAt(fx >> 16, fx & 0xffff, m_sw);
                fx += step;
            }
            return;
        }
        double fx = at;
        for (Tap &tap : taps) {
            tap = tapOfDouble(fx - 0.5, m_sw);
            fx += m_across;
        }
    }

private:
    static Tap tapOfDouble(double position, int size)
    {
        const int whole = int(std::floor(position));
        return tapAt(whole, int(quint16((position - whole) * 65536)), size);
    }

    int m_sw;
    int m_sh;
    double m_across = 1;
    double m_down = 1;
    double m_startX = 0;
    double m_startY = 0;
    bool m_fixed = true;
};

// Each channel times a / 255, rounded, as painting multiplies by a coverage.
Rgb byteMultiplied(Rgb c, int a)
{
    const auto by = quint32(a);
    return timesOver255(c >> 24, by) << 24 | timesOver255((c >> 16) & 0xff, by) << 16
           | timesOver255((c >> 8) & 0xff, by) << 8 | timesOver255(c & 0xff, by);
}

// Grey, 1-bit and palette pictures go through the painter's 32-bit pipeline: premultiplied
// colours mixed in 1/256ths and laid over the target with the coverage.
Image paintedInEightBits(const Image &picture, QSize size)
{
    const int sw = picture.width();
    const int sh = picture.height();
    const int dw = size.width();
    const int dh = size.height();
    const bool grey = picture.format() == Image::Format::Grayscale8;
    const Image source = picture.convertToFormat(Image::Format::Argb32Premultiplied);
    Image out(size, grey ? Image::Format::Grayscale8 : Image::Format::Argb32Premultiplied);
    if (source.isNull() || out.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    out.fill(0);
    const Rgb below = grey ? 0xff000000u : 0u;
    const Coverage coverage = coverageOf(sw, sh, dw, dh, double(dw) / sw, double(dh) / sh);
    const Mapping mapping(sw, sh, dw, dh);
    std::vector<Tap> columns;
    for (const Piece &piece : piecesOf(coverage, dh, !picture.hasAlphaChannel())) {
        const Tap row = mapping.row(piece.y);
        mapping.columns(piece, columns);
        const auto *top = reinterpret_cast<const Rgb *>(source.constScanLine(row.first));
        const auto *bottom = reinterpret_cast<const Rgb *>(source.constScanLine(row.second));
        uchar *line = out.scanLine(piece.y);
        for (int i = 0; i < piece.length; ++i) {
            const Tap &c = columns[std::size_t(i)];
            Rgb s = mixed4(top[c.first], top[c.second], bottom[c.first], bottom[c.second],
                           c.weight >> 8, row.weight >> 8);
            const int x = piece.x + i;
            const int cover = coverAt(coverage, x, piece.y);
            if (cover < 255)
                s = byteMultiplied(s, cover);
            const Rgb painted = s + byteMultiplied(below, 255 - rgbAlpha(s));
            if (grey)
                line[x] = uchar(rgbRed(painted));
            else
                reinterpret_cast<Rgb *>(line)[x] = painted;
        }
    }
    return out;
}

// A premultiplied pixel of 16 bits a channel, as the 64-bit pipeline keeps it.
struct Wide
{
    quint32 red, green, blue, alpha;
};

// Qt premultiplies 8-bit colours to 16 bits eight at a time where the processor has AVX2, four
// at a time elsewhere; a group that is wholly opaque is only widened, which is not quite what
// multiplying by a full alpha gives. The groups count from the start of each fetch.
int premultiplyingGroup()
{
#ifdef ZOMIRA_X86
    static const bool eights = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")
                               && __builtin_cpu_supports("bmi2");
    return eights ? 8 : 4;
#else
    return 4;
#endif
}

void premultiplyWide(const std::vector<Rgb> &in, std::vector<Wide> &out)
{
    const std::size_t group = std::size_t(premultiplyingGroup());
    out.resize(in.size());
    for (std::size_t g = 0; g < in.size(); g += group) {
        const std::size_t end = std::min(in.size(), g + group);
        const bool seen = std::any_of(in.begin() + qsizetype(g), in.begin() + qsizetype(end),
                                      [](Rgb c) { return rgbAlpha(c) != 0; });
        const bool opaque = std::all_of(in.begin() + qsizetype(g), in.begin() + qsizetype(end),
                                        [](Rgb c) { return rgbAlpha(c) == 255; });
        for (std::size_t i = g; i < end; ++i) {
            const Rgb c = in[i];
            const quint32 a = quint32(rgbAlpha(c)) * 257;
            auto times = [&](int v) {
                const quint32 w = quint32(v) * 257;
                if (opaque)
                    return w;
                const quint32 t = (w * a) >> 16;
                return t + (t >> 15);
            };
            out[i] = seen ? Wide{times(rgbRed(c)), times(rgbGreen(c)), times(rgbBlue(c)), a}
                          : Wide{0, 0, 0, 0};
        }
    }
}

quint32 highHalf(quint32 v, quint32 weight)
{
    return (v * weight) >> 16;
}

// Two wide pixels mixed by 16-bit weights, each product truncated; a weight of 0 leaves the
// first as it is.
Wide mixedWide(Wide a, Wide b, int weight)
{
    if (weight == 0)
        return a;
    const auto w = quint32(weight);
    const quint32 v = 0x10000 - w;
    return {(highHalf(a.red, v) + highHalf(b.red, w)) & 0xffff,
            (highHalf(a.green, v) + highHalf(b.green, w)) & 0xffff,
            (highHalf(a.blue, v) + highHalf(b.blue, w)) & 0xffff,
            (highHalf(a.alpha, v) + highHalf(b.alpha, w)) & 0xffff};
}

quint32 times65535(quint32 v, quint32 a)
{
    quint32 t = v * a;
    t += t >> 16;
    return ((t + 0x8000) >> 16) & 0xffff;
}

quint32 eightOfWide(quint32 v)
{
    v += 128;
    v -= v >> 8;
    return std::min<quint32>(v >> 8, 255);
}

// mul / a, from the processor's estimate of the reciprocal refined once, as Qt divides.
float reciprocalTimes(quint32 a, float mul)
{
#ifdef ZOMIRA_X86
    const __m128 va = _mm_set_ss(float(a));
    __m128 ia = _mm_rcp_ss(va);
    ia = _mm_sub_ss(_mm_add_ss(ia, ia), _mm_mul_ss(ia, _mm_mul_ss(ia, va)));
    return _mm_cvtss_f32(_mm_mul_ss(ia, _mm_set_ss(mul)));
#else
    return mul / float(a);
#endif
}

int roundedToEven(float v)
{
#ifdef ZOMIRA_X86
    return _mm_cvtss_si32(_mm_set_ss(v));
#else
    return int(std::nearbyint(v));
#endif
}

// Wide premultiplied pixels stored as 8-bit colours with alpha: four at a time, a group wholly
// transparent or wholly opaque by plain rounding and any other divided in floats straight to 8
// bits; the last one to three of a piece one by one, divided to 16 bits and then rounded.
void storeWide(const Wide *in, Rgb *out, int count)
{
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const bool clear = std::all_of(in + i, in + i + 4, [](Wide p) { return p.alpha == 0; });
        const bool opaque = std::all_of(in + i, in + i + 4, [](Wide p) { return p.alpha == 0xffff; });
        for (int k = i; k < i + 4; ++k) {
            const Wide p = in[k];
            if (clear) {
                out[k] = 0;
            } else if (opaque) {
                out[k] = rgbaOf(int(eightOfWide(p.red)), int(eightOfWide(p.green)),
                                int(eightOfWide(p.blue)), 255);
            } else {
                const float by = reciprocalTimes(p.alpha, 255.0f);
                auto channel = [&](quint32 v) {
                    return p.alpha == 0 ? 0 : std::clamp(roundedToEven(float(v) * by), 0, 255);
                };
                out[k] = rgbaOf(channel(p.red), channel(p.green), channel(p.blue),
                                int(eightOfWide(p.alpha)));
            }
        }
    }
    for (; i < count; ++i) {
        Wide p = in[i];
        if (p.alpha == 0) {
            out[i] = 0;
            continue;
        }
        if (p.alpha != 0xffff) {
            const float by = reciprocalTimes(p.alpha, 65535.0f);
            auto channel = [&](quint32 v) {
                return quint32(std::clamp(roundedToEven(float(v) * by), 0, 65535));
            };
            p = {channel(p.red), channel(p.green), channel(p.blue), p.alpha};
        }
        out[i] = rgbaOf(int(eightOfWide(p.red)), int(eightOfWide(p.green)),
                        int(eightOfWide(p.blue)), int(eightOfWide(p.alpha)));
    }
}

// Colours with alpha go through the painter's 64-bit pipeline: premultiplied to 16 bits a
// channel, mixed in 1/65536ths, multiplied by the coverage over the transparent target, and
// divided back to 8 bits as they are stored.
Image paintedInSixteenBits(const Image &picture, QSize size)
{
    const int sw = picture.width();
    const int sh = picture.height();
    const int dw = size.width();
    const int dh = size.height();
    Image out(size, Image::Format::Argb32);
    if (out.isNull())
        throw PictureError(PictureError::Kind::OutOfMemory);
    out.fill(0);
    const Coverage coverage = coverageOf(sw, sh, dw, dh, double(dw) / sw, double(dh) / sh);
    const Mapping mapping(sw, sh, dw, dh);
    std::vector<Tap> columns;
    std::vector<Rgb> above, below;
    std::vector<Wide> wideAbove, wideBelow, painted;
    for (const Piece &piece : piecesOf(coverage, dh, false)) {
        const Tap row = mapping.row(piece.y);
        mapping.columns(piece, columns);
        const auto *top = reinterpret_cast<const Rgb *>(picture.constScanLine(row.first));
        const auto *bottom = reinterpret_cast<const Rgb *>(picture.constScanLine(row.second));
        // Each pixel's two columns side by side, as the fetch lays them out for widening; the
        // row below only where it weighs.
        above.clear();
        below.clear();
        for (const Tap &c : columns) {
            above.insert(above.end(), {top[c.first], top[c.second]});
            if (row.weight != 0)
                below.insert(below.end(), {bottom[c.first], bottom[c.second]});
        }
        premultiplyWide(above, wideAbove);
        if (row.weight != 0)
            premultiplyWide(below, wideBelow);
        painted.resize(std::size_t(piece.length));
        for (int i = 0; i < piece.length; ++i) {
            const auto at = std::size_t(i) * 2;
            Wide left = wideAbove[at];
            Wide right = wideAbove[at + 1];
            if (row.weight != 0) {
                left = mixedWide(left, wideBelow[at], row.weight);
                right = mixedWide(right, wideBelow[at + 1], row.weight);
            }
            Wide p = mixedWide(left, right, columns[std::size_t(i)].weight);
            const int cover = coverAt(coverage, piece.x + i, piece.y);
            if (cover < 255) {
                const quint32 a = quint32(cover) * 257;
                p = {times65535(p.red, a), times65535(p.green, a), times65535(p.blue, a),
                     times65535(p.alpha, a)};
            }
            painted[std::size_t(i)] = p;
        }
        storeWide(painted.data(), reinterpret_cast<Rgb *>(out.scanLine(piece.y)) + piece.x,
                  piece.length);
    }
    return out;
}

} // namespace

Image paintedScaled(const Image &picture, QSize size)
{
    if (picture.format() == Image::Format::Argb32)
        return paintedInSixteenBits(picture, size);
    return paintedInEightBits(picture, size);
}

} // namespace picture
