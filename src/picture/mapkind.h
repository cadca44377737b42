// SPDX-License-Identifier: MIT

#pragma once

#include "colourscale.h"
#include "levels.h"

#include "image.h"

#include <optional>

namespace picture {

// What a picture given as a depth map is.
enum class MapKind {
    LevelColours, // drawn in the 16 level colours: used as it is, pixel for pixel
    Grey,         // a grey depth picture (white near), 8 bits
    SixteenBit,   // a picture of 16 bits a channel, grey or not
    ColourScale,  // drawn in one of the colour scales of depth renderings
    Colour,       // in colour, on no known scale: read by brightness
};

// The recognition rule. A picture is a depth picture, not a map of level colours, when
// - it has 16 bits a channel; or
// - it is grey (at least GreyShare of its pixels have red, green and blue within GreySpread of
//   each other) and more than OffLevelColours distinct greys, together at least
//   OffLevelGreyShare of its pixels, are off-level; or
// - it is in colour, and at least OffLevelColourShare of its pixels are off-level together with
//   their four neighbours, in more than OffLevelColours distinct colours. Counting only such
//   pixels leaves out the fringes a JPEG puts along the edges of a level map; the number of
//   colours leaves out a patch of one stray colour painted over one.
// Off-level: farther than OffLevelDistance (in red, green or blue, 0-255) from every level
// colour; for greys, farther than that from black, 128, 192 and white.
inline constexpr int OffLevelDistance = 24;
inline constexpr int GreySpread = 8;
inline constexpr double GreyShare = 0.995;
inline constexpr double OffLevelGreyShare = 0.005;
inline constexpr double OffLevelColourShare = 0.02;
inline constexpr int OffLevelColours = 8;

struct MapVerdict
{
    MapKind kind = MapKind::LevelColours;
    // With ColourScale: which one.
    std::optional<ColourScale> scale;
    // The figures the rule looked at: the share of off-level pixels (for a colour picture, those
    // with their four neighbours off-level too), and how many distinct colours or greys they
    // have (counted up to 4096).
    double offLevelShare = 0;
    int offLevelColours = 0;

    bool isDepthPicture() const { return kind != MapKind::LevelColours; }
    bool operator==(const MapVerdict &) const = default;
};

// Decides what a picture is by looking at the whole of it.
MapVerdict recogniseMap(const Image &picture);

// What the conversion reads of a depth picture: a picture on a colour scale read along it (an
// 8-bit grey picture, warm end white), any other picture as it is (by brightness). Given a
// picture nothing else holds, the grey picture takes its memory (readAlongScale).
Image depthPictureOf(Image picture, const MapVerdict &verdict);

// The settings a depth picture is converted with when nobody chose any: those the import
// dialog opens with, near and far found from the picture (`levels --near auto --far auto`).
LevelsSettings conversionDefaults();

// The one way a picture given as a depth map becomes the 389 x 333 map the generator reads: a
// map of level colours as the editor loads it (depthMapOf), a depth picture converted with
// conversionDefaults() unless `asIs`.
struct MapOfPicture
{
    Image map;
    MapVerdict verdict;
    bool converted = false;
};
MapOfPicture mapOfPicture(Image picture, bool asIs = false);

// The file read whole (loadPicture) and made into a map as above. Throws PictureError.
MapOfPicture mapOfFile(const QString &path, bool asIs = false);
// The same for a file's bytes (decodePicture).
MapOfPicture mapOfBytes(const QByteArray &bytes, bool asIs = false);

} // namespace picture
