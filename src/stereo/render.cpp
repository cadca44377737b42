// SPDX-License-Identifier: MIT

#include "render.h"

#include "picture/colour.h"
#include "picture/pictureerror.h"
#include "picture/smoothscale.h"
#include "picture/stereogramformat.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

using picture::Image;
using picture::Rgb;
using picture::Rgba64;
using picture::rgbOf;
using picture::rgbRed;
using picture::rgbGreen;
using picture::rgbBlue;
using picture::rgbAlpha;
using picture::rgbGrey;

using namespace Qt::StringLiterals;

namespace stereo::render {

namespace {

constexpr int Top = MaxDepth;

int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int positiveMod(int a, int b)
{
    const int m = a % b;
    return m < 0 ? m + b : m;
}

} // namespace

bool isLevelMap(const Image &picture)
{
    if (picture.isNull())
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        const Image row =
            picture.copy(0, y, picture.width(), 1).convertToFormat(Image::Format::Rgb32);
        const auto *line = reinterpret_cast<const Rgb *>(row.constScanLine(0));
        for (int x = 0; x < picture.width(); ++x) {
            const picture::Colour c = picture::fromQRgb(line[x]);
            if (std::find(picture::QBColorTable.begin(), picture::QBColorTable.end(), c)
                == picture::QBColorTable.end())
                return false;
        }
    }
    return true;
}

