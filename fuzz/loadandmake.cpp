// SPDX-License-Identifier: MIT

#include "loadandmake.h"

#include "stereo/stereogramgenerator.h"
#include "ui/colour.h"
#include "ui/pictureio.h"
#include "ui/picturesurface.h"
#include "ui/runtimeerror.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzcase {

static void fail(const char *what)
{
    std::fprintf(stderr, "load path broke its promise: %s\n", what);
    std::abort();
}

bool loadAndMake(const QByteArray &bytes)
{
    QImage picture;
    try {
        picture = ui::decodePicture(bytes, CanvasSize);
    } catch (const ui::RuntimeError &e) {
        if (e.description().isEmpty())
            fail("an error without a description");
        return false;
    }
    if (picture.isNull())
        fail("no picture and no error");
    if (picture.width() > CanvasSize.width() || picture.height() > CanvasSize.height())
        fail("more of the picture than asked for");
    if (ui::decodePicture(bytes, CanvasSize) != picture)
        fail("two decodes of the same bytes differ");
    placeAndMake(picture);
    return true;
}

void placeAndMake(const QImage &picture)
{
    ui::PictureSurface canvas(CanvasSize, ui::RGB(0, 0, 0), ui::PictureSurface::FillStyle::Solid);
    canvas.setPicture(picture);
    stereo::Rnd rnd;
    stereo::StereogramGenerator generator(rnd);
    picture::Image stereogram(stereo::ImageWidth, stereo::ImageHeight,
                              picture::Image::Format::Rgb32);
    stereogram.fill(0xffffffffu);
    generator.make(ui::fromQImage(canvas.persistentImage()), stereogram, 2);
}

} // namespace fuzzcase
