// SPDX-License-Identifier: MIT

#pragma once

#include "ui/colour.h"
#include "ui/qtimage.h"

#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

// Fails the calling test, naming the file, when a file it needs from the test corpus is missing:
// a missing file must never let a test pass for the wrong reason.
#define VERIFY_TEST_FILE(path)                                                                    \
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(QStringLiteral("test file missing: ") + (path)))

// Small helpers for building and checking pictures in tests.
namespace testimages {

// The drawing areas of the canvas (and the depth store) and of the display.
inline constexpr QSize CanvasSize{389, 333};
inline constexpr QSize DisplaySize{453, 333};

constexpr int area(QSize size)
{
    return size.width() * size.height();
}

// The bounding box of the pixels of one colour; empty when there are none.
QRect extentOf(const QImage &image, ui::Colour colour);
inline QRect extentOf(const picture::Image &image, ui::Colour colour)
{
    return extentOf(ui::toQImage(image), colour);
}

// How many pixels have that colour.
int countOf(const QImage &image, ui::Colour colour);
inline int countOf(const picture::Image &image, ui::Colour colour)
{
    return countOf(ui::toQImage(image), colour);
}

// A depth map of the canvas's size filled with one level.
QImage uniformDepthMap(int level, QSize size = CanvasSize);

// A depth map with a shape: three rings of levels 15, 9 and 3 around the middle, on level 0.
QImage shapeMap();

// The largest difference of any channel between two images of the same size, or -1 when their
// sizes differ.
int maxChannelDifference(const QImage &a, const QImage &b);

// Depth pictures as renderers and cameras write them.
// A grey sphere of `radius` around `centre` on black, greys 40 (rim) to 255 (top).
QImage sphereOnBlack(QSize size, double radius, QPoint centre,
                     QImage::Format format = QImage::Format_Grayscale8);
// A 16-bit grey ramp, black at the left to white at the right.
QImage sixteenBitRamp(QSize size);
// A ramp through the colours, evenly spaced from left to right, each row the same.
QImage colourRamp(QSize size, const QList<QRgb> &stops);
// jet's corners from cold to warm: dark blue, blue, cyan, yellow, red, dark red.
QList<QRgb> jetCorners();
// viridis's known colours at 0, 1/4, 1/2, 3/4 and 1: #440154 #3b528b #21918c #5ec962 #fde725.
QList<QRgb> viridisQuarters();
// A depth camera's frame as an 8-bit palette picture of blues, the far corner brightest.
QImage bluesPalette(QSize size);

// A file of the BMP Suite corpus in tests/data/bmpsuite, by its path inside that folder.
QString bmpsuite(const QString &relative);

} // namespace testimages
