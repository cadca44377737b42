// SPDX-License-Identifier: MIT

#include "depthmapfile.h"

#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QStorageInfo>

using namespace Qt::StringLiterals;

namespace editor {

QString depthMapFilter()
{
    return u"PNG ファイル(*.png)|*.png|ビットマップファイル(*.bmp)|*.bmp"_s;
}

QByteArray encodePng(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    QImage bits = image.convertToFormat(QImage::Format_RGB32);
    bits.setDotsPerMeterX(ui::SavedDotsPerMeter);
    bits.setDotsPerMeterY(ui::SavedDotsPerMeter);
    if (!writer.write(bits))
        throw ui::RuntimeError::withDetail(ui::RuntimeError::PathFileAccessError,
                                           writer.errorString());
    return bytes;
}

void writeFileAtomically(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty())
        throw ui::RuntimeError::withDetail(ui::RuntimeError::PathNotFound,
                                           u"ファイル名がありません。"_s);
    QSaveFile file(path);
    auto fail = [&](const QString &reason) {
        // Qt names a full disk only where a write fails; where the temporary file or the final
        // flush fails, the disk itself tells.
        const QFileInfo folder(QFileInfo(path).absolutePath());
        const QStorageInfo storage(folder.filePath());
        const bool full = file.error() == QFileDevice::ResourceError
                          || (folder.isWritable() && storage.isValid() && !storage.isReadOnly()
                              && storage.bytesAvailable() < bytes.size());
        file.cancelWriting();
        if (full)
            throw ui::RuntimeError::withDetail(
                ui::RuntimeError::DiskFull,
                u"保存には %1 KB の空きが必要です。"_s.arg((bytes.size() + 1023) / 1024));
        throw ui::RuntimeError::withDetail(ui::RuntimeError::PathFileAccessError, reason);
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}

void saveDepthMap(const QImage &image, const QString &path)
{
    if (path.endsWith(u".bmp"_s, Qt::CaseInsensitive)) {
        ui::SavePicture(image, path);
        return;
    }
    writeFileAtomically(encodePng(image), path);
}

} // namespace editor
