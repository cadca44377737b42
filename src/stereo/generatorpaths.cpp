// SPDX-License-Identifier: MIT

#include "generatorpaths.h"

#include "leveltable.h"

#include "picture/stereogramformat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#define ZOMVORN_X86_PATHS 1
#include <immintrin.h>

using picture::Rgb;
#endif

namespace stereo {

namespace {

using picture::BaseSeparation;
using picture::ImageWidth;
using picture::MappedEnd;
using picture::StripWidth;

// Where each component lies within a Rgb: blue in byte 0, green in byte 1, red in byte 2.
constexpr int shiftOf[3] = {16, 8, 0}; // red, green, blue

// dotColour for a grey value known to be 0 to 255, as shifts by constants, so that the compiler
// colours several dots at once.
template<int IroIndex>
constexpr Rgb tintedDot(Rgb grey)
{
    constexpr Rgb fixed = 0xff000000u | Rgb(picture::FixedComponentValue) << shiftOf[IroIndex];
    return fixed | grey << shiftOf[(IroIndex + 1) % 3] | grey << shiftOf[(IroIndex + 2) % 3];
}

template<int IroIndex>
constexpr bool tintedDotIsDotColour()
{
    for (int v = 0; v < 256; ++v)
        if (tintedDot<IroIndex>(Rgb(v)) != picture::toQRgb(picture::dotColour(v, IroIndex)))
            return false;
    return true;
}
static_assert(tintedDotIsDotColour<0>() && tintedDotIsDotColour<1>() && tintedDotIsDotColour<2>());

template<int IroIndex>
void colourPlain(const quint8 *grey, Rgb *line, int width)
{
    for (int x = 0; x < width; ++x)
        line[x] = tintedDot<IroIndex>(grey[x]);
}

// Eight pixels compared at a time, since depth maps are long runs of one colour.
int runEndPlain(const Rgb *map, int x, int end, Rgb pixel)
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

// Dots copied per step of a run: at least the widest separation.
constexpr int CopySpan = 64;
static_assert(CopySpan >= BaseSeparation && CopySpan <= DotRowSlack);

// The loops of the plain path, the same on every processor.
struct PlainLoops
{
    static void fillGreys(Rnd &rnd, quint8 *out, int n) { rnd.fillGreys(out, n); }

    static int runEnd(const Rgb *map, int x, int end, Rgb pixel)
    {
        return runEndPlain(map, x, end, pixel);
    }

    // dots[x] to dots[x + CopySpan - 1] = the CopySpan dots from x - separation, all read first.
    static void copySpan(quint8 *dots, int x, int separation)
    {
        quint8 piece[CopySpan];
        std::memcpy(piece, dots + x - separation, CopySpan);
        std::memcpy(dots + x, piece, CopySpan);
    }

    // Whether a noisy stretch's levels are looked up all at once (levels()) before its dots are
    // linked, or pixel by pixel as they are linked.
    static constexpr bool LevelsAtOnce = false;

    template<int IroIndex>
    static void colour(const quint8 *grey, Rgb *line, int width)
    {
        colourPlain<IroIndex>(grey, line, width);
    }
};

#ifdef ZOMVORN_X86_PATHS

// Sixteen dots at a time. A pixel's four bytes, blue, green, red, alpha, are each the grey value or
// a constant: the pairs (blue, green) and (red, alpha) are interleaved from the greys and the
// constants, then the pairs with each other. The last sixteen dots of a row overlap the ones
// before them, which are written again with the same values.
template<int IroIndex>
void colourSse2(const quint8 *grey, Rgb *line, int width)
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
        const __m128i lowPairsLo = _mm_unpacklo_epi8(b0, b1);
        const __m128i lowPairsHi = _mm_unpackhi_epi8(b0, b1);
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

// Sixteen pixels compared at a time, then four, then one.
int runEndSse2(const Rgb *map, int x, int end, Rgb pixel)
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

struct Sse2Loops : PlainLoops
{
    static int runEnd(const Rgb *map, int x, int end, Rgb pixel)
    {
        return runEndSse2(map, x, end, pixel);
    }

    template<int IroIndex>
    static void colour(const quint8 *grey, Rgb *line, int width)
    {
        colourSse2<IroIndex>(grey, line, width);
    }
};

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
__attribute__((target("avx2"))) void colourAvx2(const quint8 *grey, Rgb *line, int width)
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
    const auto sixteen = [&](int x) __attribute__((target("avx2"))) {
        const __m256i g = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + x)));
        auto *out = reinterpret_cast<__m256i *>(line + x);
        _mm256_storeu_si256(out, _mm256_or_si256(_mm256_shuffle_epi8(g, low), fixed));
        _mm256_storeu_si256(out + 1, _mm256_or_si256(_mm256_shuffle_epi8(g, high), fixed));
    };
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        sixteen(x);
        sixteen(x + 16);
    }
    if (x + 16 <= width) {
        sixteen(x);
        x += 16;
    }
    if (x < width)
        sixteen(width - 16);
}

