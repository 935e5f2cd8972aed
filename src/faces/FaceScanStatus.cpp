#include "faces/FaceScanStatus.h"

#include <algorithm>
#include <cmath>

#include "faces/FaceEditor.h"

bool FaceScanStatus::isBehindPlayhead() const {
    // At equal fractions the frame at the playhead is the next to be read: still behind.
    return phase == FaceScanPhase::running && progress < 1 && progress <= playheadFraction;
}

bool FaceScanStatus::isWaitingForFaces() const {
    return isBehindPlayhead() || (phase == FaceScanPhase::notStarted && !faceCount);
}

double playheadFraction(const MediaTime& playhead, const std::optional<MediaTime>& duration) {
    if (!duration || !duration->isNumeric() || duration->value <= 0 || !playhead.isNumeric())
        return 0;
    return double(playhead.convertScale(duration->timescale).value) / double(duration->value);
}

FaceScanStatus faceScanStatus(const FaceEditor& editor, const MediaTime& playhead,
                              const std::optional<MediaTime>& duration) {
    FaceScanPhase phase = editor.scanState() == FaceScanState::end ? FaceScanPhase::ended
                          : editor.hasScanToWaitFor()              ? FaceScanPhase::running
                                                                   : FaceScanPhase::notStarted;
    return {phase, editor.scanProgress(), playheadFraction(playhead, duration),
            editor.regions().size()};
}

FaceOverlayContent faceOverlayContent(const FaceScanStatus& status) {
    if (status.isWaitingForFaces()) return FaceOverlayContent::progress;
    return status.foundNobody() ? FaceOverlayContent::noFaceDetected : FaceOverlayContent::boxes;
}

std::string scanProgressMessage(double progress) {
    const double percent = std::isfinite(progress) ? std::clamp(progress, 0.0, 1.0) * 100 : 0;
    return "Blur Face Processing..." + std::to_string(std::lround(percent)) + "%";
}
