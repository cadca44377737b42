#include "pictureio.h"

#include "runtimeerror.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace ui {

QImage LoadPicture(const QString &path)
{
    if (path.isEmpty())
        return {};

    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError::withDetail(RuntimeError::FileNotFound, {});
    if (info.isDir())
        throw RuntimeError::withDetail(RuntimeError::PathFileAccessError,
                                       u"フォルダーです。"_s);

    QImageReader reader(path);
    reader.setAutoTransform(false);
    if (!reader.canRead()) {
        throw RuntimeError::withDetail(RuntimeError::InvalidPicture, reader.errorString());
    }
    const QSize claimed = reader.size();
    if (claimed.isValid() && qint64(claimed.width()) * claimed.height() > MaxPicturePixels) {
        throw RuntimeError::withDetail(
            RuntimeError::InvalidPicture,
            u"画像が大きすぎます（%1 × %2 ピクセル）。"_s.arg(claimed.width()).arg(claimed.height()));
    }
    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError::withDetail(RuntimeError::InvalidPicture, reader.errorString());
    return image;
}

void SavePicture(const QImage &image, const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError::withDetail(RuntimeError::PathNotFound, u"ファイル名がありません。"_s);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw RuntimeError::withDetail(RuntimeError::PathFileAccessError, file.errorString());

    QImageWriter writer(&file, "bmp");
    // An opaque 24-bit bitmap, which every reader takes.
    QImage bits = image.convertToFormat(QImage::Format_RGB888);
    bits.setDotsPerMeterX(SavedDotsPerMeter);
    bits.setDotsPerMeterY(SavedDotsPerMeter);
    if (!writer.write(bits)) {
        const QString reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                                     : writer.errorString();
        file.cancelWriting();
        throw RuntimeError::withDetail(RuntimeError::PathFileAccessError, reason);
    }
    if (!file.commit())
        throw RuntimeError::withDetail(RuntimeError::PathFileAccessError, file.errorString());
}

} // namespace ui
