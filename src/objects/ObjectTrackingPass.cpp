#include "objects/ObjectTrackingPass.h"

#include <cmath>

#include "platform/image/ImageOps.h"
#include "platform/log/Log.h"

namespace {

double area(const Rect& r) {
    return r.width * r.height;
}

// The frames come in BGRA; pictures elsewhere are RGBA.
const ColorMatrix SWAP_RED_BLUE{{{{0, 0, 1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}}, {}};

}  // namespace

bool isUsableBox(const Rect& box) {
    return std::isfinite(box.x) && std::isfinite(box.y) && std::isfinite(box.width) &&
           std::isfinite(box.height) && box.width > 0 && box.height > 0;
}

bool overlapsEnough(const Rect& box, const Rect& reference) {
    double shared = area(box.intersection(reference));
    return shared / area(box) > ObjectTrackingPass::INTERECT_LIMIT ||
           shared / area(reference) > ObjectTrackingPass::INTERECT_LIMIT;
}

ObjectTrackingPass::ObjectTrackingPass(ObjectTracker& requestHandler, const Rect& box,
                                       TrackDirection direction)
    : requestHandler_(requestHandler), direction_(direction), observation_(box) {}

std::optional<TrackedObject> ObjectTrackingPass::trackStep(const VideoFrame& frame) {
    if (frame.image.empty()) {
        logDebug("Không thể lấy image buffer từ sample buffer.");
        return std::nullopt;
    }
    auto found = requestHandler_.track(frame.image, observation_);
    if (!found) {
        logDebug("Lỗi khi thực hiện request: the tracker could not follow the box on this frame");
        return std::nullopt;
    }
    return found;
}

void ObjectTrackingPass::record(const MediaTime& time, const Rect& box) {
    if (direction_ == TrackDirection::forward)
        results_.push_back({time, box});
    else
        results_.push_front({time, box});
}

void ObjectTrackingPass::judge(const VideoFrame& frame) {
    auto found = trackStep(frame);
    if (!found || !isUsableBox(found->boundingBox)) {
        failureScore_ += 1;
        logDebug("Failed");
    } else {
        const Rect& box = found->boundingBox;
        Rect reference = results_.empty()                        ? box
                         : direction_ == TrackDirection::forward ? results_.back().nominalRect
                                                                 : results_.front().nominalRect;
        bool rejected = !overlapsEnough(box, reference) || found->confidence < confidenceThreshold;
        if (rejected) {
            if (!results_.empty()) record(frame.time, reference);
            failureScore_ += 10;
            logDebug("Failed 10");
        } else {
            observation_ = box;
            record(frame.time, box);
            failureScore_ = 0;
            if (!thumbnail_) takeThumbnail(frame.image, box);
        }
    }
    if (lost()) logDebug("Cancel reading");
}

void ObjectTrackingPass::takeThumbnail(const Image& frame, const Rect& box) {
    const Rect& e = frame.extent;
    Rect pixels{e.x + box.x * e.width, e.y + box.y * e.height, box.width * e.width,
                box.height * e.height};
    Image crop = ImageOps::crop(frame, pixels);
    if (crop.empty()) return;
    Image rgba = ImageOps::colorMatrix(crop, SWAP_RED_BLUE);
    if (rgba.empty()) return;
    thumbnail_ = Image(rgba.pixels);  // moved to the origin
}
