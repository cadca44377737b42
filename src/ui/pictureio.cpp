// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "runtimeerror.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace ui {

namespace {

QString megabytes(qint64 bytes)
{
    // A few kilobytes are not "0.0 MB": anything at all shows as at least 0.1.
    const double shown = bytes > 0 ? std::max(double(bytes) / 1e6, 0.1) : 0.0;
    return QString::number(shown, 'f', bytes < 10'000'000 ? 1 : 0);
}

} // namespace

RuntimeError runtimeErrorOf(const picture::PictureError &error)
{
    using Kind = picture::PictureError::Kind;
    auto with = [](int number, const QString &detail = {}) {
        return RuntimeError::withDetail(number, detail);
    };
    switch (error.kind()) {
    case Kind::NoFileName:
        return with(RuntimeError::PathNotFound, u"ファイル名がありません。"_s);
    case Kind::NotFound:
        return with(RuntimeError::FileNotFound);
    case Kind::PathNotFound:
        return with(RuntimeError::PathNotFound);
    case Kind::NoPermission:
        return with(RuntimeError::PathFileAccessError, u"このファイルを読み取る許可がありません。"_s);
    case Kind::NotWritable:
        return with(RuntimeError::PathFileAccessError, u"このファイルに書き込む許可がありません。"_s);
    case Kind::FolderNotWritable:
        return with(RuntimeError::PathFileAccessError,
                    u"フォルダー %1 に書き込む許可がありません。"_s.arg(error.detail));
    case Kind::ReadOnly:
        return with(RuntimeError::PathFileAccessError, u"読み取り専用のディスクです。"_s);
    case Kind::Folder:
        return with(RuntimeError::PathFileAccessError, u"フォルダーです。"_s);
    case Kind::NotRegularFile:
        return with(RuntimeError::PathFileAccessError,
                    u"通常のファイルではありません（名前付きパイプ、ソケット、デバイスなど）。"_s);
    case Kind::ForeignLink:
        return with(RuntimeError::PathFileAccessError,
                    u"ほかのユーザーのシンボリックリンクです。リンク先には書き込みません。"_s);
    case Kind::Empty:
        return with(RuntimeError::InvalidPicture, u"ファイルが空です（0 バイト）。"_s);
    case Kind::FileTooLarge:
        return with(RuntimeError::InvalidPicture,
                    u"画像が大きすぎます（ファイルの大きさ %1 MB）。読み込めるのは %2 MB までのファイルです。"_s
                        .arg(megabytes(error.bytes), megabytes(error.limit)));
    case Kind::PictureTooLarge:
        return with(RuntimeError::InvalidPicture,
                    u"画像が大きすぎます（%1 × %2 ピクセル）。読み込めるのは %3 × %3 ピクセルまでです。"_s
                        .arg(error.width)
                        .arg(error.height)
                        .arg(error.limit));
    case Kind::PictureTooDeep:
        return with(RuntimeError::InvalidPicture,
                    u"画像が大きすぎます（%1 × %2 ピクセル、展開すると %3 MB）。読み込めるのは %4 MB までです。"_s
                        .arg(error.width)
                        .arg(error.height)
                        .arg(megabytes(error.bytes), megabytes(error.limit)));
    case Kind::CutShort:
        return with(RuntimeError::InvalidPicture, u"ファイルが途中で切れています。"_s);
    case Kind::Damaged:
        return with(RuntimeError::InvalidPicture, u"画像ファイルが壊れています。"_s);
    case Kind::Unsupported:
        return with(RuntimeError::InvalidPicture, u"対応していない形式の画像です。"_s);
    case Kind::UnknownFormat:
        return with(RuntimeError::InvalidPicture,
                    u"画像ファイルではないか、対応していない形式です。読み込めるのは BMP、PNG、GIF、JPEG の画像です。"_s);
    case Kind::OutOfMemory:
        return with(RuntimeError::OutOfMemory);
    case Kind::DeviceError:
        return with(RuntimeError::DeviceIOError);
    case Kind::SystemError:
        return with(RuntimeError::PathFileAccessError,
                    u"ファイルにアクセスできません（%1）。"_s.arg(QString::fromLocal8Bit(std::strerror(error.code))));
    case Kind::DiskFull:
        if (error.bytes >= 0 && error.limit >= 0)
            return with(RuntimeError::DiskFull,
                        u"保存には %1 MB の空きが必要ですが、空きは %2 MB です。"_s
                            .arg(megabytes(error.bytes), megabytes(error.limit)));
        return error.bytes < 0 ? with(RuntimeError::DiskFull)
                               : with(RuntimeError::DiskFull,
                                      u"保存には %1 MB の空きが必要です。"_s.arg(megabytes(error.bytes)));
    case Kind::QuotaExceeded:
        return with(RuntimeError::DiskFull, u"ディスクの使用量の上限（クォータ）に達しました。"_s);
    case Kind::WriteFailed:
        return with(RuntimeError::PathFileAccessError, error.detail);
    case Kind::TooManyColours:
        return with(RuntimeError::InvalidPicture,
                    u"コマの色が %1 色あります。GIF のコマは %2 色までです（WebP なら何色でも保存できます）。"_s
                        .arg(error.count)
                        .arg(error.limit));
    case Kind::OutputTooLarge:
        return with(RuntimeError::PathFileAccessError,
                    u"ファイルがこの形式で保存できる大きさ（%1 MB）を超えます。"_s.arg(megabytes(error.limit)));
    }
    return with(RuntimeError::InternalError);
}

QImage LoadPicture(const QString &path, QSize part)
{
    return withRuntimeErrors([&] { return picture::loadPicture(path, part); });
}

QImage decodePicture(const QByteArray &bytes, QSize part)
{
    return withRuntimeErrors([&] { return picture::decodePicture(bytes, part); });
}

void SavePicture(const QImage &image, const QString &path)
{
    withRuntimeErrors([&] { picture::savePicture(image, path, picture::FileFormat::Bmp); });
}

void savePictureAs(const QImage &image, const QString &path)
{
    withRuntimeErrors([&] {
        picture::savePicture(image, path,
                             picture::formatOfName(path).value_or(picture::FileFormat::Png));
    });
}

} // namespace ui
