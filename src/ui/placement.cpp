// SPDX-License-Identifier: MIT

#include "placement.h"

#include <algorithm>

namespace ui {

namespace {

// Inside the available area and over none of the windows: the two the user works in, and the
// tool windows kept clear of.
bool isFree(const QRect &frame, const QRect &anchor, const QRect &other, const QRect &available,
            const QList<QRect> &alsoClear)
{
    if (!available.contains(frame) || frame.intersects(anchor)
        || (!other.isNull() && frame.intersects(other)))
        return false;
    for (const QRect &r : alsoClear)
        if (frame.intersects(r))
            return false;
    return true;
}

// The top edge level with `top` where the available area lets the frame be that high.
int levelTop(int top, int height, const QRect &available)
{
    return std::clamp(top, available.top(), std::max(available.top(), available.bottom() + 1 - height));
}

int levelLeft(int left, int width, const QRect &available)
{
    return std::clamp(left, available.left(), std::max(available.left(), available.right() + 1 - width));
}

} // namespace

static Placement place(QSize wanted, const QRect &anchor, const QRect &other,
                       const QRect &available, int gap, const QList<QRect> &alsoClear);

Placement placeBeside(QSize wanted, const QRect &anchor, const QRect &other,
                      const QRect &available, int gap, const QList<QRect> &alsoClear)
{
    if (!alsoClear.isEmpty()) {
        const Placement clear = place(wanted, anchor, other, available, gap, alsoClear);
        if (!clear.covers)
            return clear;
    }
    return place(wanted, anchor, other, available, gap, {});
}

static Placement place(QSize wanted, const QRect &anchor, const QRect &other,
                       const QRect &available, int gap, const QList<QRect> &alsoClear)
{
    const QSize size = wanted.boundedTo(available.size());
    const bool smaller = size != wanted;
    const QRect both = other.isNull() ? anchor : anchor.united(other);

    // 1. Full size at the right, then at the left.
    const int top = levelTop(anchor.top(), size.height(), available);
    const QRect right(QPoint(anchor.right() + 1 + gap, top), size);
    if (isFree(right, anchor, other, available, alsoClear))
        return {right, smaller, false};
    const QRect left(QPoint(anchor.left() - gap - size.width(), top), size);
    if (isFree(left, anchor, other, available, alsoClear))
        return {left, smaller, false};

    // 2. Narrowed to the wider side strip, clear of both windows.
    const int rightStrip = available.right() - (both.right() + gap);
    const int leftStrip = (both.left() - gap) - available.left();
    const bool toRight = rightStrip >= leftStrip;
    const int strip = std::max(rightStrip, leftStrip);
    if (strip >= MinimumSide) {
        const QSize narrow(std::min(size.width(), strip), size.height());
        const int x = toRight ? both.right() + 1 + gap : both.left() - gap - narrow.width();
        const QRect frame(QPoint(x, levelTop(anchor.top(), narrow.height(), available)), narrow);
        if (isFree(frame, anchor, other, available, alsoClear))
            return {frame, true, false};
    }

    // 3. Below, then above, both windows, lowered to the band.
    const int below = available.bottom() - (both.bottom() + gap);
    const int above = (both.top() - gap) - available.top();
    for (const bool under : {true, false}) {
        const int band = under ? below : above;
        if (band < MinimumSide)
            continue;
        const QSize low(size.width(), std::min(size.height(), band));
        const int y = under ? both.bottom() + 1 + gap : both.top() - gap - low.height();
        const QRect frame(QPoint(levelLeft(anchor.left(), low.width(), available), y), low);
        if (isFree(frame, anchor, other, available, alsoClear))
            return {frame, smaller || low != size, false};
    }

    // 4. Nowhere free: inside the screen at least.
    const QRect frame(QPoint(available.right() + 1 - size.width(),
                             levelTop(anchor.top(), size.height(), available)),
                      size);
    return {frame, smaller, true};
}

} // namespace ui
