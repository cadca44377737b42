// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace fuzzcase {

// The editor canvas's drawing area, which every loaded picture is placed on.
inline constexpr QSize CanvasSize{389, 333};

// What "ファイル読み込み" and then "ランダムドット作成" do with a file's bytes: decode them
// through the load path, place the picture top-left on a black canvas and make the stereogram of
// that canvas. Aborts when the load path breaks its promises: an error other than a run-time error
// with a description, a picture larger than asked for, or a second decode of the same bytes
// giving other pixels. Returns whether a picture came out.
bool loadAndMake(const QByteArray &bytes);

// The second half: the picture placed on the black canvas, and the stereogram made of it.
void placeAndMake(const QImage &picture);

} // namespace fuzzcase
