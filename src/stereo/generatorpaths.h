// SPDX-License-Identifier: MIT

#pragma once

#include "picture/image.h"

#include "rnd.h"

#include <QList>
#include <QtGlobal>

namespace stereo {

// The ways the generator's inner loops run: plain C++ on every processor, SSE2 (every x86-64)
// and AVX2 where the processor has it. Every way gives the same bytes and draws the same random
// values in the same order.
enum class GeneratorPath { Plain, Sse2, Avx2 };

// The ways this processor can take, plain first.
QList<GeneratorPath> availableGeneratorPaths();

// The fastest way this processor can take; the plain one when the environment variable
// ZOMVORN_PLAIN_GENERATOR is set to anything but 0 or nothing. Read once, at the first call.
GeneratorPath preferredGeneratorPath();

// Room a row of dots needs past its first tail column (MappedEnd): runs are copied in blocks that
// may reach that far before they are written over.
inline constexpr int DotRowSlack = 64;

// Makes one row of dots the way `path` says (one of availableGeneratorPaths()): dots[0] to
// dots[StripWidth - 1] drawn from rnd, the next mapWidth dots linked by the levels of map[0] to
// map[mapWidth - 1], starting from and updating the carried `level`, the rest by the last level,
// the tail by the base separation; then coloured into line[0] to line[width - 1] in tint
// iroIndex, unless line is null. `dots` holds MappedEnd + DotRowSlack dots.
void makeDotRow(GeneratorPath path, Rnd &rnd, quint8 *dots, const picture::Rgb *map, int mapWidth,
                int &level, picture::Rgb *line, int width, int iroIndex);

} // namespace stereo
