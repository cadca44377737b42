// SPDX-License-Identifier: MIT

#include "canvashistory.h"

#include <cstring>

namespace editor {

namespace {

// zlib's fastest level: depth maps are large areas of one colour, which it packs well enough.
constexpr int CompressionLevel = 1;
// What a tile and a step cost beside their compressed bytes: the array's header and the vectors.
constexpr qsizetype TileOverhead = 64;
constexpr qsizetype StepOverhead = 64;

bool sameRows(const QImage &a, const QImage &b, const QRect &r)
{
    const size_t bytes = size_t(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (std::memcmp(a.constScanLine(y) + r.left() * 4, b.constScanLine(y) + r.left() * 4,
                        bytes)
            != 0)
            return false;
    }
    return true;
}

} // namespace

void CanvasHistory::begin(const QImage &persistent, const QImage &screen)
{
    if (m_inStep)
        return;
    // Shallow copies: the canvas detaches from them on its next write.
    m_beforePersistent = persistent;
    m_beforeScreen = screen;
    m_inStep = true;
}

QRect CanvasHistory::tileRect(int index, QSize canvas) const
{
    const int across = (canvas.width() + TileSide - 1) / TileSide;
    return QRect((index % across) * TileSide, (index / across) * TileSide, TileSide, TileSide)
        .intersected(QRect(QPoint(0, 0), canvas));
}

QByteArray CanvasHistory::pack(const QImage &persistent, const QImage &screen,
                               const QRect &r) const
{
    const bool sameScreen = sameRows(persistent, screen, r);
    const qsizetype rowBytes = qsizetype(r.width()) * 4;
    QByteArray raw;
    raw.reserve(1 + rowBytes * r.height() * (sameScreen ? 1 : 2));
    raw.append(char(sameScreen ? 1 : 0));
    for (const QImage *layer : {&persistent, &screen}) {
        if (layer == &screen && sameScreen)
            break;
        for (int y = r.top(); y <= r.bottom(); ++y)
            raw.append(reinterpret_cast<const char *>(layer->constScanLine(y) + r.left() * 4),
                       rowBytes);
    }
    return qCompress(raw, CompressionLevel);
}

bool CanvasHistory::unpack(const QByteArray &packed, QImage &persistent, QImage &screen,
                           const QRect &r)
{
    const QByteArray raw = qUncompress(packed);
    const qsizetype rowBytes = qsizetype(r.width()) * 4;
    const qsizetype layerBytes = rowBytes * r.height();
    if (raw.isEmpty())
        return false;
    const bool sameScreen = raw[0] == 1;
    if (raw.size() != 1 + layerBytes * (sameScreen ? 1 : 2))
        return false;
    const char *from = raw.constData() + 1;
    for (QImage *layer : {&persistent, &screen}) {
        const char *rows = layer == &screen && !sameScreen ? from + layerBytes : from;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(layer->scanLine(y) + r.left() * 4, rows + (y - r.top()) * rowBytes,
                        size_t(rowBytes));
    }
    return true;
}

qsizetype CanvasHistory::sizeOf(const Step &step)
{
    qsizetype bytes = StepOverhead;
    for (const Tile &t : step.tiles)
        bytes += TileOverhead + t.packed.size();
    return bytes;
}

bool CanvasHistory::commit(const QImage &persistent, const QImage &screen)
{
    if (!m_inStep)
        return false;
    m_inStep = false;
    const QImage beforePersistent = std::exchange(m_beforePersistent, QImage());
    const QImage beforeScreen = std::exchange(m_beforeScreen, QImage());
    const QSize canvas = persistent.size();
    if (beforePersistent.size() != canvas || beforeScreen.size() != canvas
        || screen.size() != canvas)
        return false;

    Step step;
    const int tiles = ((canvas.width() + TileSide - 1) / TileSide)
                      * ((canvas.height() + TileSide - 1) / TileSide);
    for (int i = 0; i < tiles; ++i) {
        const QRect r = tileRect(i, canvas);
        if (sameRows(beforePersistent, persistent, r) && sameRows(beforeScreen, screen, r))
            continue;
        step.tiles.push_back({i, pack(beforePersistent, beforeScreen, r)});
    }
    if (step.tiles.empty())
        return false;
    step.bytes = sizeOf(step);
    for (const Step &dropped : m_redo)
        m_bytes -= dropped.bytes;
    m_redo.clear();
    m_bytes += step.bytes;
    m_undo.push_back(std::move(step));
    keepWithinBudget();
    return true;
}

QRect CanvasHistory::swap(Step &step, QImage &persistent, QImage &screen)
{
    QRect changed;
    m_bytes -= step.bytes;
    for (Tile &t : step.tiles) {
        const QRect r = tileRect(t.index, persistent.size());
        QByteArray now = pack(persistent, screen, r);
        // A tile that cannot be put back (never expected: it was packed here) keeps the canvas's
        // pixels rather than writing part of one.
        if (unpack(t.packed, persistent, screen, r)) {
            t.packed = std::move(now);
            changed |= r;
        }
    }
    step.bytes = sizeOf(step);
    m_bytes += step.bytes;
    return changed;
}

QRect CanvasHistory::undo(QImage &persistent, QImage &screen)
{
    if (m_undo.empty() || m_inStep)
        return {};
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    const QRect changed = swap(step, persistent, screen);
    m_redo.push_back(std::move(step));
    keepWithinBudget();
    return changed;
}

QRect CanvasHistory::redo(QImage &persistent, QImage &screen)
{
    if (m_redo.empty() || m_inStep)
        return {};
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    const QRect changed = swap(step, persistent, screen);
    m_undo.push_back(std::move(step));
    keepWithinBudget();
    return changed;
}

void CanvasHistory::keepWithinBudget()
{
    // The oldest steps go first; then the redo steps farthest from the canvas. The newest step of
    // all stays, whatever its size.
    while (m_bytes > m_budget && m_undo.size() + m_redo.size() > 1) {
        std::deque<Step> &from = m_undo.size() > (m_redo.empty() ? 1 : 0) ? m_undo : m_redo;
        m_bytes -= from.front().bytes;
        from.pop_front();
    }
}

void CanvasHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_bytes = 0;
    m_inStep = false;
    m_beforePersistent = QImage();
    m_beforeScreen = QImage();
}

} // namespace editor
