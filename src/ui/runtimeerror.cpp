// SPDX-License-Identifier: MIT

#include "runtimeerror.h"

#include "dialogs.h"
#include "pictureio.h"

#include <QCoreApplication>
#include <QDir>

#include <new>

using namespace Qt::StringLiterals;

namespace ui {

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number), m_description(std::move(description)),
      m_what(m_description.toUtf8())
{
}

RuntimeError RuntimeError::withDetail(int number, const QString &detail)
{
    QString text = runtimeErrorDescription(number);
    if (!detail.isEmpty())
        text += u'\n' + detail;
    return RuntimeError(number, text);
}

QString runtimeErrorDescription(int number)
{
    switch (number) {
    case RuntimeError::OutOfMemory:
        return u"メモリが不足しています。"_s;
    case RuntimeError::FileNotFound:
        return u"ファイルが見つかりません。"_s;
    case RuntimeError::DeviceIOError:
        return u"デバイス I/O エラーです。"_s;
    case RuntimeError::DiskFull:
        return u"ディスクの空き容量が不足しています。"_s;
    case RuntimeError::PathFileAccessError:
        return u"パス名またはファイルへのアクセスエラーです。"_s;
    case RuntimeError::PathNotFound:
        return u"パスが見つかりません。"_s;
    case RuntimeError::InvalidPicture:
        return u"ピクチャが不正です。"_s;
    default:
        return u"アプリケーション定義またはオブジェクト定義のエラーです。"_s;
    }
}

QString uncaughtErrorText(int number, const QString &description)
{
    return u"実行時エラー '%1':\n\n%2"_s.arg(number).arg(description);
}

QString readFailedText(const QString &path, const QString &reason)
{
    return u"「%1」はピクチャとして読み込めませんでした。\n\n%2"_s
        .arg(QDir::toNativeSeparators(path), reason);
}

QString writeFailedText(const QString &path, const QString &reason)
{
    return u"「%1」に保存できませんでした。\n\n%2"_s.arg(QDir::toNativeSeparators(path), reason);
}

void runHandler(Dialogs &dialogs, const std::function<void()> &handler)
{
    int number = 0;
    QString description;
    try {
        handler();
        return;
    } catch (const RuntimeError &e) {
        number = e.number();
        description = e.description();
    } catch (const picture::PictureError &e) {
        const RuntimeError error = runtimeErrorOf(e);
        number = error.number();
        description = error.description();
    } catch (const std::bad_alloc &) {
        number = RuntimeError::OutOfMemory;
        description = runtimeErrorDescription(number);
    } catch (const std::exception &e) {
        number = RuntimeError::InternalError;
        description = QString::fromLocal8Bit(e.what());
    }
    dialogs.msgBox(uncaughtErrorText(number, description), MsgBox::Critical,
                   QCoreApplication::applicationName());
    QCoreApplication::exit(1);
}

} // namespace ui
