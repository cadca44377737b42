// SPDX-License-Identifier: MIT

#include "generatorpaths.h"

#include "picture/stereogramformat.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#define ZOMVORN_X86_PATHS 1
#include <immintrin.h>
#endif

namespace stereo {

namespace {

// Where each component lies within a QRgb: blue in byte 0, green in byte 1, red in byte 2.
constexpr int shiftOf[3] = {16, 8, 0}; // red, green, blue

// dotColour for a grey value known to be 0 to 255, as shifts by constants, so that the compiler
// colours several dots at once.
template<int IroIndex>
constexpr QRgb tintedDot(QRgb grey)
{
    constexpr QRgb fixed = 0xff000000u | QRgb(picture::FixedComponentValue) << shiftOf[IroIndex];
    return fixed | grey << shiftOf[(IroIndex + 1) % 3] | grey << shiftOf[(IroIndex + 2) % 3];
}

template<int IroIndex>
constexpr bool tintedDotIsDotColour()
{
    for (int v = 0; v < 256; ++v)
        if (tintedDot<IroIndex>(QRgb(v)) != picture::toQRgb(picture::dotColour(v, IroIndex)))
            return false;
    return true;
}
static_assert(tintedDotIsDotColour<0>() && tintedDotIsDotColour<1>() && tintedDotIsDotColour<2>());

template<int IroIndex>
void colourPlain(const quint8 *grey, QRgb *line, int width)
{
    for (int x = 0; x < width; ++x)
        line[x] = tintedDot<IroIndex>(grey[x]);
}

// Eight pixels compared at a time, since depth maps are long runs of one colour.
int runEndPlain(const QRgb *map, int x, int end, QRgb pixel)
{
    const quint64 pair = quint64(pixel) << 32 | pixel;
    for (; x + 8 <= end; x += 8) {
        quint64 a, b, c, d;
        std::memcpy(&a, map + x, 8);
        std::memcpy(&b, map + x + 2, 8);
        std::memcpy(&c, map + x + 4, 8);
        std::memcpy(&d, map + x + 6, 8);
        if (((a ^ pair) | (b ^ pair) | (c ^ pair) | (d ^ pair)) != 0)
            break;
    }
    while (x < end && map[x] == pixel)
        ++x;
    return x;
}

#ifdef ZOMVORN_X86_PATHS

// Sixteen dots at a time. A pixel's four bytes, blue, green, red, alpha, are each the grey value or
// a constant: the pairs (blue, green) and (red, alpha) are interleaved from the greys and the
// constants, then the pairs with each other. The last sixteen dots of a row overlap the ones
// before them, which are written again with the same values.
template<int IroIndex>
void colourSse2(const quint8 *grey, QRgb *line, int width)
{
    if (width < 16) {
        colourPlain<IroIndex>(grey, line, width);
        return;
    }
    constexpr int fixedByte = shiftOf[IroIndex] / 8;
    const __m128i fixed = _mm_set1_epi8(char(picture::FixedComponentValue));
    const __m128i opaque = _mm_set1_epi8(char(0xff));
    for (int x = 0;; x += 16) {
        x = x + 16 > width ? width - 16 : x;
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + x));
        const __m128i b0 = fixedByte == 0 ? fixed : g;
        const __m128i b1 = fixedByte == 1 ? fixed : g;
        const __m128i b2 = fixedByte == 2 ? fixed : g;
        const __m128i lowPairsLo = _mm_unpacklo_epi8(b0, b1), lowPairsHi = _mm_unpackhi_epi8(b0, b1);
        const __m128i highPairsLo = _mm_unpacklo_epi8(b2, opaque);
        const __m128i highPairsHi = _mm_unpackhi_epi8(b2, opaque);
        auto *out = reinterpret_cast<__m128i *>(line + x);
        _mm_storeu_si128(out, _mm_unpacklo_epi16(lowPairsLo, highPairsLo));
        _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(lowPairsLo, highPairsLo));
        _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(lowPairsHi, highPairsHi));
        _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(lowPairsHi, highPairsHi));
        if (x + 16 == width)
            return;
    }
}

// The byte shuffle that spreads grey values `first` to `first` + 7 of a 16-byte block, repeated in
// both halves of a 32-byte register, over eight pixels: the grey into the two components that
// carry it, zero elsewhere (0x80 selects zero).
template<int IroIndex>
constexpr std::array<char, 32> spreadOf(int first)
{
    std::array<char, 32> mask{};
    for (int j = 0; j < 32; ++j) {
        const int pixel = j / 16 * 4 + j % 16 / 4; // the half's own bytes are 16 to 31
        const int byte = j % 4;
        const bool grey = byte != 3 && byte != shiftOf[IroIndex] / 8;
        mask[std::size_t(j)] = grey ? char(first + pixel) : char(0x80);
    }
    return mask;
}

