// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <deque>
#include <vector>

namespace editor {

// The canvas's undo and redo steps, free of any widget. A step keeps only the tiles it changed,
// of both layers (the persistent image and the screen layer), compressed; the history as a whole
// stays within a byte budget, dropping its oldest steps first. Undo and redo swap a step's tiles
// with the canvas's, so the canvas comes back bit for bit and each step is stored once.
class CanvasHistory
{
public:
    static constexpr qsizetype DefaultBudget = 64 * 1024 * 1024;
    static constexpr int TileSide = 32;

    explicit CanvasHistory(qsizetype budget = DefaultBudget) : m_budget(budget) {}

    // A step begins with the layers as they are; a step already begun goes on.
    void begin(const QImage &persistent, const QImage &screen);
    bool inStep() const { return m_inStep; }
    // The step ends with the layers as they are now. A step that changed a pixel is kept, and the
    // steps that could have been redone are dropped; one that changed nothing leaves all as it was.
    // Returns whether a step was kept.
    bool commit(const QImage &persistent, const QImage &screen);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    int undoCount() const { return int(m_undo.size()); }
    int redoCount() const { return int(m_redo.size()); }
    // Memory the steps take: their compressed tiles and bookkeeping.
    qsizetype bytes() const { return m_bytes; }
    qsizetype budget() const { return m_budget; }

    // Puts the canvas back as it was before the last step (undo) or after the next one (redo),
    // writing into both layers; returns the rectangle changed (empty when there is no such step).
    QRect undo(QImage &persistent, QImage &screen);
    QRect redo(QImage &persistent, QImage &screen);

    void clear();

private:
    struct Tile
    {
        int index = 0;
        // A flag byte (1: the screen layer equals the persistent one), then the tile's persistent
        // rows and, unless flagged, its screen rows; compressed.
        QByteArray packed;
    };
    struct Step
    {
        std::vector<Tile> tiles;
        qsizetype bytes = 0;
    };

    QRect tileRect(int index, QSize canvas) const;
    QByteArray pack(const QImage &persistent, const QImage &screen, const QRect &r) const;
    static bool unpack(const QByteArray &packed, QImage &persistent, QImage &screen,
                       const QRect &r);
    // Exchanges the step's tiles with the canvas's; returns the rectangle changed.
    QRect swap(Step &step, QImage &persistent, QImage &screen);
    static qsizetype sizeOf(const Step &step);
    void keepWithinBudget();

    qsizetype m_budget;
    qsizetype m_bytes = 0;
    std::deque<Step> m_undo;
    // The next step to redo is at the back.
    std::deque<Step> m_redo;
    bool m_inStep = false;
    QImage m_beforePersistent;
    QImage m_beforeScreen;
};

} // namespace editor
