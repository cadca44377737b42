// SPDX-License-Identifier: MIT

#include "depthmapfile.h"

#include "ui/pictureio.h"

using namespace Qt::StringLiterals;

namespace editor {

QString depthMapFilter()
{
    return u"PNG ファイル(*.png)|*.png|ビットマップファイル(*.bmp)|*.bmp"_s;
}

QByteArray encodePng(const QImage &image)
{
    return ui::withRuntimeErrors(
        [&] { return picture::encodePicture(ui::fromQImage(image), picture::FileFormat::Png); });
}

void writeFileAtomically(const QByteArray &bytes, const QString &path, mode_t mode)
{
    picture::FileWriter::Options options;
    options.newFileMode = mode;
    ui::withRuntimeErrors([&] { picture::writeFile(bytes, path, options); });
}

void saveDepthMap(const QImage &image, const QString &path)
{
    ui::savePictureAs(image, path);
}

} // namespace editor
