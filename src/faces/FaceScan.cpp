#include "faces/FaceScan.h"

#include <chrono>
#include <thread>

#include "core/SourceVideo.h"
#include "faces/FaceDetections.h"
#include "faces/FaceFrameSettler.h"
#include "faces/FaceRegionBuilder.h"
#include "faces/PersonAssociation.h"
#include "platform/dispatch/BackgroundPriority.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/BoundedQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/ImageOps.h"
#include "platform/log/Log.h"
#include "platform/media/VideoReader.h"
#include "platform/vision/BlazePoseTracker.h"
#include "platform/vision/FaceSearch.h"
#include "regions/EmojiCatalogue.h"

namespace {

// Frames waiting between two stages: enough to smooth out uneven stage times, few enough to
// keep memory flat.
constexpr size_t STAGE_QUEUE_CAPACITY = 4;

struct DetectedFrame {
    VideoFrame frame;
    std::vector<FaceRect> faces;
};

// The person's face, grown as its region is, cut out of the frame into a picture of its own.
Image thumbnail(const Image& frame, const Rect& face) {
    Rect r = enlargedFaceRect(face);
    Rect area = Rect{r.x * frame.extent.width, r.y * frame.extent.height,
                     r.width * frame.extent.width, r.height * frame.extent.height}
                    .intersection(frame.extent);
    if (area.isEmpty()) return Image();
    return Image(ImageOps::crop(frame, area).pixels.clone());
}

}  // namespace

struct FaceScan::Pass {
    std::shared_ptr<const SourceVideo> video;
    Progress progress;
    Completion completion;
    Failure failure;
    std::atomic<bool> cancelled{false};
    std::mutex readerMutex;
    std::unique_ptr<VideoReader> reader;

    void cancel() {
        cancelled = true;
        std::lock_guard lock(readerMutex);
        if (reader) reader->cancel();
    }
};

namespace {

std::optional<FaceScanDetectors> detectorsWith(FaceSearch::Options options, std::string& error) {
    ModelRegistry models = ModelRegistry::fromEnvironment();
    auto faces = FaceSearch::create(models, options);
    if (!faces) {
        error = faces.error;
        return std::nullopt;
    }
    auto poses = BlazePoseTracker::create(models);
    if (!poses) {
        error = poses.error;
        return std::nullopt;
    }
    return FaceScanDetectors{std::move(*faces.value), std::move(*poses.value)};
}

}  // namespace

FaceScanDetectorFactory faceScanDetectors(FaceScanReach reach) {
    FaceSearch::Options options;
    // Candidates down to the least confidence the scan keeps, so the two never disagree.
    options.minScore = FACE_CONFIDENCE_THRESHOLD;
    if (reach == FaceScanReach::smallFaces) options.tileShare = 1.0f / 5;
    if (reach == FaceScanReach::fast) options.retinaFrames = 0;
    return [options](std::string& error) { return detectorsWith(options, error); };
}

void FaceScan::setDetectors(FaceScanDetectorFactory detectors) {
    detectors_ = std::move(detectors);
}

FaceScan::FaceScan(FaceScanDetectorFactory detectors) : detectors_(std::move(detectors)) {}

FaceScan::~FaceScan() {
    cancel();
}

void FaceScan::scanFaces(std::shared_ptr<const SourceVideo> video, Progress progress,
                         Completion completion, Failure failure) {
    auto pass = std::make_shared<Pass>();
    pass->video = std::move(video);
    pass->progress = std::move(progress);
    pass->completion = std::move(completion);
    pass->failure = std::move(failure);
    {
        std::lock_guard lock(running_->mutex);
        if (running_->pass) running_->pass->cancel();
        running_->pass = pass;
    }
    BackgroundQueue::dispatch([running = running_, pass, detectors = detectors_] {
        // On a thread of its own, which ends with the pass: it and its stages yield to the
        // preview while it plays.
        std::thread scan([&] {
            runAtBackgroundPriority();
            run(running, pass, detectors);
        });
        scan.join();
    });
}

void FaceScan::cancel() {
    std::lock_guard lock(running_->mutex);
    if (running_->pass) running_->pass->cancel();
}

bool FaceScan::isScanning() const {
    std::lock_guard lock(running_->mutex);
    return running_->pass != nullptr;
}