template<int IroIndex>
__attribute__((target("avx2"))) void colourAvx2(const quint8 *grey, QRgb *line, int width)
{
    if (width < 16) {
        colourPlain<IroIndex>(grey, line, width);
        return;
    }
    static constexpr std::array<char, 32> spreadLow = spreadOf<IroIndex>(0);
    static constexpr std::array<char, 32> spreadHigh = spreadOf<IroIndex>(8);
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(spreadLow.data()));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(spreadHigh.data()));
    const __m256i fixed = _mm256_set1_epi32(int(tintedDot<IroIndex>(0)));
    for (int x = 0;; x += 16) {
        x = x + 16 > width ? width - 16 : x;
        const __m256i g = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + x)));
        auto *out = reinterpret_cast<__m256i *>(line + x);
        _mm256_storeu_si256(out, _mm256_or_si256(_mm256_shuffle_epi8(g, low), fixed));
        _mm256_storeu_si256(out + 1, _mm256_or_si256(_mm256_shuffle_epi8(g, high), fixed));
        if (x + 16 == width)
            return;
    }
}

// Sixteen pixels compared at a time, then four, then one.
int runEndSse2(const QRgb *map, int x, int end, QRgb pixel)
{
    const __m128i p = _mm_set1_epi32(int(pixel));
    const auto same = [&](int at) {
        return _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(map + at)), p);
    };
    for (; x + 16 <= end; x += 16) {
        const __m128i all = _mm_and_si128(_mm_and_si128(same(x), same(x + 4)),
                                          _mm_and_si128(same(x + 8), same(x + 12)));
        if (_mm_movemask_epi8(all) != 0xffff)
            break;
    }
    for (; x + 4 <= end; x += 4) {
        const unsigned differ = ~unsigned(_mm_movemask_epi8(same(x))) & 0xffffu;
        if (differ != 0)
            return x + std::countr_zero(differ) / 4;
    }
    while (x < end && map[x] == pixel)
        ++x;
    return x;
}

// Thirty-two pixels compared at a time, then eight, then one.
__attribute__((target("avx2"))) int runEndAvx2(const QRgb *map, int x, int end, QRgb pixel)
{
    const __m256i p = _mm256_set1_epi32(int(pixel));
    for (; x + 32 <= end; x += 32) {
        const auto *at = reinterpret_cast<const __m256i *>(map + x);
        const __m256i all = _mm256_and_si256(
            _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_loadu_si256(at), p),
                             _mm256_cmpeq_epi32(_mm256_loadu_si256(at + 1), p)),
            _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_loadu_si256(at + 2), p),
                             _mm256_cmpeq_epi32(_mm256_loadu_si256(at + 3), p)));
        if (_mm256_movemask_epi8(all) != -1)
            break;
    }
    for (; x + 8 <= end; x += 8) {
        const __m256i same = _mm256_cmpeq_epi32(
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(map + x)), p);
        const unsigned differ = ~unsigned(_mm256_movemask_epi8(same));
        if (differ != 0)
            return x + std::countr_zero(differ) / 4;
    }
    while (x < end && map[x] == pixel)
        ++x;
    return x;
}

// The sequence's steps 1 to k as maps x -> a x + c, for eight lanes that each jump eight steps.
constexpr quint32 StateMask = 0xffffffu;
constexpr quint32 multiplierOf(int steps)
{
    return (Rnd::advanced(1, quint64(steps)) - Rnd::advanced(0, quint64(steps))) & StateMask;
}
constexpr quint32 incrementOf(int steps)
{
    return Rnd::advanced(0, quint64(steps));
}

