// SPDX-License-Identifier: MIT

#include "draftstore.h"

#include "picture/filename.h"
#include "picture/pictureio.h"
#include "picture/picturescan.h"

#include "depthmapfile.h"

#include "ui/qtimage.h"
#include "ui/runtimeerror.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace editor {

namespace {

constexpr char Magic[8] = {'Z', 'V', 'D', 'R', 'A', 'F', 'T', '1'};
constexpr qsizetype HashBytes = 32;
constexpr qsizetype HeaderBytes = 8 + 3 * 4 + HashBytes;

const QString DraftSuffix = u".draft"_s;
const QString LockSuffix = u".lock"_s;

QString lockPathOf(const QString &draftPath)
{
    return draftPath.chopped(DraftSuffix.size()) + LockSuffix;
}

[[noreturn]] void refuse(const QString &reason)
{
    throw ui::RuntimeError::withDetail(ui::RuntimeError::InvalidPicture, reason);
}

} // namespace

DraftStore::DraftStore(QString folder)
    : m_folder(std::move(folder)),
      m_id(u"%1-%2"_s.arg(QCoreApplication::applicationPid())
               .arg(uint(QRandomGenerator::system()->generate()), 8, 16, QChar(u'0')))
{
    m_worker.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(WriteDelayMs);
    m_timer.callOnTimeout([this] { writeNow(); });
}

DraftStore::~DraftStore()
{
    flush();
}

QString DraftStore::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/zomvorn/drafts"_s;
}

QString DraftStore::draftPath() const
{
    return m_folder + u'/' + m_id + DraftSuffix;
}

