// SPDX-License-Identifier: MIT

#pragma once

#include "rnd.h"
#include "stereogramgenerator.h"

#include "picture/animation.h"
#include "picture/mapkind.h"
#include "picture/pictureerror.h"
#include "picture/stereopictures.h"

#include "picture/image.h"
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace stereo {

// The largest number of frames made from one map.
inline constexpr int MaxMovedFrames = 10'000;

struct AnimationRequest
{
    // The depth maps in frame order; or one map, with `frames` > 0.
    QStringList maps;
    // Frames made from the one map, frame k from the map shifted by k x move, wrapping around.
    int frames = 0;
    QPoint move;
    StereogramSettings settings;
    QString output;
    int delayMs = picture::DefaultFrameDelay;
    int loopCount = 0;
    // Every map used with its literal colours, even a depth picture that is not drawn in them.
    bool asIs = false;
};

// A depth picture that the job converted into levels, and what it was.
struct ConvertedMap
{
    QString path;
    picture::MapVerdict verdict;
};

// A depth map that could not be read, and why.
struct BadMap
{
    QString path;
    picture::PictureError error;
};

// One animation, made step by step so that a window can show progress and cancel: check() reads
// every map first; then each step() makes and writes one frame, and the last one gives the file
// its name. Holds a few maps at a time, packed, and no frame. Destroyed or cancelled before the
// end, it leaves no file behind and an existing file as it was.
class AnimationJob
{
public:
    explicit AnimationJob(AnimationRequest request);
    ~AnimationJob();

    int frameCount() const;
    int framesDone() const { return m_done; }

    // Reads every map, each distinct file once; the ones that could not be read. Writes nothing.
    // `cancel`, once set, stops it before the next file; `progress` gets the files read so far out
    // of all.
    QList<BadMap> check(const std::atomic<bool> *cancel = nullptr,
                        const std::function<void(int done, int total)> &progress = {});
    // The maps check() found to be depth pictures and converted, each distinct file once.
    const QList<ConvertedMap> &converted() const { return m_converted; }

    // Makes and writes the next frame; true when the file is complete and has its name. Throws
    // BadMap when a map can no longer be read, PictureError when the file cannot be written; the
    // job is over then, with no file left behind.
    bool step();

    void cancel();

private:
    picture::Image depthMap(int frame);

    AnimationRequest m_request;
    QStringList m_files;
    QList<int> m_fileOfMap;
    QList<picture::PackedPicture> m_kept;
    QList<bool> m_isKept;
    QList<ConvertedMap> m_converted;
    StereogramRuns m_runs;
    std::unique_ptr<picture::AnimationWriter> m_writer;
    int m_done = 0;
};

} // namespace stereo
