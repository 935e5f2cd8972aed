#pragma once
// Turning what the vision services found in one frame into the scan's records: faces kept
// when sure or confirmed by the frames before and de-duplicated, poses kept when their nose or
// neck is real. Pure functions, any thread; a FaceConfirmation is one sequence's, one thread
// at a time.

#include <deque>
#include <optional>
#include <vector>

#include "faces/FaceRect.h"
#include "faces/PoseData.h"
#include "platform/vision/BodyPoseDetector.h"
#include "platform/vision/FaceRectangleDetector.h"

// The least confidence of a face that is kept.
inline constexpr float FACE_CONFIDENCE_THRESHOLD = 0.3f;
// A face this confident is kept from a single frame. One less confident is kept when it
// continues a face kept in one of the CONFIRMATION_FRAMES frames before it, or when a sure face
// overlaps it in the frame after: a face the model sees small, dim or turned scores low in some
// frames and high in others, while patterns that merely look like a face never score high.
inline constexpr float FACE_SURE_CONFIDENCE = 0.6f;
inline constexpr int CONFIRMATION_FRAMES = 2;
// How much taller or shorter a face may be found again and still continue one: twice, as in a
// fast zoom between searches.
inline constexpr double MAX_CONTINUED_GROWTH = 2;
// A joint this close to a corner of the frame is one the service could not place.
inline constexpr double MISSING_JOINT_TOLERANCE = 0.00001;

// Observations in order, each dropped when it overlaps one kept before it.
std::vector<FaceObservation> suppressOverlappingFaces(
    const std::vector<FaceObservation>& observations);

// The frame's faces: confident ones, de-duplicated, each a new person.
std::vector<FaceRect> makeFaceRects(const std::vector<FaceObservation>& observations);

// The frame's poses: joints on a corner count as missing; poses with no joint left are dropped.
std::vector<PoseData> makePoseData(const std::vector<BodyPoseObservation>& observations);

// Keeps the faces of each frame of a sequence that are sure or confirmed (see above), a frame
// late: it needs the frame after.
class FaceConfirmation {
public:
    // Takes a frame's faces; returns the faces kept of the frame taken before it, if any.
    std::optional<std::vector<FaceObservation>> add(std::vector<FaceObservation> observations);
    // The faces kept of the last frame taken, which no frame follows.
    std::vector<FaceObservation> finish();

private:
    struct Seen {
        FaceObservation observation;
        bool kept;  // set once its frame is judged
    };
    std::vector<FaceObservation> keep(bool hasNext);

    std::deque<std::vector<Seen>> frames_;  // up to the newest, oldest first
};
