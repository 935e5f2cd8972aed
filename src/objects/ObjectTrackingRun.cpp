#include "objects/ObjectTrackingRun.h"

#include <cmath>
#include <mutex>
#include <vector>

#include "objects/ObjectTrackingPass.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/log/Log.h"

// A running pass as the main thread sees it: the cancel reaches the frame source through it.
// A cancel that comes before the source is open cancels the source as soon as it opens, so no
// cancel is lost however early it comes.
struct ObjectTrackingRun::Pass {
    std::mutex mutex;
    bool cancelRequested = false;
    std::shared_ptr<ObjectFrameSource> source;

    void attach(std::shared_ptr<ObjectFrameSource> s) {
        std::lock_guard lock(mutex);
        source = std::move(s);
        if (cancelRequested) source->cancel();
    }
    void cancel() {
        std::lock_guard lock(mutex);
        cancelRequested = true;
        if (source) source->cancel();
    }
};

struct ObjectTrackingRun::Shared {
    ObjectTrackingServices services;
    std::atomic<bool> cancelReverse{false};
    std::shared_ptr<Pass> reader;  // main thread; set while a pass runs
};

namespace {

using Shared = ObjectTrackingRun::Shared;
using Pass = ObjectTrackingRun::Pass;

// How a pass ended. A pass that could not open the video reports nothing.
enum class PassEnd { completed, lost, cancelled, failed, unopened };

Rect fromTopLeft(const Rect& r) {
    return {r.x, 1 - (r.y + r.height), r.width, r.height};
}

}  // namespace

// Everything a pass needs on its thread and to report back; the tracking run may go away
// meanwhile, so it holds the tracking run's state only weakly.
struct ObjectTrackingRun::PassJob {
    std::weak_ptr<Shared> shared;
    std::shared_ptr<Pass> pass;
    std::shared_ptr<const SourceVideo> video;
    ObjectFrameSourceOpener openFrames;
    std::unique_ptr<ObjectTracker> requestHandler;
    Rect box;  // lower-left
    double duration = 0;
    ObjectTrackingRun::Progress progress;
    ObjectTrackingRun::Completion completion;
    ObjectTrackingRun::Cancelled cancelled;

    std::shared_ptr<ObjectFrameSource> openSource() const {
        auto tracks = video->trackVideos();
        if (tracks && tracks->empty()) {
            logDebug("Failed to find video track.");
            return nullptr;
        }
        std::shared_ptr<ObjectFrameSource> source =
            openFrames(video->path(), int(ObjectTrackingRun::DETECTION_FRAME_SIDE));
        if (!source) {
            logDebug("Failed to create AVAssetReader.");
            return nullptr;
        }
        pass->attach(source);
        return source;
    }

    void reportProgress(double fraction) const {
        MainQueue::shared().post([weak = shared, progress = progress, fraction] {
            if (weak.lock() && progress) progress(fraction);
        });
    }

    void finish(PassEnd end, ObjectTrackingPass* judged) const {
        std::deque<RegionSample> results;
        std::optional<Image> thumbnail;
        if (judged) {
            results = judged->takeResults();
            thumbnail = judged->takeThumbnail();
        }
        MainQueue::shared().post([weak = shared, pass = pass, end, completion = completion,
                                  cancelled = cancelled, results = std::move(results),
                                  thumbnail = std::move(thumbnail)]() mutable {
            auto s = weak.lock();
            if (!s) return;
            if (s->reader == pass) s->reader.reset();
            switch (end) {
                case PassEnd::completed:
                case PassEnd::lost:
                    if (completion) completion(std::move(results), std::move(thumbnail));
                    break;
                // A reader that fails ends the run like a cancel, so the caller is never left
                // waiting for a pass that will not report.
                case PassEnd::cancelled:
                case PassEnd::failed:
                    if (cancelled) cancelled();
                    break;
                case PassEnd::unopened:
                    break;
            }
        });
    }
};

