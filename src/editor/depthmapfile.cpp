// SPDX-License-Identifier: MIT

#include "depthmapfile.h"

#include "ui/pictureio.h"
#include "ui/runtimeerror.h"

using namespace Qt::StringLiterals;

namespace editor {

QString depthMapFilter()
{
    return u"PNG ファイル(*.png)|*.png|ビットマップファイル(*.bmp)|*.bmp"_s;
}

QByteArray encodePng(const QImage &image)
{
    try {
        return picture::encodePicture(image, picture::FileFormat::Png);
    } catch (const picture::PictureError &e) {
        throw ui::runtimeErrorOf(e);
    }
}

void writeFileAtomically(const QByteArray &bytes, const QString &path)
{
    try {
        picture::writeFile(bytes, path);
    } catch (const picture::PictureError &e) {
        throw ui::runtimeErrorOf(e);
    }
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
