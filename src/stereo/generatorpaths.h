// SPDX-License-Identifier: MIT

#pragma once

#include "rnd.h"

#include <QList>
#include <QRgb>
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

// The loops themselves; `path` must be one of availableGeneratorPaths().

// out[0] to out[n - 1] = n calls of rnd.nextGrey(), rnd moved on as those calls move it.
void fillGreys(GeneratorPath path, Rnd &rnd, quint8 *out, int n);

// The first column at or after x, before end, whose pixel is not `pixel`; end when there is none.
int runEnd(GeneratorPath path, const QRgb *map, int x, int end, QRgb pixel);

// line[x] = the dot colour of grey value grey[x] in tint iroIndex (dotColour), x from 0 to
// width - 1.
void colourDots(GeneratorPath path, const quint8 *grey, QRgb *line, int width, int iroIndex);

} // namespace stereo