// Thirty-two pixels compared at a time, then eight, then one.
__attribute__((target("avx2"))) int runEndAvx2(const Rgb *map, int x, int end, Rgb pixel)
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

// Eight values at a time, n up to 64: lane i holds the state i + 1 steps on, and every lane jumps
// eight steps at once. A grey value is bits 16 to 23 of its state.
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
    // Whole steps of eight into a buffer of their own, of which the first n are kept.
    alignas(32) quint8 greys[64];
    alignas(32) quint32 lanes[8];
    Q_ASSERT(n >= 0 && n <= 64);
    for (int i = 0; i < n; i += 8) {
        const __m256i spread = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(s, third), halves);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(greys + i), _mm256_castsi256_si128(spread));
        if (i + 8 >= n)
            _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), s);
        s = _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(s, a8), c8), mask);
    }
    std::memcpy(out, greys, std::size_t(n));
    const quint32 last = n > 0 ? lanes[(n - 1) % 8] : start;
    rnd = Rnd(last);
}

// The level table packed for eight lookups at a time: each slot's colour in bytes 0 to 2 and its
// level in byte 3. An empty slot holds 0xffffffff: its colour, white, is looked up in white's own
// slot only, so an empty slot never matches.
constexpr std::array<quint32, 32> packedLevels = [] {
    std::array<quint32, 32> packed{};
    for (std::size_t key = 0; key < packed.size(); ++key) {
        const auto &entry = levelTable.entries[key];
        packed[key] = entry.level < 0 ? 0xffffffffu : (entry.colour | quint32(entry.level) << 24);
    }
    return packed;
}();

static_assert([] {
    for (int k = 0; k < 16; ++k) {
        const Rgb c = picture::toQRgb(picture::QBColor(k)) & 0xffffffu;
        if (packedLevels[std::size_t(keyOf(c))] != (c | quint32(k) << 24))
            return false;
    }
    return true;
}(), "every level colour is found in its packed slot");

// a where bySign's lane has its sign bit clear, b where it is set.
__attribute__((target("avx2"))) inline __m256i select(__m256i a, __m256i b, __m256i bySign)
{
    return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b),
                                                _mm256_castsi256_ps(bySign)));
}

__attribute__((target("avx2"))) void levelsAvx2(const Rgb *map, int n, int *levels)
{
    const auto *table = reinterpret_cast<const __m256i *>(packedLevels.data());
    const __m256i t0 = _mm256_loadu_si256(table), t1 = _mm256_loadu_si256(table + 1);
    const __m256i t2 = _mm256_loadu_si256(table + 2), t3 = _mm256_loadu_si256(table + 3);
    const __m256i colourMask = _mm256_set1_epi32(0xffffff);
    const __m256i multiplier = _mm256_set1_epi32(int(HashMultiplier));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i colour = _mm256_and_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(map + i)), colourMask);
        const __m256i key = _mm256_srli_epi32(_mm256_mullo_epi32(colour, multiplier), 27);
        // Slot key: its low three bits pick within a quarter of the table, bits 3 and 4 the
        // quarter.
        const __m256i bit3 = _mm256_slli_epi32(key, 28), bit4 = _mm256_slli_epi32(key, 27);
        const __m256i entry = select(select(_mm256_permutevar8x32_epi32(t0, key),
                                            _mm256_permutevar8x32_epi32(t1, key), bit3),
                                     select(_mm256_permutevar8x32_epi32(t2, key),
                                            _mm256_permutevar8x32_epi32(t3, key), bit3),
                                     bit4);
        const __m256i match = _mm256_cmpeq_epi32(_mm256_and_si256(entry, colourMask), colour);
        const __m256i level = _mm256_or_si256(_mm256_srli_epi32(entry, 24),
                                              _mm256_andnot_si256(match, _mm256_set1_epi32(-1)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(levels + i), level);
    }
    for (; i < n; ++i)
        levels[i] = levelTable.level(map[i]);
}

struct Avx2Loops
{
    static constexpr bool LevelsAtOnce = true;

    // levels[i] = the level of map[i], -1 for none, i from 0 to n - 1.
    __attribute__((target("avx2"))) static void levels(const Rgb *map, int n, int *levels)
    {
        levelsAvx2(map, n, levels);
    }

    __attribute__((target("avx2"))) static void fillGreys(Rnd &rnd, quint8 *out, int n)
    {
        fillGreysAvx2(rnd, out, n);
    }

    __attribute__((target("avx2"))) static int runEnd(const Rgb *map, int x, int end, Rgb pixel)
    {
        return runEndAvx2(map, x, end, pixel);
    }

    __attribute__((target("avx2"))) static void copySpan(quint8 *dots, int x, int separation)
    {
        const auto *from = reinterpret_cast<const __m256i *>(dots + x - separation);
        const __m256i low = _mm256_loadu_si256(from);
        const __m256i high = _mm256_loadu_si256(from + 1);
        auto *to = reinterpret_cast<__m256i *>(dots + x);
        _mm256_storeu_si256(to, low);
        _mm256_storeu_si256(to + 1, high);
    }

