// SPDX-License-Identifier: MIT

#pragma once

#include "draftstore.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

namespace editor {

// A draft that a program which has ended left behind, as the start offers it back: the orphan
// (locked here while the offer lives), when it was written, its size on disk, and its canvas, or
// why that cannot be read.
struct DraftOffer
{
    DraftStore::Orphan orphan;
    QDateTime written;
    qint64 bytes = 0;
    QImage canvas;
    QString damage;
};

// Every draft in the store's folder that no running program holds, newest first, each locked here
// and read for a canvas of `canvasSize`. Letting an offer go unlocks its draft, which waits for a
// later start.
QList<DraftOffer> takeDraftOffers(DraftStore &store, QSize canvasSize);

// A draft's line in the list: when it was written (local time) and its size on disk.
QString draftDescription(const QDateTime &written, qint64 bytes);

// The draft's small picture: the canvas at a quarter of its size, every fourth pixel, so that
// the level colours stay as they are.
QImage draftThumbnail(const QImage &canvas);

} // namespace editor
