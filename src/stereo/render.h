// SPDX-License-Identifier: MIT

#pragma once

#include "picture/levels.h"

#include "picture/image.h"
#include "picture/largebuffer.h"
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// The large-picture generator: any size, depth of 16 bits, physical units, hidden surfaces
// removed, oversampling and patterns. It stands beside StereogramGenerator and shares nothing
// with it but the picture library. No widgets; rows are handed out one at a time.
namespace stereo::render {

inline constexpr int MaxSide = 16384;
inline constexpr int MaxDepth = 65535;

// A depth plane: 0 is the far plane, 65535 the near one, row by row.
// Depths of a whole picture, 2 bytes a pixel: in the picture library's buffers, which a plane of
// several megabytes fills without a page fault per 4 KiB.
using Depths = std::vector<quint16, picture::BufferAllocator<quint16>>;

struct DepthPlane
{
    int width = 0;
    int height = 0;
    Depths z;

    quint16 at(int x, int y) const { return z[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    bool isNull() const { return width <= 0 || height <= 0; }
};

enum class DepthSource {
    Auto,   // a map whose every pixel is a level colour is read as levels, any other as grey
    Levels, // level n of the 16 colours is n * 65535 / 15; other colours are far
    Grey,   // greys through the import's settings, not quantised
};

// The picture as a depth plane of its own size. Level colours give level * 4369; greys go
// through invert, near and far bounds (or auto), no-data (far), gamma and the median smoothing of
// `settings` (its fit is the render's, not used here).
DepthPlane depthPlaneOf(const picture::Image &picture, const picture::LevelsSettings &settings,
                        DepthSource source = DepthSource::Auto);

// Whether the picture is read as a level-colour map under DepthSource::Auto.
bool isLevelMap(const picture::Image &picture);

enum class Pattern {
    BlackWhite, // black dots on white, `density` of them black
    Grey,       // 256 greys
    Colour,     // any 24-bit colour
    Red,        // the program's three tints: one component 250, the other two the grey
    Green,
    Blue,
    Picture,    // a picture tiled at the far separation
};

// The viewing geometry in whole numbers, so that every machine computes the same separations.
struct Geometry
{
    int dpi = 96;
    int eyeMicrons = 63'500; // 2.5 in
    int depthPermille = 333; // mu: the near plane's distance in front of the far one, of the
                             // viewing distance
    int oversampling = 1;    // 1, 2, 3, 4, 6 or 8
    // The far and near separations in output pixels, given in place of the eye separation and
    // depth (which they imply: E = 2 far, mu = 2 (far - near) / (2 far - near)); 0 where those
    // are given. The dpi then only turns them into lengths.
    int farPixels = 0;
    int nearPixels = 0;

    bool bySeparations() const { return farPixels > 0 && nearPixels > 0; }
    bool operator==(const Geometry &) const = default;
};

// The largest far separation that may be given in pixels.
inline constexpr int MaxFarPixels = 8192;

// The eye separation in virtual pixels (output pixels times the oversampling).
int eyePixels(const Geometry &g);

// The separation of depth z (0 far to 65535 near) in virtual pixels, for either way of giving
// the geometry.
int separationOf(int z, const Geometry &g);

// s(z) = round((1 - mu z) E / (2 - mu z)) in virtual pixels, z from 0 (far) to 65535 (near),
// mu = depthPermille / 1000, E = eyePixels.
int separationOf(int z, int eyePixels, int depthPermille);

enum class Placement { Fit, Fill, Stretch };

struct Settings
{
    QSize size{1920, 1080}; // the stereogram, without the guide band
    Geometry geometry;
    Placement placement = Placement::Fit;
    Pattern pattern = Pattern::Blue;
    int density = 50;  // percent of black dots, BlackWhite only
    int dotSize = 1;   // output pixels each way
    picture::Image patternPicture; // Pattern::Picture
    bool guides = false;
    bool cross = false;
    quint32 seed = 1;

    bool validOversampling() const;
};

// What the settings make of the eyes: separations in output pixels (and mm), the depth steps a
// map can show, and the comfort warnings.
struct Readout
{
    double farPixels = 0;
    double nearPixels = 0;
    double farMm = 0;
    double nearMm = 0;
    int depthSteps = 0; // distinct separations from far to near, at the oversampling
    // The eye separation and depth (mu) the separations stand for: those asked for, or, with
    // separations in pixels, those that give them at the dpi.
    double eyeMm = 0;
    double depth = 0;
    // What breaks a comfort limit, each worded by the program that shows it.
    enum class Warning {
        NearTooClose,  // the near separation less than 0.55 of the far one
        FarTooWide,    // the far separation wider than 40 mm
        TooNarrow,     // the picture narrower than two far separations
        FewSteps,      // fewer than 8 depth steps: raise the dpi, or with separations in
                       // pixels widen their difference; or raise the oversampling
    };
    QList<Warning> warnings;
};
Readout readoutOf(const Settings &settings);

// The guide band's height above the picture: a quarter inch, at least 12 pixels.
int guideBandHeight(const Settings &settings);

// The whole picture's size, guide band included.
QSize outputSize(const Settings &settings);

// One row's links, at the virtual width: left[x] is x's left partner and right[x] its right
// partner (x itself when it has none). For every linked pair right[left[x]] == x.
// The pair for point x at separation s is (x - s / 2, x - s / 2 + s). A point is linked only
// where both eyes see it (the ray to each eye passes over everything between), and where two
// links would share a pixel the shorter one, the nearer point, keeps it.
struct Links
{
    std::vector<int> left;
    std::vector<int> right;
};
void linkRow(const quint16 *z, int width, int eyePixels, int depthPermille, Links &links);

// Where a picture pattern's pixel comes from for a free virtual pixel `vx` of row `y`: the tile
// is `tileWidth` x `tileHeight` virtual columns and rows, column (vx - middle) mod tileWidth;
// every refill (each tile width away from the middle) moves the tile down by `shift` rows.
QPoint patternIndex(int vx, int y, int middle, int tileWidth, int tileHeight, int shift);

// The grey 0..255 (or colour) of random dot (column i, row j) for `seed`: a pure function.
quint32 dotHash(quint32 seed, int row, int column);

// Receives each finished row, top to bottom, `width` pixels of opaque 0xffRRGGBB.
using RowSink = std::function<void(int y, const picture::Rgb *row, int width)>;

// The stereogram's rows made one at a time, in any order and as often as asked: row y of the
// whole picture (guide band included) depends on y alone. Keeps `depth` and `settings` by
// reference.
class RowMaker
{
public:
    RowMaker(const DepthPlane &depth, const Settings &settings);
    ~RowMaker();
    RowMaker(const RowMaker &) = delete;
    RowMaker &operator=(const RowMaker &) = delete;

    QSize size() const; // outputSize(settings)
    // Row y's outputSize().width() opaque pixels into `out`.
    void row(int y, picture::Rgb *out);

private:
    struct Parts;
    std::unique_ptr<Parts> m;
};

// Makes the stereogram of `depth` row by row into `sink`. Returns false when `cancel` was set
// (the sink then has had only some rows). `progress` gets rows done out of the total.
bool render(const DepthPlane &depth, const Settings &settings, const RowSink &sink,
            const std::atomic<bool> *cancel = nullptr,
            const std::function<void(int done, int total)> &progress = {});

// The whole picture in memory, for previews and tests.
picture::Image renderImage(const DepthPlane &depth, const Settings &settings);

// The bytes the generator holds besides the depth plane, for a picture of these settings.
qint64 workingBytes(const Settings &settings);

// The placed depth (0..65535) at virtual column vx of output row y, the margin far.
class Sampler
{
public:
    Sampler(const DepthPlane &depth, const Settings &settings);
    void row(int y, quint16 *out) const; // virtual width values
    int virtualWidth() const { return m_vw; }

private:
    const DepthPlane &m_depth;
    bool m_cross = false;
    int m_vw = 0;
    int m_k = 1;
    // The depth's rectangle on the output, in output pixels.
    int m_x0 = 0, m_y0 = 0, m_w = 0, m_h = 0;
    // Per virtual column: the source column (-1 in the margin) and its weight in 1/65536.
    std::vector<int> m_column;
    std::vector<int> m_weight;
    int m_first = 0, m_last = 0; // the virtual columns inside the depth's rectangle
    bool m_direct = false;       // columns one to one, unweighted
};

// The settings as text, for a PNG's text chunk, and back.
QString settingsText(const Settings &settings);
bool settingsFromText(const QString &text, Settings &settings);

// The decoding check: what a viewer's eyes find in the picture.
struct CheckResult
{
    qint64 pixels = 0;       // pixels looked at (the stereogram, without the guide band)
    qint64 linked = 0;       // pixels the depth links to a left partner
    qint64 exact = 0;        // of those, decoded to the intended separation
    qint64 wrong = 0;        // of those, decoded to another separation only, or to none
    qint64 echo = 0;         // pixels decoded to more than one separation, not neighbours
    qint64 echoRegions = 0;  // runs of such pixels along rows, joined across rows
    int inputSteps = 0;      // distinct separations the depth asks for
    int outputSteps = 0;     // of those, how many are decoded exactly somewhere
    double subpixelError = 0; // mean |decoded - intended| in output pixels, oversampled only
    bool withDepth = false;
};
CheckResult check(const picture::Image &stereogram, const Settings &settings,
                  const DepthPlane *depth = nullptr);

// The depth the eyes find in the picture, as a grey map of the picture's size (white near); dark
// red where no separation decodes.
picture::Image decodedDepth(const picture::Image &stereogram, const Settings &settings);

} // namespace stereo::render
