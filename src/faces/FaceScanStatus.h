#pragma once
// What the face tool shows of the scan: whether the scan has reached the frame at the
// playhead, and so whether the overlay shows the scan's progress, the face boxes, or that no
// face was found. Value types and pure functions; the main thread reads the editor.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/time/MediaTime.h"

class FaceEditor;

enum class FaceScanPhase { notStarted, running, ended };

struct FaceScanStatus {
    FaceScanPhase phase = FaceScanPhase::notStarted;
    double progress = 0;          // the fraction of the video scanned
    double playheadFraction = 0;  // where the playhead stands, as a fraction of the video
    size_t faceCount = 0;

    // The scan is running and has not yet read the frame at the playhead.
    bool isBehindPlayhead() const;
    // No face can be shown yet: the scan is behind the playhead, or about to start with no
    // faces from a project.
    bool isWaitingForFaces() const;
    // The scan ended and found nobody.
    bool foundNobody() const { return phase == FaceScanPhase::ended && !faceCount; }
};

// The playhead as a fraction of the video (in the duration's timescale); 0 while the duration
// is unknown.
double playheadFraction(const MediaTime& playhead, const std::optional<MediaTime>& duration);
// `editor`'s scan seen from `playhead`. Main thread.
FaceScanStatus faceScanStatus(const FaceEditor& editor, const MediaTime& playhead,
                              const std::optional<MediaTime>& duration);

enum class FaceOverlayContent { progress, boxes, noFaceDetected };
FaceOverlayContent faceOverlayContent(const FaceScanStatus& status);
// "Blur Face Processing...46%" for 0.456: the percentage rounded.
std::string scanProgressMessage(double progress);
// What the overlay says when the scan found nobody.
inline constexpr const char* NO_FACE_MESSAGE = "No Face Detected";