static DepthPlane depthPlaneOfUnguarded(const Image &picture,
                                        const picture::LevelsSettings &settings,
                                        DepthSource source)
{
    DepthPlane plane;
    if (picture.isNull())
        return plane;
    const int w = picture.width();
    const int h = picture.height();
    plane.width = w;
    plane.height = h;
    plane.z.assign(std::size_t(w) * std::size_t(h), 0);
    if (source == DepthSource::Levels || (source == DepthSource::Auto && isLevelMap(picture))) {
        QHash<Rgb, quint16> level;
        for (int n = 0; n < 16; ++n)
            level.insert(picture::toQRgb(picture::QBColor(n)), quint16(n * (Top / 15)));
        for (int y = 0; y < h; ++y) {
            const Image row = picture.copy(0, y, w, 1).convertToFormat(Image::Format::Rgb32);
            const auto *line = reinterpret_cast<const Rgb *>(row.constScanLine(0));
            for (int x = 0; x < w; ++x)
                plane.z[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                    level.value(line[x] | 0xff000000u, 0);
        }
        return plane;
    }

    const int greyMax = picture::greyMaxOf(picture);
    // The composited greys go into the plane itself, then become depths in place.
    Depths &values = plane.z;
    std::vector<quint8> background;
    if (settings.noData)
        background.assign(plane.z.size(), 0);
    std::vector<int> grey(static_cast<std::size_t>(w)), alpha(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        picture::greysOfRow(picture, 0, y, w, grey, alpha);
        for (int x = 0; x < w; ++x) {
            const auto i = std::size_t(y) * std::size_t(w) + std::size_t(x);
            const qint64 g = grey[std::size_t(x)];
            const qint64 a = alpha[std::size_t(x)];
            if (settings.noData && g == qint64(*settings.noData) * (Top / greyMax)) {
                background[i] = 1;
                continue;
            }
            // Transparency is far either way: composited on black when white is near, on white
            // when black is near. An opaque pixel is its grey either way.
            if (a == Top)
                values[i] = quint16(g);
            else
                values[i] = quint16(settings.invert ? Top - ((Top - g) * a + Top / 2) / Top
                                                    : (g * a + Top / 2) / Top);
        }
    }
    auto isBackground = [&](std::size_t i) { return !background.empty() && background[i]; };
    if (settings.smooth > 0) {
        if (background.empty())
            background.assign(plane.z.size(), 0);
        const Depths unfiltered = values;
        picture::medianFiltered(unfiltered, background, w, h,
                                std::min(settings.smooth, picture::MaxSmooth), values);
    }

    auto bound = [&](const picture::Bound &b, bool isNear) -> qint64 {
        switch (b.kind) {
        case picture::Bound::Kind::End:
            return isNear != settings.invert ? Top : 0;
        case picture::Bound::Kind::Value:
            return qint64(std::clamp(b.value, 0, greyMax)) * Top / greyMax;
        case picture::Bound::Kind::Auto:
            break;
        }
        return qint64(picture::percentileGrey(values, isBackground, isNear != settings.invert));
    };
    const qint64 nearGrey = bound(settings.nearGrey, true);
    const qint64 farGrey = bound(settings.farGrey, false);
    const double gamma = std::clamp(settings.gamma, picture::MinGamma, picture::MaxGamma);
    // Each grey's depth, in whole numbers where there is no gamma.
    std::vector<quint16> depthOf(Top + 1);
    for (qint64 v = 0; v <= Top; ++v) {
        qint64 z;
        if (nearGrey == farGrey) {
            z = v == nearGrey ? Top : 0;
        } else {
            const qint64 num = std::clamp<qint64>((v - farGrey) * (nearGrey > farGrey ? 1 : -1), 0,
                                                  std::abs(nearGrey - farGrey));
            const qint64 den = std::abs(nearGrey - farGrey);
            z = gamma == 1.0 ? (num * Top + den / 2) / den
                             : std::lround(std::pow(double(num) / double(den), gamma) * Top);
        }
        depthOf[std::size_t(v)] = quint16(z);
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        plane.z[i] = isBackground(i) ? 0 : depthOf[std::size_t(values[i])];
    return plane;
}

DepthPlane depthPlaneOf(const Image &picture, const picture::LevelsSettings &settings,
                        DepthSource source)
{
    return picture::guarded([&] { return depthPlaneOfUnguarded(picture, settings, source); });
}

bool Settings::validOversampling() const
{
    const int k = geometry.oversampling;
    return k == 1 || k == 2 || k == 3 || k == 4 || k == 6 || k == 8;
}

int eyePixels(const Geometry &g)
{
    if (g.bySeparations())
        return 2 * g.farPixels * std::max(1, g.oversampling);
    // E [um] * dpi / 25400 um per inch, times the oversampling, rounded.
    const qint64 num = qint64(g.eyeMicrons) * g.dpi * g.oversampling;
    return int((num + 12'700) / 25'400);
}

namespace {

// The eye separation in virtual pixels and mu = muNum / muDen, whole numbers either way the
// geometry is given.
struct Eyes
{
    int eye = 0;
    qint64 muNum = 0;
    qint64 muDen = 1000;
};

Eyes eyesOf(const Geometry &g)
{
    if (g.bySeparations())
        return {eyePixels(g), 2LL * (g.farPixels - g.nearPixels), 2LL * g.farPixels - g.nearPixels};
    return {eyePixels(g), g.depthPermille, 1000};
}

int separationWith(int z, const Eyes &e)
{
    // (1 - mu z) E / (2 - mu z) with mu z = muNum * z / (muDen * 65535).
    const qint64 M = e.muDen * Top;
    const qint64 muz = e.muNum * z;
    const qint64 num = (M - muz) * e.eye;
    const qint64 den = 2 * M - muz;
    return int((2 * num + den) / (2 * den));
}

} // namespace

int separationOf(int z, int eye, int depthPermille)
{
    return separationWith(z, Eyes{eye, depthPermille, 1000});
}

int separationOf(int z, const Geometry &g)
{
    return separationWith(z, eyesOf(g));
}

namespace {

// The far (index 0) to near separations of every depth, at the virtual width.
std::vector<int> separationTable(const Eyes &e)
{
    std::vector<int> table(Top + 1);
    for (int z = 0; z <= Top; ++z)
        table[std::size_t(z)] = separationWith(z, e);
    return table;
}

void linkWith(const quint16 *z, int n, const int *sepOf, const Eyes &e, Links &links)
{
    links.left.resize(std::size_t(n));
    links.right.resize(std::size_t(n));
    int *left = links.left.data();
    int *right = links.right.data();
    for (int x = 0; x < n; ++x) {
        left[x] = x;
        right[x] = x;
    }
    const int eye = e.eye;
    const qint64 mu = std::max<qint64>(1, e.muNum);
    const qint64 twoDen = 2 * e.muDen;
    const qint64 slopeDen = mu * eye;
    // A slope below every point's own: where nothing on a side rises above the point by this
    // much a pixel, that side hides nothing of it. reachLeft[x] = max over t >= 1 of
    // z[x - t] - low * t, and the same to the right.
    const qint64 low = slopeDen > 0 ? std::max<qint64>(0, 2 * (twoDen - mu) * Top / slopeDen - 1) : 0;
    // Any fall up to `low` tells the same, and one past Top leaves every reach below 0: so the
    // reaches fit in an int. The two passes run in one loop, so that their chains of maxima
    // overlap.
    const int fall = int(std::min<qint64>(low, Top + 1));
    thread_local std::vector<int> reach;
    reach.resize(std::size_t(2 * n));
    int *reachLeft = reach.data();
    int *reachRight = reach.data() + n;
    int bestLeft = -1;
    int bestRight = -1;
    for (int i = 0; i < n; ++i) {
        reachLeft[i] = bestLeft;
        bestLeft = std::max<int>(bestLeft, z[i]) - fall;
        const int j = n - 1 - i;
        reachRight[j] = bestRight;
        bestRight = std::max<int>(bestRight, z[j]) - fall;
    }
    for (int x = 0; x < n; ++x) {
        const int zx = z[x];
        const int s = sepOf[zx];
        const int l = x - s / 2;
        const int r = l + s;
        if (l < 0 || r >= n || s <= 0)
            continue;
        // Hidden surfaces: the point at x is seen by both eyes only if nothing between it and
        // its images rises to the ray: z_t = z + 2 (2 - mu z) t / (mu E), in 1/65535 steps.
        if (slopeDen > 0 && (reachLeft[x] >= zx || reachRight[x] >= zx)) {
            const qint64 slopeNum = 2 * (twoDen * Top - mu * zx);
            // z_t = zx + floor(slopeNum t / slopeDen), stepped without dividing.
            const qint64 step = slopeNum / slopeDen;
            const qint64 part = slopeNum % slopeDen;
            qint64 zt = zx;
            qint64 over = 0;
            bool visible = true;
            for (int t = 1;; ++t) {
                zt += step;
                over += part;
                if (over >= slopeDen) {
                    ++zt;
                    over -= slopeDen;
                }
                if (zt > Top)
                    break;
                const bool leftIn = x - t >= 0;
                const bool rightIn = x + t < n;
                if ((leftIn && z[x - t] >= zt) || (rightIn && z[x + t] >= zt)) {
                    visible = false;
                    break;
                }
                // The ray climbs more than `low` a pixel and what lies further out stands at most
                // `low` a pixel above the reach, so once the ray is above both reaches nothing
                // further out can meet it.
                if ((!leftIn || reachLeft[x - t] < zt) && (!rightIn || reachRight[x + t] < zt))
                    break;
            }
            if (!visible)
                continue;
        }
        // The shorter link wins: a pixel already linked further keeps the new, nearer point.
        const int lr = right[l];
        const int rl = left[r];
        if ((lr != l && lr < r) || (rl != r && rl > l))
            continue;
        if (lr != l) {
            left[lr] = lr;
            right[l] = l;
        }
        if (rl != r) {
            right[rl] = rl;
            left[r] = r;
        }
        right[l] = r;
        left[r] = l;
    }
}

quint32 mix(quint32 h)
{
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

} // namespace

void linkRow(const quint16 *z, int width, int eye, int depthPermille, Links &links)
{
    std::vector<int> sepOf(Top + 1);
    for (int x = 0; x < width; ++x)
        sepOf[z[x]] = separationOf(z[x], eye, depthPermille);
    linkWith(z, width, sepOf.data(), Eyes{eye, depthPermille, 1000}, links);
}

QPoint patternIndex(int vx, int y, int middle, int tileWidth, int tileHeight, int shift)
{
    const int refill = floorDiv(vx - middle, tileWidth);
    return {positiveMod(vx - middle, tileWidth),
            positiveMod(int((qint64(y) + qint64(refill) * shift) % tileHeight), tileHeight)};
}

quint32 dotHash(quint32 seed, int row, int column)
{
    return mix(mix(mix(seed ^ 0x9e3779b9u) + quint32(row)) + quint32(column));
}

int guideBandHeight(const Settings &settings)
{
    return settings.guides ? std::max(12, (settings.geometry.dpi + 2) / 4) : 0;
}

QSize outputSize(const Settings &settings)
{
    return {settings.size.width(), settings.size.height() + guideBandHeight(settings)};
}

Readout readoutOf(const Settings &settings)
{
    Readout r;
    const Geometry &g = settings.geometry;
    const int k = std::max(1, g.oversampling);
    const int far = separationOf(0, g);
    const int near = separationOf(Top, g);
    r.farPixels = double(far) / k;
    r.nearPixels = double(near) / k;
    r.farMm = r.farPixels * 25.4 / g.dpi;
    r.nearMm = r.nearPixels * 25.4 / g.dpi;
    r.depthSteps = far - near + 1;
    if (g.bySeparations()) {
        const Eyes eyes = eyesOf(g);
        r.eyeMm = double(eyes.eye) / k * 25.4 / g.dpi;
        r.depth = double(eyes.muNum) / double(eyes.muDen);
    } else {
        r.eyeMm = g.eyeMicrons / 1000.0;
        r.depth = g.depthPermille / 1000.0;
    }
    if (near * 100 < far * 55)
        r.warnings << Readout::Warning::NearTooClose;
    if (r.farMm > 40.0)
        r.warnings << Readout::Warning::FarTooWide;
    if (settings.size.width() < 2 * r.farPixels)
        r.warnings << Readout::Warning::TooNarrow;
    if (r.depthSteps < 8)
        r.warnings << Readout::Warning::FewSteps;
    return r;
}

namespace {

// The source position of a destination pixel centre, in 1/65536 of source pixels, and whether
// the centre is inside the placed rectangle: (2 d + 1) / (2 k) output pixels from the origin.
bool sourcePosition(qint64 d, qint64 k, qint64 origin, qint64 length, qint64 sourceLength,
                    qint64 &at)
{
    const qint64 twice = 2 * d + 1 - 2 * k * origin; // in 1/(2k) output pixels
    if (twice < 0 || twice >= 2 * k * length)
        return false;
    at = twice * sourceLength * 65536 / (2 * k * length) - 32768;
    at = std::clamp<qint64>(at, 0, (sourceLength - 1) * 65536);
    return true;
}

} // namespace

Sampler::Sampler(const DepthPlane &depth, const Settings &settings)
    : m_depth(depth), m_cross(settings.cross)
{
    const int W = settings.size.width();
    const int H = settings.size.height();
    m_k = std::max(1, settings.geometry.oversampling);
    m_vw = W * m_k;
    if (depth.isNull())
        return;
    const qint64 sw = depth.width;
    const qint64 sh = depth.height;
    switch (settings.placement) {
    case Placement::Stretch:
        m_w = W;
        m_h = H;
        break;
    case Placement::Fit:
    case Placement::Fill: {
        const bool widthLimited = (W * sh <= H * sw) == (settings.placement == Placement::Fit);
        if (widthLimited) {
            m_w = W;
            m_h = int(std::max<qint64>(1, (sh * W * 2 + sw) / (2 * sw)));
        } else {
            m_h = H;
            m_w = int(std::max<qint64>(1, (sw * H * 2 + sh) / (2 * sh)));
        }
        break;
    }
    }
    m_x0 = (W - m_w) / 2;
    m_y0 = (H - m_h) / 2;
    m_column.assign(std::size_t(m_vw), -1);
    m_weight.assign(std::size_t(m_vw), 0);
    m_first = m_vw;
    m_last = 0;
    for (int vx = 0; vx < m_vw; ++vx) {
        qint64 u = 0;
        if (sourcePosition(vx, m_k, m_x0, m_w, sw, u)) {
            m_column[std::size_t(vx)] = int(u >> 16);
            m_weight[std::size_t(vx)] = int(u & 0xffff);
            m_first = std::min(m_first, vx);
            m_last = vx + 1;
        }
    }
    m_first = std::min(m_first, m_last);
    // One virtual pixel a source pixel, each on its centre: rows are copied.
    m_direct = m_k == 1 && m_w == sw;
}


void Sampler::row(int y, quint16 *out) const
{
    // Inverted depth for cross-eyed viewing: Top - z, which for 16 bits is z ^ Top.
    const quint16 flip = quint16(m_cross ? Top : 0);
    qint64 v = 0;
    const bool inside =
        !m_depth.isNull() && sourcePosition(y, 1, m_y0, m_h, m_depth.height, v);
    if (!inside) {
        std::fill_n(out, m_vw, flip);
        return;
    }
    std::fill_n(out, m_first, flip);
    std::fill(out + m_last, out + m_vw, flip);
    const int iy = int(v >> 16);
    const quint32 fy = quint32(v & 0xffff);
    const int iy1 = std::min(iy + 1, m_depth.height - 1);
    const quint16 *a = m_depth.z.data() + std::size_t(iy) * std::size_t(m_depth.width);
    const quint16 *b = m_depth.z.data() + std::size_t(iy1) * std::size_t(m_depth.width);
    if (m_direct && fy == 0) {
        for (int vx = m_first; vx < m_last; ++vx)
            out[vx] = a[m_column[std::size_t(vx)]] ^ flip;
        return;
    }
    // The two rows blended first, then the columns: the same sum of a * wx * wy, so the same
    // depths, with one product a virtual pixel fewer.
    thread_local std::vector<quint32> blended;
    blended.resize(std::size_t(m_depth.width));
    for (int ix = 0; ix < m_depth.width; ++ix)
        blended[std::size_t(ix)] = a[ix] * (65536 - fy) + b[ix] * fy;
    const int lastColumn = m_depth.width - 1;
    for (int vx = m_first; vx < m_last; ++vx) {
        const int ix = m_column[std::size_t(vx)];
        const quint64 fx = quint64(m_weight[std::size_t(vx)]);
        const quint64 sum = blended[std::size_t(ix)] * (65536 - fx)
                            + blended[std::size_t(std::min(ix + 1, lastColumn))] * fx;
        out[vx] = quint16((sum + (1ULL << 31)) >> 32) ^ flip;
    }
}

namespace {

struct DotColours
{
    const Settings &s;

    Rgb operator()(quint32 h) const
    {
        switch (s.pattern) {
        case Pattern::BlackWhite:
            return int(h % 100) < s.density ? rgbOf(0, 0, 0) : rgbOf(255, 255, 255);
        case Pattern::Grey: {
            const int g = int(h & 0xff);
            return rgbOf(g, g, g);
        }
        case Pattern::Colour:
            return 0xff000000u | (h & 0xffffffu);
        case Pattern::Red:
        case Pattern::Green:
        case Pattern::Blue: {
            const int iro = int(s.pattern) - int(Pattern::Red);
            return picture::toQRgb(picture::dotColour(int(h & 0xff), iro));
        }
        case Pattern::Picture:
            break;
        }
        return rgbOf(0, 0, 0);
    }
};

struct Tile
{
    Image image; // RGB32, tileWidth x tileHeight
    int shift = 1;
};

Tile tileOf(const Settings &s, int farVirtual)
{
    Tile t;
    const Image &p = s.patternPicture;
    if (p.isNull() || farVirtual <= 0)
        return t;
    const int k = std::max(1, s.geometry.oversampling);
    const qint64 height = std::max<qint64>(
        1, (qint64(p.height()) * farVirtual * 2 + qint64(k) * p.width()) / (2 * qint64(k) * p.width()));
    const Image opaque = p.convertToFormat(Image::Format::Rgb32);
    t.image = picture::smoothScaled(opaque, opaque.rect(),
                                    QSize(farVirtual, int(std::min<qint64>(height, MaxSide))));
    t.shift = std::max(1, (s.geometry.dpi + 8) / 16);
    return t;
}

void drawGuideRow(const Settings &s, int y, int band, int farPixels, Rgb *row)
{
    const int W = s.size.width();
    std::fill_n(row, W, rgbOf(255, 255, 255));
    const int radius = std::max(2, band / 6);
    const int cy = band / 2;
    const int dy = y - cy;
    for (const int cx : {W / 2 - farPixels / 2, W / 2 - farPixels / 2 + farPixels}) {
        for (int x = std::max(0, cx - radius); x <= std::min(W - 1, cx + radius); ++x) {
            const int dx = x - cx;
            if (dx * dx + dy * dy <= radius * radius)
                row[x] = rgbOf(0, 0, 0);
        }
    }
}

} // namespace

qint64 workingBytes(const Settings &settings)
{
    const qint64 k = std::max(1, settings.geometry.oversampling);
    const qint64 vw = qint64(settings.size.width()) * k;
    qint64 bytes = vw * (2 + 4 + 4 + 4);          // depth, partners, virtual colours
    bytes += qint64(settings.size.width()) * 4;    // the output row
    bytes += qint64(Top + 1) * 4;                  // separations of every depth
    if (settings.pattern == Pattern::Picture) {
        const int far = separationOf(0, settings.geometry);
        const Image &p = settings.patternPicture;
        if (!p.isNull())
            bytes += qint64(far) * 4
                     * std::min<qint64>(MaxSide, qint64(p.height()) * far / (k * p.width()) + 1);
    }
    return bytes;
}

struct RowMaker::Parts
{
    Parts(const DepthPlane &depth, const Settings &settings)
        : s(settings), k(std::max(1, settings.geometry.oversampling)),
          vw(settings.size.width() * k), eyes(eyesOf(settings.geometry)),
          sepOf(separationTable(eyes)),
          farVirtual(sepOf[0]), band(guideBandHeight(settings)), sampler(depth, settings),
          dots{settings},
          tile(settings.pattern == Pattern::Picture ? tileOf(settings, farVirtual) : Tile{}),
          dot(std::max(1, settings.dotSize) * k), z(std::size_t(vw)), colour(std::size_t(vw))
    {
    }

    const Settings &s;
    const int k;
    const int vw;
    const Eyes eyes;
    const std::vector<int> sepOf;
    const int farVirtual;
    const int band;
    const Sampler sampler;
    const DotColours dots;
    const Tile tile;
    const int dot;
    std::vector<quint16> z;
    Links links;
    std::vector<Rgb> colour;
};

RowMaker::RowMaker(const DepthPlane &depth, const Settings &settings)
    : m(std::make_unique<Parts>(depth, settings))
{
}

RowMaker::~RowMaker() = default;

QSize RowMaker::size() const
{
    return outputSize(m->s);
}

namespace {

// Each output pixel the rounded mean of its k virtual pixels. k comes as a constant where it
// can (std::integral_constant), so that the divisions become multiplications.
template<typename K>
void averaged(const Rgb *colour, int width, K k, Rgb *out)
{
    for (int x = 0; x < width; ++x) {
        int r = 0, g = 0, b = 0;
        for (int j = 0; j < k; ++j) {
            const Rgb c = colour[x * k + j];
            r += rgbRed(c);
            g += rgbGreen(c);
            b += rgbBlue(c);
        }
        out[x] = rgbOf((r + k / 2) / k, (g + k / 2) / k, (b + k / 2) / k);
    }
}

template<int K>
constexpr std::integral_constant<int, K> by{};

} // namespace

void RowMaker::row(int y, Rgb *out)
{
    const Settings &settings = m->s;
    const int W = settings.size.width();
    const int k = m->k;
    const int vw = m->vw;
    if (y < m->band) {
        drawGuideRow(settings, y, m->band, (m->farVirtual + k / 2) / k, out);
        return;
    }
    y -= m->band;
    const int middle = vw / 2;
    m->sampler.row(y, m->z.data());
    linkWith(m->z.data(), vw, m->sepOf.data(), m->eyes, m->links);
    const int dotRow = y / std::max(1, settings.dotSize);
    const Tile &tile = m->tile;
    auto fresh = [&](int vx) -> Rgb {
        if (!tile.image.isNull()) {
            const QPoint p = patternIndex(vx, y, middle, tile.image.width(), tile.image.height(),
                                          tile.shift);
            return reinterpret_cast<const Rgb *>(tile.image.constScanLine(p.y()))[p.x()];
        }
        return m->dots(dotHash(settings.seed, dotRow, floorDiv(vx, m->dot)));
    };
    const int *left = m->links.left.data();
    const int *right = m->links.right.data();
    Rgb *colour = m->colour.data();
    // From the middle out: rightwards each pixel repeats its left partner, leftwards its right
    // one, so that any distortion is spread evenly to both sides.
    for (int vx = middle; vx < vw; ++vx)
        colour[vx] = left[vx] != vx && left[vx] >= middle ? colour[left[vx]] : fresh(vx);
    for (int vx = middle - 1; vx >= 0; --vx)
        colour[vx] = right[vx] != vx ? colour[right[vx]] : fresh(vx);
    switch (k) {
    case 2:
        return averaged(colour, W, by<2>, out);
    case 3:
        return averaged(colour, W, by<3>, out);
    case 4:
        return averaged(colour, W, by<4>, out);
    case 6:
        return averaged(colour, W, by<6>, out);
    case 8:
        return averaged(colour, W, by<8>, out);
    case 1:
        for (int x = 0; x < W; ++x)
            out[x] = colour[x] | 0xff000000u;
        return;
    default:
        return averaged(colour, W, k, out);
    }
}

bool render(const DepthPlane &depth, const Settings &settings, const RowSink &sink,
            const std::atomic<bool> *cancel, const std::function<void(int, int)> &progress)
{
    RowMaker maker(depth, settings);
    const QSize size = maker.size();
    const int band = guideBandHeight(settings);
    std::vector<Rgb> out(static_cast<std::size_t>(size.width()));
    for (int y = 0; y < size.height(); ++y) {
        if (cancel && cancel->load())
            return false;
        maker.row(y, out.data());
        sink(y, out.data(), size.width());
        if (progress && y >= band && ((y - band) % 64 == 63 || y == size.height() - 1))
            progress(y + 1, size.height());
    }
    return true;
}

static Image renderImageUnguarded(const DepthPlane &depth, const Settings &settings)
{
    Image image(outputSize(settings), Image::Format::Rgb32);
    if (image.isNull())
        return image;
    render(depth, settings, [&](int y, const Rgb *row, int width) {
        std::copy_n(row, width, reinterpret_cast<Rgb *>(image.scanLine(y)));
    });
    return image;
}

Image renderImage(const DepthPlane &depth, const Settings &settings)
{
    return picture::guarded([&] { return renderImageUnguarded(depth, settings); });
}

namespace {

const char *const PatternNames[] = {"bw", "grey", "colour", "red", "green", "blue", "picture"};
const char *const PlacementNames[] = {"fit", "fill", "stretch"};

} // namespace

QString settingsText(const Settings &s)
{
    const Geometry &g = s.geometry;
    // Separations given in pixels follow the rest, so that a text without them reads as before.
    const QString separations = g.bySeparations()
                                    ? u" far-px=%1 near-px=%2"_s.arg(g.farPixels).arg(g.nearPixels)
                                    : QString();
    return u"zomvorn-render 1 size=%1x%2 dpi=%3 eye-um=%4 depth-permille=%5 oversampling=%6 "
           "placement=%7 pattern=%8 density=%9 dot=%10 guides=%11 cross=%12 seed=%13"_s
        .arg(s.size.width())
        .arg(s.size.height())
        .arg(g.dpi)
        .arg(g.eyeMicrons)
        .arg(g.depthPermille)
        .arg(g.oversampling)
        .arg(QLatin1StringView(PlacementNames[int(s.placement)]))
        .arg(QLatin1StringView(PatternNames[int(s.pattern)]))
        .arg(s.density)
        .arg(s.dotSize)
        .arg(s.guides ? 1 : 0)
        .arg(s.cross ? 1 : 0)
        .arg(s.seed)
           + separations;
}

bool settingsFromText(const QString &text, Settings &s)
{
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 2 || words[0] != u"zomvorn-render"_s || words[1] != u"1"_s)
        return false;
    Settings read;
    bool all = true;
    for (const QString &word : words.mid(2)) {
        const qsizetype eq = word.indexOf(u'=');
        if (eq < 0)
            return false;
        const QString key = word.left(eq);
        const QString value = word.mid(eq + 1);
        bool ok = true;
        auto number = [&](int low, int high) {
            bool good = false;
            const qlonglong n = value.toLongLong(&good);
            ok = ok && good && n >= low && n <= high;
            return int(n);
        };
        if (key == u"size"_s) {
            const QStringList wh = value.split(u'x');
            bool okW = false, okH = false;
            read.size = QSize(wh.value(0).toInt(&okW), wh.value(1).toInt(&okH));
            ok = wh.size() == 2 && okW && okH && read.size.width() >= 1
                 && read.size.width() <= MaxSide && read.size.height() >= 1
                 && read.size.height() <= MaxSide;
        } else if (key == u"dpi"_s) {
            read.geometry.dpi = number(10, 4800);
        } else if (key == u"eye-um"_s) {
            read.geometry.eyeMicrons = number(10'000, 100'000);
        } else if (key == u"depth-permille"_s) {
            read.geometry.depthPermille = number(50, 900);
        } else if (key == u"oversampling"_s) {
            read.geometry.oversampling = number(1, 8);
        } else if (key == u"placement"_s) {
            const auto *it = std::find(std::begin(PlacementNames), std::end(PlacementNames),
                                       value.toLatin1());
            ok = it != std::end(PlacementNames);
            if (ok)
                read.placement = Placement(it - std::begin(PlacementNames));
        } else if (key == u"pattern"_s) {
            const QByteArray name = value.toLatin1();
            const auto *it = std::find_if(std::begin(PatternNames), std::end(PatternNames),
                                          [&](const char *n) { return name == n; });
            ok = it != std::end(PatternNames);
            if (ok)
                read.pattern = Pattern(it - std::begin(PatternNames));
        } else if (key == u"density"_s) {
            read.density = number(0, 100);
        } else if (key == u"dot"_s) {
            read.dotSize = number(1, 1000);
        } else if (key == u"guides"_s) {
            read.guides = number(0, 1) == 1;
        } else if (key == u"cross"_s) {
            read.cross = number(0, 1) == 1;
        } else if (key == u"seed"_s) {
            bool good = false;
            read.seed = value.toUInt(&good);
            ok = good;
        } else if (key == u"far-px"_s) {
            read.geometry.farPixels = number(2, MaxFarPixels);
        } else if (key == u"near-px"_s) {
            read.geometry.nearPixels = number(1, MaxFarPixels - 1);
        }
        all = all && ok;
    }
    const Geometry &g = read.geometry;
    const bool separations = g.farPixels > 0 || g.nearPixels > 0;
    if (separations && !(g.bySeparations() && g.nearPixels < g.farPixels))
        return false;
    if (!all || !read.validOversampling())
        return false;
    s = read;
    return true;
}

namespace {

// For each pixel of a row and each candidate separation lowest + c: the length of the run of
// pixels through it that each repeat the pixel that separation to their left, the separation
// changing by at most `tolerance` from each to the next (smooth depth; two colours match by
// chance too often to allow any change); 0 where the pixel itself does not repeat.
void runsOfRow(const Rgb *row, int W, int lowest, int candidates, int tolerance,
               std::vector<quint16> &work, std::vector<quint16> &runs)
{
    const auto C = std::size_t(candidates);
    work.assign(std::size_t(W) * C, 0);
    runs.assign(std::size_t(W) * C, 0);
    quint16 *leftRun = work.data();
    quint16 *rightRun = runs.data();
    auto eq = [&](int x, int c) {
        const int s = lowest + c;
        return x >= s && row[x] == row[x - s];
    };
    auto best = [&](const quint16 *at, int c) {
        quint16 m = at[c];
        if (c > 0 && tolerance)
            m = std::max(m, at[c - 1]);
        if (c + 1 < candidates && tolerance)
            m = std::max(m, at[c + 1]);
        return m;
    };
    for (int x = 0; x < W; ++x)
        for (int c = 0; c < candidates; ++c)
            if (eq(x, c))
                leftRun[std::size_t(x) * C + std::size_t(c)] = quint16(std::min(
                    30000, 1 + (x > 0 ? best(leftRun + std::size_t(x - 1) * C, c) : 0)));
    for (int x = W - 1; x >= 0; --x)
        for (int c = 0; c < candidates; ++c)
            if (leftRun[std::size_t(x) * C + std::size_t(c)])
                rightRun[std::size_t(x) * C + std::size_t(c)] = quint16(std::min(
                    30000, 1 + (x + 1 < W ? best(rightRun + std::size_t(x + 1) * C, c) : 0)));
    for (std::size_t i = 0; i < std::size_t(W) * C; ++i)
        runs[i] = leftRun[i] ? quint16(leftRun[i] + rightRun[i] - 1) : quint16(0);
}

// Whether each pixel decodes to each candidate: its run along the row, and the pixels above and
// below it that repeat at the same separation (give or take the tolerance), make a window of
// at least `window` pixels.
void matchOf(const quint16 *above, const quint16 *here, const quint16 *below, int W,
             int candidates, int window, int tolerance, std::vector<quint8> &match)
{
    const auto C = std::size_t(candidates);
    auto near = [&](const quint16 *at, int c) {
        if (!at)
            return 0;
        for (int o = std::max(0, c - tolerance); o <= std::min(candidates - 1, c + tolerance); ++o)
            if (at[o])
                return 1;
        return 0;
    };
    for (int x = 0; x < W; ++x) {
        const std::size_t i = std::size_t(x) * C;
        for (int c = 0; c < candidates; ++c) {
            const int run = here[i + std::size_t(c)];
            match[i + std::size_t(c)] =
                run > 0
                && run + near(above ? above + i : nullptr, c) + near(below ? below + i : nullptr, c)
                       >= window;
        }
    }
}

// matchOf of one row alone.
void matchRow(const Rgb *row, int W, int lowest, int candidates, int window, int tolerance,
              std::vector<quint16> &work, std::vector<quint8> &match)
{
    std::vector<quint16> runs;
    runsOfRow(row, W, lowest, candidates, tolerance, work, runs);
    matchOf(nullptr, runs.data(), nullptr, W, candidates, window, tolerance, match);
}

// For each pixel of a row made at x1: whether it lies in a stretch of linked pixels (each the
// right image of a link) shorter than `window`, in which every pixel repeats its left partner
// exactly. A stretch ends at a pixel the links leave free, and where the separation changes by
// more than `tolerance` from one pixel to the next: where the decoding's runs end too.
void shortStretches(const Rgb *row, int W, const Links &links, int window, int tolerance,
                    std::vector<quint8> &ok)
{
    std::fill(ok.begin(), ok.end(), quint8(0));
    const int *left = links.left.data();
    for (int x = 0; x < W;) {
        if (left[x] == x) {
            ++x;
            continue;
        }
        int end = x;
        bool same = true;
        while (end < W && left[end] != end
               && (end == x || std::abs((end - left[end]) - (end - 1 - left[end - 1])) <= tolerance)) {
            same = same && row[end] == row[left[end]];
            ++end;
        }
        if (same && end - x < window)
            std::fill(ok.begin() + x, ok.begin() + end, quint8(1));
        x = end;
    }
}

int toleranceOf(const Settings &settings)
{
    return settings.pattern == Pattern::BlackWhite ? 0 : 1;
}

int windowOf(const Settings &settings)
{
    // Long enough that a chance match is rare: two-colour dots need many pixels.
    return settings.pattern == Pattern::BlackWhite ? 32 : 4;
}

} // namespace

static Image decodedDepthUnguarded(const Image &stereogram, const Settings &settings)
{
    const int W = settings.size.width();
    const int H = settings.size.height();
    const int band = guideBandHeight(settings);
    const Image picture = stereogram.convertToFormat(Image::Format::Rgb32);
    Image out(W, H, Image::Format::Rgb32);
    if (picture.width() != W || picture.height() != H + band || out.isNull())
        return {};
    const int k = std::max(1, settings.geometry.oversampling);
    const Eyes eyes = eyesOf(settings.geometry);
    const int eye = eyes.eye;
    const double mu = double(std::max<qint64>(1, eyes.muNum)) / double(eyes.muDen);
    const int lowest = std::max(1, separationWith(Top, eyes) / k - 1);
    const int highest = std::min((separationWith(0, eyes) + k - 1) / k + 1, W - 1);
    if (highest < lowest)
        return {};
    const int candidates = highest - lowest + 1;
    std::vector<quint16> eq;
    std::vector<quint8> match(std::size_t(W) * std::size_t(candidates));
    // Each separation's grey: z = (E - 2s) / (mu (E - s)), white near.
    std::vector<Rgb> greyOf(static_cast<std::size_t>(candidates));
    for (int c = 0; c < candidates; ++c) {
        const double sv = double(lowest + c) * k;
        const double z = std::clamp((eye - 2 * sv) / (mu * (eye - sv)), 0.0, 1.0);
        const int g = int(std::lround(z * 255));
        greyOf[std::size_t(c)] = rgbOf(g, g, g);
    }
    for (int y = 0; y < H; ++y) {
        matchRow(reinterpret_cast<const Rgb *>(picture.constScanLine(band + y)), W, lowest,
                 candidates, windowOf(settings), toleranceOf(settings), eq, match);
        auto *line = reinterpret_cast<Rgb *>(out.scanLine(y));
        int last = candidates - 1; // far
        for (int x = 0; x < W; ++x) {
            const quint8 *m = match.data() + std::size_t(x) * std::size_t(candidates);
            int best = -1;
            for (int c = 0; c < candidates; ++c)
                if (m[c] && (best < 0 || std::abs(c - last) < std::abs(best - last)))
                    best = c;
            if (best < 0) {
                line[x] = rgbOf(160, 0, 0);
                continue;
            }
            last = best;
            line[x] = greyOf[std::size_t(best)];
        }
    }
    return out;
}

Image decodedDepth(const Image &stereogram, const Settings &settings)
{
    return picture::guarded([&] { return decodedDepthUnguarded(stereogram, settings); });
}

static CheckResult checkUnguarded(const Image &stereogram, const Settings &settings,
                                  const DepthPlane *depth)
{
    CheckResult result;
    const int W = settings.size.width();
    const int H = settings.size.height();
    const int band = guideBandHeight(settings);
    const Image picture = stereogram.convertToFormat(Image::Format::Rgb32);
    if (picture.width() != W || picture.height() != H + band)
        return result;
    const int k = std::max(1, settings.geometry.oversampling);
    const Eyes eyes = eyesOf(settings.geometry);
    const std::vector<int> sepOf = separationTable(eyes);
    // Candidate separations in output pixels.
    const int lowest = std::max(1, sepOf[Top] / k - 1);
    // No separation is wider than the picture.
    const int highest = std::min((sepOf[0] + k - 1) / k + 1, W - 1);
    if (highest < lowest)
        return result;
    const int candidates = highest - lowest + 1;
    // Dots wider than a pixel repeat over their width too: the window grows with them, and
    // separations less than a dot apart are one.
    const int dot = std::max(1, settings.dotSize);
    const int window = windowOf(settings) * dot;

    result.withDepth = depth != nullptr;
    std::optional<Sampler> sampler;
    if (depth)
        sampler.emplace(*depth, settings);
    std::vector<quint16> z(std::size_t(W) * std::size_t(k));
    Links links;
    // Per pixel and candidate: whether the pixel's run of matches at that separation is long
    // enough.
    std::vector<quint8> match(std::size_t(W) * std::size_t(candidates));
    std::vector<quint16> eq;
    std::vector<quint8> echoRow(static_cast<std::size_t>(W)), echoAbove(static_cast<std::size_t>(W));
    std::vector<quint8> askedSteps(std::size_t(sepOf[0] + 2)), foundSteps(std::size_t(sepOf[0] + 2));
    double errorSum = 0;
    qint64 errorCount = 0;
    std::vector<quint8> stretchOk(static_cast<std::size_t>(W));

    const int tolerance = toleranceOf(settings);
    // The runs of the row above, this one and the one below.
    std::vector<quint16> runs[3];
    auto rowAt = [&](int y) {
        return reinterpret_cast<const Rgb *>(picture.constScanLine(band + y));
    };
    runsOfRow(rowAt(0), W, lowest, candidates, tolerance, eq, runs[1]);
    for (int y = 0; y < H; ++y) {
        const auto *row = rowAt(y);
        if (y + 1 < H)
            runsOfRow(rowAt(y + 1), W, lowest, candidates, tolerance, eq, runs[2]);
        matchOf(y > 0 ? runs[0].data() : nullptr, runs[1].data(),
                y + 1 < H ? runs[2].data() : nullptr, W, candidates, window, tolerance, match);
        std::swap(runs[0], runs[1]);
        std::swap(runs[1], runs[2]);
        if (sampler) {
            sampler->row(y, z.data());
            linkWith(z.data(), W * k, sepOf.data(), eyes, links);
            if (k == 1)
                shortStretches(row, W, links, window, tolerance, stretchOk);
        }
        // The separation the depth links output pixel x at, in virtual pixels; 0 where free.
        auto intended = [&](int x) {
            const int vx = x * k + k / 2;
            return vx - links.left[std::size_t(vx)];
        };
        // Whether a stretch through x of at least a window's pixels repeats exactly at
        // separation lowest + c: a second depth the eyes can fuse, not a chance match that the
        // runs' tolerance carried on into a neighbouring separation's run. With the depth
        // known, the pixels the depth links at that separation (give or take a dot) do not
        // count: they are the neighbouring surface itself, whose run goes on by chance for a
        // pixel or two into this one.
        auto repeatsAt = [&](int x, int c) {
            const int sep = lowest + c;
            auto counts = [&](int at) {
                return !sampler || std::abs(intended(at) - sep * k) > dot * k;
            };
            // Two windows either way at most: a stretch that far off is another pixel's echo.
            int n = 0;
            for (int at = x; at >= std::max(sep, x - 2 * window) && row[at] == row[at - sep]
                             && n < window;
                 --at)
                n += counts(at);
            for (int at = x + 1; at < std::min(W, x + 1 + 2 * window) && row[at] == row[at - sep]
                                 && n < window;
                 ++at)
                n += counts(at);
            return n >= window;
        };
        for (int x = 0; x < W; ++x) {
            const quint8 *m = match.data() + std::size_t(x) * std::size_t(candidates);
            ++result.pixels;
            // Matches apart from each other by more than one pixel: the eyes see two depths.
            auto twoDepths = [&] {
                int first = -1;
                for (int c = 0; c < candidates; ++c)
                    if (m[c] && repeatsAt(x, c)) {
                        if (first >= 0 && c - first > dot)
                            return true;
                        if (first < 0)
                            first = c;
                    }
                return false;
            };
            // The pixel's own link, at the middle of its virtual pixels.
            const int vx = x * k + k / 2;
            bool echo = false;
            if (!sampler || links.left[std::size_t(vx)] == vx) {
                echo = twoDepths();
            } else {
                const int partner = links.left[std::size_t(vx)];
                ++result.linked;
                const int sv = vx - partner;
                askedSteps[std::size_t(sv)] = 1;
                const int s = (sv + k / 2) / k;
                const int c = s - lowest;
                // Where the surface leaves fewer linked pixels in a row than the window, or
                // changes their separation faster than the decoding follows, the window
                // cannot fill: there the stretch itself, every pixel of it repeating its
                // partner, is the window.
                const bool exact = (c >= 0 && c < candidates && m[c])
                                   || (k == 1 && stretchOk[std::size_t(x)]);
                if (exact) {
                    ++result.exact;
                    foundSteps[std::size_t(sv)] = 1;
                } else {
                    ++result.wrong;
                }
                if (k > 1) {
                    // Averaged dots repeat only approximately: the separation where the
                    // window's difference is least, refined between whole pixels.
                    auto cost = [&](int sep) {
                        qint64 sum = 0;
                        for (int j = -2; j <= 2; ++j) {
                            const int a = x + j;
                            const int b = a - sep;
                            if (a < 0 || a >= W || b < 0)
                                return qint64(-1);
                            const Rgb pa = row[a], pb = row[b];
                            sum += std::abs(rgbRed(pa) - rgbRed(pb))
                                   + std::abs(rgbGreen(pa) - rgbGreen(pb))
                                   + std::abs(rgbBlue(pa) - rgbBlue(pb));
                        }
                        return sum;
                    };
                    const qint64 c0 = cost(s - 1), c1 = cost(s), c2 = cost(s + 1);
                    if (c0 >= 0 && c1 >= 0 && c2 >= 0) {
                        double decoded = s;
                        const double curve = double(c0 - 2 * c1 + c2);
                        if (c1 <= c0 && c1 <= c2 && curve > 0)
                            decoded += 0.5 * double(c0 - c2) / curve;
                        else if (c0 < c1 && c0 <= c2)
                            decoded = s - 1;
                        else if (c2 < c1 && c2 < c0)
                            decoded = s + 1;
                        errorSum += std::abs(decoded - double(sv) / k);
                        ++errorCount;
                    }
                }
                // With the intended link known, an echo is a match away from it.
                for (int o = 0; o < candidates && !echo; ++o)
                    echo = m[o] && std::abs(o - c) > dot && repeatsAt(x, o);
            }
            echoRow[std::size_t(x)] = echo;
            result.echo += echo;
        }
        for (int x = 0; x < W;) {
            if (!echoRow[std::size_t(x)]) {
                ++x;
                continue;
            }
            bool joined = false;
            int end = x;
            while (end < W && echoRow[std::size_t(end)]) {
                joined = joined || echoAbove[std::size_t(end)];
                ++end;
            }
            result.echoRegions += !joined;
            x = end;
        }
        std::swap(echoRow, echoAbove);
    }
    for (std::size_t i = 0; i < askedSteps.size(); ++i) {
        result.inputSteps += askedSteps[i];
        result.outputSteps += foundSteps[i];
    }
    result.subpixelError = errorCount ? errorSum / double(errorCount) : 0;
    return result;
}

CheckResult check(const Image &stereogram, const Settings &settings, const DepthPlane *depth)
{
    return picture::guarded([&] { return checkUnguarded(stereogram, settings, depth); });
}

} // namespace stereo::render
