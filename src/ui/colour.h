// SPDX-License-Identifier: MIT

#pragma once

#include "picture/colour.h"

// The runtime's colour functions, as the program's commands call them.
namespace ui {
using picture::Colour;
using picture::NoColour;
using picture::RGB;
using picture::redOf;
using picture::greenOf;
using picture::blueOf;
using picture::QBColorTable;
using picture::QBColor;
using picture::toQRgb;
using picture::fromQRgb;
} // namespace ui