namespace {

using PassJob = ObjectTrackingRun::PassJob;

PassEnd endOfRead(ReadStatus status) {
    return status == ReadStatus::cancelled ? PassEnd::cancelled : PassEnd::failed;
}

void runForward(PassJob& job, MediaTime t0, MediaTime end) {
    auto source = job.openSource();
    if (!source) return job.finish(PassEnd::unopened, nullptr);
    ObjectTrackingPass judged(*job.requestHandler, job.box, TrackDirection::forward);
    if (!source->setRange({t0, end - t0})) return job.finish(PassEnd::failed, &judged);
    VideoFrame frame;
    for (;;) {
        ReadStatus status = source->read(frame);
        if (status == ReadStatus::end) return job.finish(PassEnd::completed, &judged);
        if (status != ReadStatus::frame) return job.finish(endOfRead(status), &judged);
        judged.judge(frame);
        job.reportProgress((frame.time.seconds() - t0.seconds()) / job.duration);
        if (judged.lost()) {
            source->cancel();
            return job.finish(PassEnd::lost, &judged);
        }
    }
}

void runBackward(PassJob& job, MediaTime rangeStart, MediaTime rangeEnd, double frameRate) {
    auto cancelReverse = [&job] {
        auto shared = job.shared.lock();
        return !shared || shared->cancelReverse.load();
    };
    auto source = job.openSource();
    if (!source) return job.finish(PassEnd::unopened, nullptr);
    ObjectTrackingPass judged(*job.requestHandler, job.box, TrackDirection::backward);
    const double chunk = ObjectTrackingRun::CHUNK_FRAMES / frameRate;
    const double first = rangeStart.seconds(), last = rangeEnd.seconds();
    const int chunks = last > first ? int(std::ceil((last - first) / chunk)) : 0;
    std::vector<VideoFrame> frames;
    for (int i = 0; i < chunks; ++i) {
        MediaTime start =
            MediaTime::fromSeconds(std::max(last - chunk * (i + 1), first), rangeEnd.timescale);
        MediaTime end = MediaTime::fromSeconds(last - chunk * i, rangeEnd.timescale);
        if (end < start) {
            logDebug("Tính sai start end time!");
            continue;
        }
        if (!source->setRange({start, end - start})) return job.finish(PassEnd::failed, &judged);
        frames.clear();
        VideoFrame frame;
        ReadStatus status;
        while ((status = source->read(frame)) == ReadStatus::frame) frames.push_back(frame);
        if (status != ReadStatus::end) return job.finish(endOfRead(status), &judged);
        for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
            judged.judge(*it);
            job.reportProgress((job.duration - it->time.seconds()) / job.duration);
            if (cancelReverse()) return job.finish(PassEnd::cancelled, &judged);
            if (judged.lost()) {
                source->cancel();
                return job.finish(PassEnd::lost, &judged);
            }
        }
    }
    source->cancel();
    job.finish(cancelReverse() ? PassEnd::cancelled : PassEnd::completed, &judged);
}

}  // namespace

ObjectTrackingRun::ObjectTrackingRun(ObjectTrackingServices services)
    : shared_(std::make_shared<Shared>()) {
    if (!services.makeTracker) services.makeTracker = makeObjectTracker;
    shared_->services = std::move(services);
}

ObjectTrackingRun::~ObjectTrackingRun() {
    cancel();
}

std::shared_ptr<PassJob> ObjectTrackingRun::beginPass(std::shared_ptr<const SourceVideo> video,
                                                      const Rect& rect, Progress progress,
                                                      Completion completion, Cancelled cancelled) {
    auto duration = video ? video->duration() : std::nullopt;
    if (!duration) return nullptr;
    shared_->reader = std::make_shared<Pass>();
    return std::make_shared<PassJob>(
        PassJob{shared_, shared_->reader, std::move(video), shared_->services.openFrames,
                shared_->services.makeTracker(), fromTopLeft(rect), duration->seconds(),
                std::move(progress), std::move(completion), std::move(cancelled)});
}

void ObjectTrackingRun::trackForward(std::shared_ptr<const SourceVideo> video,
                                     const MediaTime& startTime, const Rect& rect,
                                     Progress progress, Completion completion,
                                     Cancelled cancelled) {
    auto job = beginPass(std::move(video), rect, std::move(progress), std::move(completion),
                         std::move(cancelled));
    if (!job) return;
    MediaTime end = *job->video->duration();
    // Nothing to read; the completion still comes through the main queue, like every other.
    if (!(startTime < end)) return job->finish(PassEnd::completed, nullptr);
    BackgroundQueue::dispatch([job, startTime, end] { runForward(*job, startTime, end); });
}

void ObjectTrackingRun::trackBackward(std::shared_ptr<const SourceVideo> video,
                                      const MediaTime& rangeStart, const MediaTime& rangeEnd,
                                      const Rect& rect, Progress progress, Completion completion,
                                      Cancelled cancelled) {
    shared_->cancelReverse = false;
    auto job = beginPass(std::move(video), rect, std::move(progress), std::move(completion),
                         std::move(cancelled));
    if (!job) return;
    float rate = job->video->nominalFrameRate().value_or(0);
    double frameRate = rate > 0 && std::isfinite(rate) ? rate : 30.0;
    BackgroundQueue::dispatch([job, rangeStart, rangeEnd, frameRate] {
        runBackward(*job, rangeStart, rangeEnd, frameRate);
    });
}

void ObjectTrackingRun::cancel() {
    shared_->cancelReverse = true;
    if (shared_->reader) shared_->reader->cancel();
}

bool ObjectTrackingRun::isTracking() const {
    return shared_->reader != nullptr;
}

bool ObjectTrackingRun::cancelReverse() const {
    return shared_->cancelReverse.load();
}
