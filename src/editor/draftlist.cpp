// SPDX-License-Identifier: MIT

#include "draftlist.h"

#include "ui/runtimeerror.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace editor {

QList<DraftOffer> takeDraftOffers(DraftStore &store, QSize canvasSize)
{
    QList<DraftOffer> offers;
    // Each orphan taken stays locked here, so the next call finds the next one, newest first.
    while (std::optional<DraftStore::Orphan> orphan = store.takeOrphan()) {
        DraftOffer offer;
        const QFileInfo info(orphan->path);
        offer.written = info.lastModified();
        offer.bytes = info.size();
        offer.orphan = std::move(*orphan);
        try {
            offer.canvas = DraftStore::read(offer.orphan.path, canvasSize);
        } catch (const ui::RuntimeError &e) {
            offer.damage = e.description();
        }
        offers.append(std::move(offer));
    }
    return offers;
}

QString draftDescription(const QDateTime &written, qint64 bytes)
{
    const QString size = bytes < 1024 ? u"%1 バイト"_s.arg(bytes)
                                      : u"%1 KB"_s.arg((bytes + 1023) / 1024);
    return u"%1 に保存、%2"_s.arg(written.toLocalTime().toString(u"yyyy/MM/dd HH:mm"_s), size);
}

QImage draftThumbnail(const QImage &canvas)
{
    if (canvas.isNull())
        return {};
    return canvas.scaled((canvas.width() + 3) / 4, (canvas.height() + 3) / 4, Qt::IgnoreAspectRatio,
                         Qt::FastTransformation);
}

} // namespace editor
