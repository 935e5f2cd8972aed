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
    std::erase_if(observations, [](const FaceObservation& o) {
        return o.confidence < FACE_CONFIDENCE_THRESHOLD;
    });
    frames_.push_back(std::move(observations));
    if (frames_.size() < 2) return std::nullopt;
    std::vector<Rect> next;
    for (const FaceObservation& o : frames_.back()) next.push_back(o.boundingBox);
    return keep(&next);
}

std::vector<FaceObservation> FaceConfirmation::finish() {
    if (frames_.empty()) return {};
    frames_.push_back({});
    return keep(nullptr);
}

std::vector<FaceObservation> FaceConfirmation::keep(const std::vector<Rect>* next) {
    // frames_: up to CONFIRMATION_FRAMES before, the frame judged, the frame after.
    const auto judged = frames_.end() - 2;
    std::vector<FaceObservation> kept;
    for (const FaceObservation& o : *judged) {
        bool confirmed = o.confidence >= FACE_SURE_CONFIDENCE;
        for (auto f = frames_.begin(); f != judged && !confirmed; ++f)
            for (const FaceObservation& e : *f)
                confirmed = confirmed || facesOverlap(e.boundingBox, o.boundingBox);
        if (next)
            for (const Rect& r : *next) confirmed = confirmed || facesOverlap(r, o.boundingBox);
        if (confirmed) kept.push_back(o);
    }
    while (frames_.size() > size_t(CONFIRMATION_FRAMES) + 1) frames_.pop_front();
    return kept;
}
