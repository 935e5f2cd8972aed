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

std::vector<FaceObservation> FaceConfirmation::confirm(
    const std::vector<FaceObservation>& observations) {
    std::vector<FaceObservation> kept;
    std::vector<Rect> candidates;
    for (const FaceObservation& o : observations) {
        if (o.confidence < FACE_CONFIDENCE_THRESHOLD) continue;
        candidates.push_back(o.boundingBox);
        bool confirmed = o.confidence >= FACE_SURE_CONFIDENCE;
        for (const auto& frame : recent_)
            for (const Rect& r : frame) confirmed = confirmed || facesOverlap(r, o.boundingBox);
        if (confirmed) kept.push_back(o);
    }
    recent_.push_back(std::move(candidates));
    if (recent_.size() > size_t(CONFIRMATION_FRAMES)) recent_.pop_front();
    return kept;
}
