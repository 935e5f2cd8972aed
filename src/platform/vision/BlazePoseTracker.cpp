#include "platform/vision/BlazePoseTracker.h"

#include <cmath>

#include "platform/vision/VisionFrame.h"

namespace {

constexpr float MIN_PRESENCE = 0.5f;
constexpr float MIN_VISIBILITY = 0.5f;
// Regions of neighbours overlap a lot (they include a margin around each body), so two
// regions are one person when their hip centres nearly coincide.
constexpr float SAME_PERSON_DISTANCE = 0.25f;  // of the smaller region's side
constexpr int NOSE = 0, LEFT_SHOULDER = 11, RIGHT_SHOULDER = 12;

bool overlapsAny(const PoseRegion& r, const std::vector<PoseRegion>& others) {
    for (const PoseRegion& o : others) {
        cv::Point2f d = r.center - o.center;
        if (std::hypot(d.x, d.y) < SAME_PERSON_DISTANCE * std::min(r.side, o.side)) return true;
    }
    return false;
}

}  // namespace

Loaded<std::unique_ptr<BlazePoseTracker>> BlazePoseTracker::create(const ModelRegistry& models) {
    using Result = Loaded<std::unique_ptr<BlazePoseTracker>>;
    auto detector = BlazePosePersonDetector::create(models);
    if (!detector) return Result::failure(detector.error);
    auto landmarker = BlazePoseLandmarker::create(models);
    if (!landmarker) return Result::failure(landmarker.error);
    return Result::success(std::unique_ptr<BlazePoseTracker>(
        new BlazePoseTracker(std::move(*detector.value), std::move(*landmarker.value))));
}

BlazePoseTracker::BlazePoseTracker(std::unique_ptr<BlazePosePersonDetector> detector,
                                   std::unique_ptr<BlazePoseLandmarker> landmarker)
    : detector_(std::move(detector)), landmarker_(std::move(landmarker)) {}

void BlazePoseTracker::reset() {
    followed_.clear();
    lostSomeone_ = true;
    framesSinceDetection_ = 0;
}

std::vector<PoseLandmarks> BlazePoseTracker::track(const cv::Mat& rgb) {
    std::vector<PoseRegion> regions = followed_;
    if (lostSomeone_ || followed_.empty() || framesSinceDetection_ >= REDETECT_INTERVAL) {
        ++detectorRuns_;
        framesSinceDetection_ = 0;
        for (const PoseRegion& r : detector_->detect(rgb))
            if (!overlapsAny(r, regions)) regions.push_back(r);
    }
    ++framesSinceDetection_;

    std::vector<PoseLandmarks> people;
    followed_.clear();
    lostSomeone_ = false;
    for (const PoseRegion& region : regions) {
        PoseLandmarks found = landmarker_->landmarks(rgb, region);
        // Two regions that drifted onto one person keep only the first.
        if (found.presence < MIN_PRESENCE || overlapsAny(found.nextRegion, followed_)) {
            lostSomeone_ = true;
            continue;
        }
        followed_.push_back(found.nextRegion);
        people.push_back(found);
    }
    return people;
}

std::optional<std::vector<BodyPoseObservation>> BlazePoseTracker::detectBodyPoses(
    const Image& frame) {
    cv::Mat rgb = rgbFrame(frame);
    if (rgb.empty()) return std::nullopt;
    std::vector<BodyPoseObservation> poses;
    try {
        cv::Rect2f inside(0, 0, float(rgb.cols), float(rgb.rows));
        for (const PoseLandmarks& person : track(rgb)) {
            auto visible = [&](int i) {
                return person.visibility[size_t(i)] >= MIN_VISIBILITY &&
                       inside.contains(person.points[size_t(i)]);
            };
            BodyPoseObservation pose;
            if (visible(NOSE)) pose.nose = regionPoint(person.points[NOSE], rgb.size());
            if (visible(LEFT_SHOULDER) && visible(RIGHT_SHOULDER))
                pose.neck = regionPoint(
                    (person.points[LEFT_SHOULDER] + person.points[RIGHT_SHOULDER]) * 0.5f,
                    rgb.size());
            if (pose.nose || pose.neck) poses.push_back(pose);
        }
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
    return poses;
}
