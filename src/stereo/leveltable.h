// SPDX-License-Identifier: MIT

#pragma once

#include "picture/image.h"

#include "picture/colour.h"


#include <array>

// Which of the 16 depth levels a map pixel's colour is, if any: shared by the generator's row
// loops and levelLeftBy.

namespace stereo {

// A perfect hash of the 16 level colours into 32 slots: one multiplication finds the only level
// colour a pixel can be, and one comparison tells whether it is that colour.
constexpr quint32 HashMultiplier = 0x3b1a11dfu;

constexpr int keyOf(picture::Rgb rgb)
{
    return int(((rgb & 0xffffffu) * HashMultiplier) >> 27);
}

struct LevelTable
{
    struct Entry
    {
        // Never a pixel's value: pixels are compared without alpha.
        picture::Rgb colour = 0xffffffffu;
        int level = -1;
    };
    std::array<Entry, 32> entries{};

    constexpr LevelTable()
    {
        for (int k = 0; k < 16; ++k) {
            const picture::Rgb c = picture::toQRgb(picture::QBColor(k)) & 0xffffffu;
            entries[std::size_t(keyOf(c))] = {c, k};
        }
    }

    constexpr int level(picture::Rgb pixel) const
    {
        const picture::Rgb c = pixel & 0xffffffu;
        const Entry &e = entries[std::size_t(keyOf(c))];
        return e.colour == c ? e.level : -1;
    }
};

inline constexpr LevelTable levelTable;

static_assert([] {
    for (int k = 0; k < 16; ++k)
        if (levelTable.level(picture::toQRgb(picture::QBColor(k))) != k)
            return false;
    return true;
}(), "every level colour has a key of its own");

} // namespace stereo
