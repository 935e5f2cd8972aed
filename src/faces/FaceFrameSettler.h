#pragma once
// The face stage's frames in order, of which only some are searched: gives each frame back
// with its faces once they are settled. A searched frame's faces are those the frames around
// it confirm (FaceConfirmation); a frame between two searched ones gets their faces moved
// linearly in time, each face found on one side only held, so a face is never left bare for
// want of a search. Frames after the last searched one hold its faces.
//
// Threads: one thread at a time (the face stage's).

#include <deque>
#include <optional>
#include <vector>

#include "faces/FaceDetections.h"
#include "platform/media/VideoFrame.h"

struct SettledFrame {
    VideoFrame frame;
    std::vector<FaceRect> faces;
};

// Faces between the frames showing `before` and `after`, a share `t` (0…1) of the way: faces
// that overlap on both sides are moved and resized, the others held.
std::vector<FaceRect> facesBetween(const std::vector<FaceRect>& before,
                                   const std::vector<FaceRect>& after, double t);

class FaceFrameSettler {
public:
    // The next frame with what the search found in it, or nothing when it was not searched.
    // Returns the frames it settles, in order.
    std::vector<SettledFrame> add(VideoFrame frame,
                                  std::optional<std::vector<FaceObservation>> found);
    // The frames still waiting, settled: no frame follows.
    std::vector<SettledFrame> finish();

private:
    struct Waiting {
        VideoFrame frame;
        bool searched;
    };
    // Settles the first searched frame waiting, with `faces`, and the skipped frames before it.
    void settle(std::vector<FaceRect> faces, std::vector<SettledFrame>& out);

    FaceConfirmation confirmation_;
    std::deque<Waiting> waiting_;
    std::optional<std::vector<FaceRect>> lastFaces_;  // of the last searched frame settled
};