// Eight values at a time: lane i holds the state i + 1 steps on, and every lane jumps eight
// steps at once. A grey value is bits 16 to 23 of its state.
__attribute__((target("avx2"))) void fillGreysAvx2(Rnd &rnd, quint8 *out, int n)
{
    const quint32 start = rnd.state();
    const __m256i mask = _mm256_set1_epi32(int(StateMask));
    const __m256i a8 = _mm256_set1_epi32(int(multiplierOf(8)));
    const __m256i c8 = _mm256_set1_epi32(int(incrementOf(8)));
    __m256i s = _mm256_and_si256(
        _mm256_add_epi32(
            _mm256_mullo_epi32(_mm256_set1_epi32(int(start)),
                               _mm256_setr_epi32(int(multiplierOf(1)), int(multiplierOf(2)),
                                                 int(multiplierOf(3)), int(multiplierOf(4)),
                                                 int(multiplierOf(5)), int(multiplierOf(6)),
                                                 int(multiplierOf(7)), int(multiplierOf(8)))),
            _mm256_setr_epi32(int(incrementOf(1)), int(incrementOf(2)), int(incrementOf(3)),
                              int(incrementOf(4)), int(incrementOf(5)), int(incrementOf(6)),
                              int(incrementOf(7)), int(incrementOf(8)))),
        mask);
    // Byte 2 of each lane's state into the half's first four bytes, then both halves together.
    const __m256i third = _mm256_setr_epi8(2, 6, 10, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                           -1, -1, 2, 6, 10, 14, -1, -1, -1, -1, -1, -1, -1, -1,
                                           -1, -1, -1, -1);
    const __m256i halves = _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1);
    quint32 last = start;
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i greys = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(s, third), halves);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i), _mm256_castsi256_si128(greys));
        last = quint32(_mm256_extract_epi32(s, 7));
        s = _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(s, a8), c8), mask);
    }
    if (i < n) {
        alignas(32) quint32 lanes[8];
        _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), s);
        for (int j = 0; i + j < n; ++j)
            out[i + j] = quint8(lanes[j] >> 16);
        last = lanes[n - i - 1];
    }
    rnd = Rnd(last);
}

bool hasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif

template<template<int> class Colour>
void colourTinted(const quint8 *grey, QRgb *line, int width, int iroIndex)
{
    switch (iroIndex) {
    case 0:
        Colour<0>::run(grey, line, width);
        break;
    case 1:
        Colour<1>::run(grey, line, width);
        break;
    default:
        Colour<2>::run(grey, line, width);
        break;
    }
}

template<int IroIndex>
struct Plain
{
    static void run(const quint8 *grey, QRgb *line, int width)
    {
        colourPlain<IroIndex>(grey, line, width);
    }
};

#ifdef ZOMVORN_X86_PATHS
template<int IroIndex>
struct Sse2
{
    static void run(const quint8 *grey, QRgb *line, int width)
    {
        colourSse2<IroIndex>(grey, line, width);
    }
};

template<int IroIndex>
struct Avx2
{
    static void run(const quint8 *grey, QRgb *line, int width)
    {
        colourAvx2<IroIndex>(grey, line, width);
    }
};
#endif

} // namespace

QList<GeneratorPath> availableGeneratorPaths()
{
    QList<GeneratorPath> paths{GeneratorPath::Plain};
#ifdef ZOMVORN_X86_PATHS
    paths << GeneratorPath::Sse2;
    if (hasAvx2())
        paths << GeneratorPath::Avx2;
#endif
    return paths;
}

GeneratorPath preferredGeneratorPath()
{
    static const GeneratorPath path = [] {
        const QByteArray plain = qgetenv("ZOMVORN_PLAIN_GENERATOR");
        return plain.isEmpty() || plain == "0" ? availableGeneratorPaths().constLast() : GeneratorPath::Plain;
    }();
    return path;
}

void fillGreys(GeneratorPath path, Rnd &rnd, quint8 *out, int n)
{
#ifdef ZOMVORN_X86_PATHS
    if (path == GeneratorPath::Avx2) {
        fillGreysAvx2(rnd, out, n);
        return;
    }
#endif
    Q_UNUSED(path);
    rnd.fillGreys(out, n);
}

int runEnd(GeneratorPath path, const QRgb *map, int x, int end, QRgb pixel)
{
    switch (path) {
#ifdef ZOMVORN_X86_PATHS
    case GeneratorPath::Avx2:
        return runEndAvx2(map, x, end, pixel);
    case GeneratorPath::Sse2:
        return runEndSse2(map, x, end, pixel);
#endif
    default:
        return runEndPlain(map, x, end, pixel);
    }
}

void colourDots(GeneratorPath path, const quint8 *grey, QRgb *line, int width, int iroIndex)
{
    switch (path) {
#ifdef ZOMVORN_X86_PATHS
    case GeneratorPath::Avx2:
        colourTinted<Avx2>(grey, line, width, iroIndex);
        return;
    case GeneratorPath::Sse2:
        colourTinted<Sse2>(grey, line, width, iroIndex);
        return;
#endif
    default:
        colourTinted<Plain>(grey, line, width, iroIndex);
        return;
    }
}

} // namespace stereo
