#include "faces/FaceDetections.h"

#include <cmath>

#include "faces/PersonAssociation.h"

namespace {

std::optional<Point> unlessOnACorner(const std::optional<Point>& p) {
    if (!p) return std::nullopt;
    for (double a : {0.0, 1.0})
        for (double b : {0.0, 1.0})
            if (std::abs(p->x - a) < MISSING_JOINT_TOLERANCE &&
                std::abs(p->y - b) < MISSING_JOINT_TOLERANCE)
                return std::nullopt;
    return p;
}

}  // namespace

std::vector<FaceObservation> suppressOverlappingFaces(
    const std::vector<FaceObservation>& observations) {
    std::vector<FaceObservation> kept;
    for (const FaceObservation& o : observations) {
        bool duplicate = false;
        for (const FaceObservation& k : kept)
            duplicate = duplicate || facesOverlap(o.boundingBox, k.boundingBox);
        if (!duplicate) kept.push_back(o);
    }
    return kept;
}

std::vector<FaceRect> makeFaceRects(const std::vector<FaceObservation>& observations) {
    std::vector<FaceObservation> confident;
    for (const FaceObservation& o : observations)
        if (o.confidence >= FACE_CONFIDENCE_THRESHOLD) confident.push_back(o);
    std::vector<FaceRect> faces;
    for (const FaceObservation& o : suppressOverlappingFaces(confident))
        faces.push_back({o.boundingBox});
    return faces;
}

std::vector<PoseData> makePoseData(const std::vector<BodyPoseObservation>& observations) {
    std::vector<PoseData> poses;
    for (const BodyPoseObservation& o : observations) {
        PoseData pose{unlessOnACorner(o.nose), unlessOnACorner(o.neck)};
        if (pose.nose || pose.neck) poses.push_back(std::move(pose));
    }
    return poses;
}

std::optional<std::vector<FaceObservation>> FaceConfirmation::add(
    std::vector<FaceObservation> observations) {
    std::vector<Seen> frame;
    for (FaceObservation& o : observations)
        if (o.confidence >= FACE_CONFIDENCE_THRESHOLD) frame.push_back({std::move(o), false});
    frames_.push_back(std::move(frame));
    if (frames_.size() < 2) return std::nullopt;
    return keep(true);
}

std::vector<FaceObservation> FaceConfirmation::finish() {
    if (frames_.empty()) return {};
    frames_.push_back({});
    return keep(false);
}

namespace {

// `later` is the face of `earlier` found again: overlapping it, and of a like size. A box far
// larger or smaller around the same place is something else: the head and shoulders, or the
// whole picture, around a small face, which the detectors score unsure now and then.
bool continues(const Rect& earlier, const Rect& later) {
    const double ratio = later.height / earlier.height;
    return facesOverlap(earlier, later) && ratio >= 1 / MAX_CONTINUED_GROWTH &&
           ratio <= MAX_CONTINUED_GROWTH;
}

}  // namespace

std::vector<FaceObservation> FaceConfirmation::keep(bool hasNext) {
    // frames_: up to CONFIRMATION_FRAMES before, the frame judged, the frame after.
    const auto judged = frames_.end() - 2;
    std::vector<FaceObservation> kept;
    for (Seen& s : *judged) {
        const Rect& box = s.observation.boundingBox;
        s.kept = s.observation.confidence >= FACE_SURE_CONFIDENCE;
        for (auto f = frames_.begin(); f != judged; ++f)
            for (const Seen& e : *f)
                s.kept = s.kept || (e.kept && continues(e.observation.boundingBox, box));
        if (hasNext)
            for (const Seen& e : frames_.back())
                s.kept = s.kept || (e.observation.confidence >= FACE_SURE_CONFIDENCE &&
                                    continues(e.observation.boundingBox, box));
        if (s.kept) kept.push_back(s.observation);
    }
    while (frames_.size() > size_t(CONFIRMATION_FRAMES) + 1) frames_.pop_front();
    return kept;
}