void FaceScan::run(const std::shared_ptr<Running>& running, const std::shared_ptr<Pass>& pass,
                   const FaceScanDetectorFactory& makeDetectors) {
    // Ends the pass on the main queue: the running pass is cleared first, then `then` runs.
    auto finish = [running, pass](std::function<void()> then) {
        MainQueue::shared().post([running, pass, then = std::move(then)] {
            {
                std::lock_guard lock(running->mutex);
                if (running->pass == pass) running->pass.reset();
            }
            if (then && !pass->cancelled) then();
        });
    };
    auto fail = [&](const std::string& reason) {
        finish([pass, reason] {
            if (pass->failure) pass->failure(reason);
        });
    };
    const SourceVideo& video = *pass->video;
    auto duration = video.duration();
    auto tracks = video.trackVideos();
    if (!tracks || tracks->empty()) {
        logDebug("Failed to find video track.");
        return fail(video.path() + ": no video track");
    }
    std::string error;
    VideoReaderSettings settings;
    settings.format = VideoPixelFormat::rgba8;
    settings.maxSide = int(DETECTION_FRAME_SIDE);
    auto reader = VideoReader::open(video.path(), settings, &error);
    if (!reader || !duration || !duration->isNumeric()) {
        logDebug("Failed to create AVAssetReader.");
        return fail(video.path() + ": " +
                    (error.empty() ? "the video's duration is unknown" : error));
    }
    auto detectors = makeDetectors(error);
    if (!detectors) {
        logDebug(error);
        return fail(error);
    }
    VideoReader* frames = reader.get();
    {
        std::lock_guard lock(pass->readerMutex);
        pass->reader = std::move(reader);
        if (pass->cancelled) pass->reader->cancel();
    }

    BoundedQueue<VideoFrame> decoded(STAGE_QUEUE_CAPACITY);
    BoundedQueue<DetectedFrame> detected(STAGE_QUEUE_CAPACITY);
    ReadStatus endStatus = ReadStatus::end;
    std::thread decoder([&] {
        VideoFrame frame;
        while ((endStatus = frames->read(frame)) == ReadStatus::frame)
            if (!decoded.push(frame)) break;
        decoded.close();
    });
    std::thread faceStage([&] {
        FaceFrameSettler settler;
        bool open = true;
        auto hand = [&](std::vector<SettledFrame> settled) {
            for (SettledFrame& s : settled)
                if (open) open = detected.push({std::move(s.frame), std::move(s.faces)});
        };
        // One frame ahead, so the last frame is known as such: it is searched too, or the
        // video would end on faces held from the frame before.
        std::optional<VideoFrame> frame = decoded.pop();
        for (size_t index = 0; frame && open && !pass->cancelled; ++index) {
            std::optional<VideoFrame> next = decoded.pop();
            if (pass->cancelled) break;
            std::optional<std::vector<FaceObservation>> found;
            if (index % FACE_SEARCH_STRIDE == 0 || !next) {
                auto observations = detectors->faces->detectFaceRectangles(frame->image);
                if (!observations)
                    logDebug("Lỗi khi thực hiện request: the face network gave no result");
                found = observations ? std::move(*observations) : std::vector<FaceObservation>{};
            }
            hand(settler.add(std::move(*frame), std::move(found)));
            frame = std::move(next);
        }
        if (!pass->cancelled) hand(settler.finish());
        decoded.abort();
        detected.close();
    });

    FaceRegionBuilder builder({*duration, video.frameDuration(), video.isHDR(),
                               emojiList().empty() ? std::string() : emojiList().front()});
    std::vector<FrameFaces> recent;  // the frames association looks back at
    int framesScanned = 0;
    auto lastReport = std::chrono::steady_clock::now();
    for (size_t index = 0;; ++index) {
        auto item = detected.pop();
        if (!item || pass->cancelled) break;
        const VideoFrame& frame = item->frame;
        ++framesScanned;
        std::optional<std::vector<BodyPoseObservation>> observations;
        if (index % POSE_STRIDE == 0)
            observations = detectors->poses->detectBodyPoses(frame.image);
        else
            observations.emplace();
        if (!observations)
            logDebug(
                "Failed to perform human body pose detection: the pose networks gave no result");
        recent.push_back({std::move(item->faces),
                          observations ? makePoseData(*observations) : std::vector<PoseData>{},
                          frame.time});
        if (recent.size() > ASSOCIATION_LOOKBACK + 1) recent.erase(recent.begin());
        associateFrame(recent);
        for (const auto& person : builder.addFrame(recent.back()))
            builder.setThumbnail(person.personIndex, thumbnail(frame.image, person.face));

        auto now = std::chrono::steady_clock::now();
        if (pass->progress &&
            std::chrono::duration<double>(now - lastReport).count() >= SCAN_REPORT_INTERVAL) {
            lastReport = now;
            double fraction = frame.time.seconds() / duration->seconds();
            MainQueue::shared().post([pass, fraction, regions = builder.regions()]() mutable {
                pass->progress(fraction, std::move(regions));
            });
        }
    }
    detected.abort();
    faceStage.join();
    decoder.join();

    if (pass->cancelled || endStatus == ReadStatus::cancelled) return finish({});
    if (endStatus != ReadStatus::end) {
        logDebug(frames->error());
        return fail(video.path() + ": " + frames->error());
    }
    finish([pass, regions = builder.regions(), framesScanned]() mutable {
        if (pass->completion) pass->completion(std::move(regions), framesScanned);
    });
}