    template<int IroIndex>
    __attribute__((target("avx2"))) static void colour(const quint8 *grey, Rgb *line, int width)
    {
        colourAvx2<IroIndex>(grey, line, width);
    }
};

bool hasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif

// Runs of one colour at least this long are copied as a run; a shorter one shows a stretch of the
// map where the colour changes often, and the next NoisyStretch columns from it go dot by dot,
// without looking for runs.
constexpr int ShortestRun = 8;
constexpr int NoisyStretch = 32;

// dots[x] = dots[x - separation] for x from `from` to `to`, one separation per step: a step reads
// all it copies before it writes, and reads from exactly where the step before wrote. What a step
// writes beyond its separation, and a last step beyond `to`, is rewritten before it is read, by
// the next step, the next run or the tail.
template<class Loops>
[[gnu::always_inline]] inline void copyRun(quint8 *dots, int from, int to, int separation)
{
    if (to - from < 16) {
        for (int x = from; x < to; ++x)
            dots[x] = dots[x - separation];
        return;
    }
    for (int x = from; x < to; x += separation)
        Loops::copySpan(dots, x, separation);
}

template<class Loops>
[[gnu::always_inline]] inline void dotRow(Rnd &rnd, quint8 *dots, const Rgb *map, int mapWidth,
                                          int &carried, Rgb *line, int width, int iroIndex)
{
    Loops::fillGreys(rnd, dots, StripWidth);
    int level = carried;
    for (int x = 0; x < mapWidth;) {
        const Rgb pixel = map[x];
        const int k = levelTable.level(pixel);
        level = k >= 0 ? k : level;
        const int end = Loops::runEnd(map, x + 1, mapWidth, pixel);
        if (end - x >= ShortestRun) {
            // A run of one colour, so of one level, copied in blocks.
            copyRun<Loops>(dots, StripWidth + x, StripWidth + end, BaseSeparation - level);
            x = end;
            continue;
        }
        const int n = std::min(mapWidth - x, NoisyStretch);
        if constexpr (Loops::LevelsAtOnce) {
            int levels[NoisyStretch];
            Loops::levels(map + x, n, levels);
            for (int i = 0; i < n; ++i, ++x) {
                level = levels[i] >= 0 ? levels[i] : level;
                dots[StripWidth + x] = dots[StripWidth + x - BaseSeparation + level];
            }
        } else {
            for (const int stretchEnd = x + n; x < stretchEnd; ++x) {
                const int j = levelTable.level(map[x]);
                level = j >= 0 ? j : level;
                dots[StripWidth + x] = dots[StripWidth + x - BaseSeparation + level];
            }
        }
    }
    copyRun<Loops>(dots, StripWidth + mapWidth, MappedEnd, BaseSeparation - level);
    carried = level;
    for (int t = MappedEnd; t < ImageWidth; ++t)
        dots[t] = dots[t - BaseSeparation];

    if (!line)
        return;
    switch (iroIndex) {
    case 0:
        Loops::template colour<0>(dots, line, width);
        break;
    case 1:
        Loops::template colour<1>(dots, line, width);
        break;
    default:
        Loops::template colour<2>(dots, line, width);
        break;
    }
}

void dotRowPlain(Rnd &rnd, quint8 *dots, const Rgb *map, int mapWidth, int &level, Rgb *line,
                 int width, int iroIndex)
{
    dotRow<PlainLoops>(rnd, dots, map, mapWidth, level, line, width, iroIndex);
}

#ifdef ZOMVORN_X86_PATHS
void dotRowSse2(Rnd &rnd, quint8 *dots, const Rgb *map, int mapWidth, int &level, Rgb *line,
                int width, int iroIndex)
{
    dotRow<Sse2Loops>(rnd, dots, map, mapWidth, level, line, width, iroIndex);
}

__attribute__((target("avx2"))) void dotRowAvx2(Rnd &rnd, quint8 *dots, const Rgb *map,
                                                int mapWidth, int &level, Rgb *line, int width,
                                                int iroIndex)
{
    dotRow<Avx2Loops>(rnd, dots, map, mapWidth, level, line, width, iroIndex);
}
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
        return plain.isEmpty() || plain == "0" ? availableGeneratorPaths().constLast()
                                               : GeneratorPath::Plain;
    }();
    return path;
}

void makeDotRow(GeneratorPath path, Rnd &rnd, quint8 *dots, const Rgb *map, int mapWidth,
                int &level, Rgb *line, int width, int iroIndex)
{
    switch (path) {
#ifdef ZOMVORN_X86_PATHS
    case GeneratorPath::Avx2:
        dotRowAvx2(rnd, dots, map, mapWidth, level, line, width, iroIndex);
        return;
    case GeneratorPath::Sse2:
        dotRowSse2(rnd, dots, map, mapWidth, level, line, width, iroIndex);
        return;
#endif
    default:
        dotRowPlain(rnd, dots, map, mapWidth, level, line, width, iroIndex);
        return;
    }
}

} // namespace stereo
