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

// `later` is the face of `earlier` found again: overlapping it, and of a like size (either way
// round, so the order of the two does not matter). A box far larger or smaller around the same
// place is something else: the head and shoulders, or the whole picture, around a small face,
// which the detectors score unsure now and then.
bool continues(const Rect& earlier, const Rect& later) {
    const double ratio = later.height / earlier.height;
    return facesOverlap(earlier, later) && ratio >= 1 / MAX_CONTINUED_GROWTH &&
           ratio <= MAX_CONTINUED_GROWTH;
}

// The share of their joint area two boxes have in common.
double sharedShare(const Rect& a, const Rect& b) {
    const double shared = intersectionArea(a, b);
    return shared / (a.width * a.height + b.width * b.height - shared);
}

}  // namespace

std::vector<FaceObservation> FaceConfirmation::keep(bool hasNext) {
    // frames_: up to CONFIRMATION_FRAMES before, the frame judged, the frame after.
    const auto judged = frames_.end() - 2;
    for (Seen& s : *judged) s.kept = s.observation.confidence >= FACE_SURE_CONFIDENCE;
    // Unsure faces are kept where they continue a face of `confirming` (kept before them, or
    // sure after them). Each sure face of the judged frame accounts for the face of
    // `confirming` it is most like, which then confirms nothing besides: a face moving fast
    // leaves an unsure box on its old place now and then, which would otherwise become a
    // second person.
    auto confirmFrom = [&](const std::vector<const Seen*>& confirming) {
        std::vector<bool> accounted(confirming.size(), false);
        for (const Seen& s : *judged) {
            if (s.observation.confidence < FACE_SURE_CONFIDENCE) continue;
            std::optional<size_t> likest;
            double likestShare = 0;
            for (size_t i = 0; i < confirming.size(); ++i) {
                const Rect& c = confirming[i]->observation.boundingBox;
                if (!continues(c, s.observation.boundingBox)) continue;
                const double share = sharedShare(s.observation.boundingBox, c);
                if (!likest || share > likestShare) {
                    likest = i;
                    likestShare = share;
                }
            }
            if (likest) accounted[*likest] = true;
        }
        for (size_t i = 0; i < confirming.size(); ++i)
            if (!accounted[i])
                for (Seen& s : *judged)
                    s.kept = s.kept || continues(confirming[i]->observation.boundingBox,
                                                 s.observation.boundingBox);
    };
    auto facesOf = [](const std::vector<Seen>& frame, auto which) {
        std::vector<const Seen*> faces;
        for (const Seen& e : frame)
            if (which(e)) faces.push_back(&e);
        return faces;
    };
    for (auto f = frames_.begin(); f != judged; ++f)
        confirmFrom(facesOf(*f, [](const Seen& e) { return e.kept; }));
    if (hasNext)
        confirmFrom(facesOf(frames_.back(), [](const Seen& e) {
            return e.observation.confidence >= FACE_SURE_CONFIDENCE;
        }));
    std::vector<FaceObservation> kept;
    for (const Seen& s : *judged)
        if (s.kept) kept.push_back(s.observation);
    while (frames_.size() > size_t(CONFIRMATION_FRAMES) + 1) frames_.pop_front();
    return kept;
}
