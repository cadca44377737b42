// SPDX-License-Identifier: MIT

#include "animationjob.h"

#include "picture/mapkind.h"
#include "picture/pictureio.h"

#include <QHash>

#include <algorithm>

using picture::Image;
using picture::Rgb;

namespace stereo {

namespace {

// Maps kept from the check for the frames, as long as they are small: level-colour maps pack
// into a few kilobytes, noisy ones are read again when their turn comes.
constexpr qint64 KeptMapBytes = 64LL << 20;

// The one map source: a map of level colours as the editor loads it, a depth picture converted
// as the import dialog converts it by default.
picture::MapOfPicture readDepthMap(const QString &path, bool asIs)
{
    return picture::mapOfFile(path, asIs);
}

// A GIF frame holds at most 256 colours, and the dots of a stereogram may use all 256 greys of
// their tint: the guides' white band and black dots are drawn in the tint's lightest and darkest
// dot colours instead, which the frame's table holds anyway.
void guidesInDotColours(Image &frame, const StereogramSettings &settings)
{
    const Rgb light = picture::toQRgb(picture::dotColour(255, settings.iroIndex));
    const Rgb dark = picture::toQRgb(picture::dotColour(0, settings.iroIndex));
    const int band = std::min(frame.height(), picture::GuideBandHeight * settings.scale);
    for (int y = 0; y < band; ++y) {
        auto *line = reinterpret_cast<Rgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            line[x] = (line[x] & 0xffffffu) == 0xffffffu ? light : dark;
    }
}

} // namespace

AnimationJob::AnimationJob(AnimationRequest request)
    : m_request(std::move(request)), m_runs(m_request.settings)
{
    QHash<QString, int> fileOf;
    for (const QString &map : m_request.maps) {
        auto found = fileOf.constFind(map);
        if (found == fileOf.cend()) {
            found = fileOf.insert(map, int(m_files.size()));
            m_files << map;
        }
        m_fileOfMap << *found;
    }
    m_kept.resize(m_files.size());
    m_isKept.resize(m_files.size(), false);
}

AnimationJob::~AnimationJob() = default;

int AnimationJob::frameCount() const
{
    return m_request.frames > 0 ? m_request.frames : int(m_request.maps.size());
}

QList<BadMap> AnimationJob::check(const std::atomic<bool> *cancel,
                                  const std::function<void(int, int)> &progress)
{
    QList<BadMap> bad;
    qint64 keptBytes = 0;
    const int files = int(m_files.size());
    for (int i = 0; i < files; ++i) {
        if (cancel && cancel->load())
            break;
        if (progress)
            progress(i, files);
        try {
            const picture::MapOfPicture made = readDepthMap(m_files[i], m_request.asIs);
            if (made.converted)
                m_converted.append({m_files[i], made.verdict});
            picture::PackedPicture packed(made.map);
            if (keptBytes + packed.bytes() <= KeptMapBytes) {
                keptBytes += packed.bytes();
                m_kept[i] = std::move(packed);
                m_isKept[i] = true;
            }
        } catch (const picture::PictureError &e) {
            bad.append({m_files[i], e});
        }
    }
    return bad;
}

Image AnimationJob::depthMap(int frame)
{
    const int file = m_request.frames > 0 ? 0 : m_fileOfMap[frame];
    Image map;
    if (m_isKept[file]) {
        map = m_kept[file].unpack();
    } else {
        try {
            map = readDepthMap(m_files[file], m_request.asIs).map;
        } catch (const picture::PictureError &e) {
            cancel();
            throw BadMap{m_files[file], e};
        }
    }
    if (m_request.frames > 0)
        map = picture::shiftedWrapped(map, m_request.move.x() * frame, m_request.move.y() * frame);
    return map;
}

bool AnimationJob::step()
{
    try {
        return picture::guarded([&] {
            if (m_done == 0 && !m_writer) {
                const auto format = picture::animationFormatOfName(m_request.output);
                Q_ASSERT(format);
                m_writer = std::make_unique<picture::AnimationWriter>(
                    m_request.output, *format, m_request.delayMs, m_request.loopCount);
            }
            Q_ASSERT(m_writer && m_done < frameCount());
            Image frame = m_runs.next(depthMap(m_done));
            if (m_request.settings.guides
                && picture::animationFormatOfName(m_request.output) == picture::AnimationFormat::Gif)
                guidesInDotColours(frame, m_request.settings);
            m_writer->add(frame);
            ++m_done;
            if (m_done == 1)
                m_writer->checkRoomFor(frameCount());
            if (m_done < frameCount())
                return false;
            m_writer->commit();
            m_writer.reset();
            return true;
        });
    } catch (...) {
        cancel();
        throw;
    }
}

void AnimationJob::cancel()
{
    if (m_writer) {
        m_writer->cancel();
        m_writer.reset();
    }
}

} // namespace stereo
