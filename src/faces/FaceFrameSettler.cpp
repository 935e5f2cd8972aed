#include "faces/FaceFrameSettler.h"

#include <algorithm>

#include "faces/PersonAssociation.h"

std::vector<FaceRect> facesBetween(const std::vector<FaceRect>& before,
                                   const std::vector<FaceRect>& after, double t) {
    std::vector<FaceRect> out;
    std::vector<bool> taken(after.size(), false);
    for (const FaceRect& b : before) {
        Rect r = b.rect;
        for (size_t i = 0; i < after.size(); ++i) {
            if (taken[i] || !facesOverlap(b.rect, after[i].rect)) continue;
            taken[i] = true;
            const Rect& a = after[i].rect;
            r = {r.x + (a.x - r.x) * t, r.y + (a.y - r.y) * t, r.width + (a.width - r.width) * t,
                 r.height + (a.height - r.height) * t};
            break;
        }
        out.push_back({r});
    }
    for (size_t i = 0; i < after.size(); ++i)
        if (!taken[i]) out.push_back({after[i].rect});
    return out;
}

std::vector<SettledFrame> FaceFrameSettler::add(VideoFrame frame,
                                                std::optional<std::vector<FaceObservation>> found) {
    waiting_.push_back({std::move(frame), found.has_value()});
    std::vector<SettledFrame> out;
    if (!found) return out;
    if (auto kept = confirmation_.add(std::move(*found))) settle(makeFaceRects(*kept), out);
    return out;
}

std::vector<SettledFrame> FaceFrameSettler::finish() {
    std::vector<SettledFrame> out;
    bool searchedWaiting =
        std::any_of(waiting_.begin(), waiting_.end(), [](const Waiting& w) { return w.searched; });
    if (searchedWaiting) settle(makeFaceRects(confirmation_.finish()), out);
    // Held: each face a new record, as association wants one per frame.
    const std::vector<FaceRect> none;
    for (Waiting& w : waiting_)
        out.push_back({std::move(w.frame), facesBetween(lastFaces_ ? *lastFaces_ : none, none, 0)});
    waiting_.clear();
    return out;
}

void FaceFrameSettler::settle(std::vector<FaceRect> faces, std::vector<SettledFrame>& out) {
    auto searched =
        std::find_if(waiting_.begin(), waiting_.end(), [](const Waiting& w) { return w.searched; });
    if (searched == waiting_.end()) return;
    const size_t skipped = size_t(searched - waiting_.begin());
    const std::vector<FaceRect>& before = lastFaces_ ? *lastFaces_ : faces;
    for (size_t k = 0; k < skipped; ++k)
        out.push_back({std::move(waiting_[k].frame),
                       facesBetween(before, faces, double(k + 1) / double(skipped + 1))});
    out.push_back({std::move(searched->frame), faces});
    waiting_.erase(waiting_.begin(), searched + 1);
    lastFaces_ = std::move(faces);
}