bool DraftStore::ensureFolderAndLock()
{
    if (m_lock)
        return true;
    if (!QDir().mkpath(m_folder)) {
        setError(u"「%1」を作れません。"_s.arg(QDir::toNativeSeparators(m_folder)));
        return false;
    }
    if (const QString problem = privacyProblem(m_folder); !problem.isEmpty()) {
        setError(problem);
        return false;
    }
    auto lock = std::make_unique<QLockFile>(lockPathOf(draftPath()));
    if (!lock->tryLock(0)) {
        setError(u"「%1」をロックできません。"_s.arg(QDir::toNativeSeparators(lock->fileName())));
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

void DraftStore::changed()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void DraftStore::enqueue(std::function<void()> job)
{
    m_worker.start(std::move(job));
}

void DraftStore::writeNow()
{
    m_timer.stop();
    const QImage image = m_source ? m_source() : QImage();
    if (image.isNull()) {
        remove();
        return;
    }
    if (!ensureFolderAndLock())
        return;
    enqueue([this, image, path = draftPath()] {
        try {
            writeFileAtomically(encode(image), path, 0600);
            setError({});
        } catch (const ui::RuntimeError &e) {
            setError(e.description());
        }
    });
}

void DraftStore::remove()
{
    m_timer.stop();
    if (!m_lock)
        return; // this instance never wrote a draft
    enqueue([path = draftPath()] { QFile::remove(path); });
}

void DraftStore::flush()
{
    if (m_timer.isActive())
        writeNow();
    m_worker.waitForDone();
}

void DraftStore::setError(const QString &error)
{
    const std::lock_guard guard(m_errorMutex);
    m_lastError = error;
}

QString DraftStore::lastError() const
{
    const std::lock_guard guard(m_errorMutex);
    return m_lastError;
}

QByteArray DraftStore::encode(const QImage &image)
{
    const QByteArray payload = encodePng(image);
    QByteArray bytes(Magic, sizeof Magic);
    for (quint32 n : {quint32(image.width()), quint32(image.height()), quint32(payload.size())}) {
        const quint32 big = qToBigEndian(n);
        bytes.append(reinterpret_cast<const char *>(&big), sizeof big);
    }
    bytes.append(QCryptographicHash::hash(payload, QCryptographicHash::Sha256));
    bytes.append(payload);
    return bytes;
}

QImage DraftStore::decode(const QByteArray &bytes, QSize expected)
{
    if (bytes.size() < qsizetype(sizeof Magic) || !bytes.startsWith(QByteArray(Magic, sizeof Magic)))
        refuse(u"下書きのファイルではありません。"_s);
    if (bytes.size() < HeaderBytes)
        refuse(u"ファイルが途中で切れています。"_s);
    auto field = [&](int n) { return qFromBigEndian<quint32>(bytes.constData() + 8 + 4 * n); };
    const QSize size(int(field(0)), int(field(1)));
    const qint64 length = field(2);
    if (size != expected)
        refuse(u"大きさが %1 × %2 ピクセルで、キャンバスと違います。"_s.arg(field(0)).arg(field(1)));
    if (bytes.size() - HeaderBytes < length)
        refuse(u"ファイルが途中で切れています。"_s);
    if (bytes.size() - HeaderBytes > length)
        refuse(u"ファイルの終わりに余分なデータがあります。"_s);
    const QByteArray payload = bytes.mid(HeaderBytes);
    if (QCryptographicHash::hash(payload, QCryptographicHash::Sha256)
        != bytes.mid(8 + 12, HashBytes))
        refuse(u"チェックサムが合いません。内容が壊れています。"_s);
    // The picture's own header, before any pixel is decoded: a draft holds the canvas, no more.
    if (const picture::PictureScan scan = picture::scanPicture(payload);
        scan.width != expected.width() || scan.height != expected.height())
        refuse(u"画像を読み取れません。"_s);
    QImage image;
    try {
        image = ui::toQImage(picture::decodePicture(payload));
    } catch (const picture::PictureError &) {
        refuse(u"画像を読み取れません。"_s);
    }
    if (image.size() != expected)
        refuse(u"画像を読み取れません。"_s);
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage DraftStore::read(const QString &path, QSize expected)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        refuse(u"通常のファイルではありません。"_s);
    if (info.size() > MaxDraftBytes)
        refuse(u"ファイルが大きすぎます。"_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ui::RuntimeError::withDetail(ui::RuntimeError::PathFileAccessError,
                                           file.errorString());
    return decode(file.read(MaxDraftBytes + 1), expected);
}

QString DraftStore::privacyProblem(const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    const QByteArray name = picture::fileNameBytes(folder);
    struct stat st{};
    if (::lstat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return u"下書きのフォルダー「%1」がフォルダーではありません。下書きは保存しません。"_s.arg(shown);
    if (st.st_uid != currentUser())
        return u"下書きのフォルダー「%1」はほかのユーザーのものです。下書きは保存しません。"_s.arg(shown);
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0)
        return u"下書きのフォルダー「%1」をほかのユーザーから閉じられません。下書きは保存しません。"_s.arg(shown);
    return {};
}

std::optional<DraftStore::Orphan> DraftStore::takeOrphan()
{
    // Drafts in a folder that others may write could be anyone's: none of them is offered.
    if (!QFileInfo(m_folder).exists() || !privacyProblem(m_folder).isEmpty())
        return std::nullopt;
    const QDir dir(m_folder);
    std::optional<Orphan> found;
    // Newest first: that is the painting most likely wanted back.
    for (const QFileInfo &draft :
         dir.entryInfoList({u"*"_s + DraftSuffix}, QDir::Files | QDir::Hidden, QDir::Time)) {
        if (draft.absoluteFilePath() == QFileInfo(draftPath()).absoluteFilePath())
            continue;
        auto lock = std::make_shared<QLockFile>(lockPathOf(draft.absoluteFilePath()));
        // Only a lock whose process is gone counts as stale, however old it is.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            found = Orphan{draft.absoluteFilePath(), std::move(lock)};
            break;
        }
    }
    // Lock files that crashed instances left without a draft.
    for (const QFileInfo &stale : dir.entryInfoList({u"*"_s + LockSuffix}, QDir::Files)) {
        const QString draft = stale.absoluteFilePath().chopped(LockSuffix.size()) + DraftSuffix;
        if (QFileInfo::exists(draft) || (m_lock && stale.absoluteFilePath() == m_lock->fileName()))
            continue;
        QLockFile lock(stale.absoluteFilePath());
        lock.setStaleLockTime(0);
        if (lock.tryLock(0))
            lock.unlock();
    }
    return found;
}

void DraftStore::adopt(Orphan &orphan)
{
    m_timer.stop();
    m_worker.waitForDone();
    if (ensureFolderAndLock()) {
        QFile::remove(draftPath());
        QFile::rename(orphan.path, draftPath());
    }
    orphan.lock.reset();
}

void DraftStore::discard(Orphan &orphan)
{
    QFile::remove(orphan.path);
    orphan.lock.reset();
}

QString DraftStore::moveAside(Orphan &orphan)
{
    const QString aside = orphan.path.chopped(DraftSuffix.size())
                          + QDateTime::currentDateTimeUtc().toString(u"-yyyyMMddhhmmss"_s)
                          + u".damaged"_s;
    QFile::rename(orphan.path, aside);
    orphan.lock.reset();
    return aside;
}

} // namespace editor
