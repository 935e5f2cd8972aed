#include "faces/FaceStripModel.h"

std::vector<FaceCell> faceStripCells(const FaceScanStatus& status) {
    if (status.isWaitingForFaces())
        return std::vector<FaceCell>(FACE_STRIP_PLACEHOLDERS, FaceCell::loading);
    if (status.foundNobody())
        return std::vector<FaceCell>(FACE_STRIP_PLACEHOLDERS, FaceCell::empty);
    return std::vector<FaceCell>(status.faceCount, FaceCell::face);
}

std::optional<MediaTime> playheadForPickedFace(const TrackedRegion& region,
                                               const MediaTime& playhead) {
    const MediaTimeRange& trim = region.trimTime;
    if (playhead < trim.start) return trim.start;
    if (playhead > trim.end()) return trim.end();
    return std::nullopt;
}
