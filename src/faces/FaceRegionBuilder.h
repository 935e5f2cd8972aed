#pragma once
// The face scan's growing result: one tracked region per person, in the order in which each
// person's face first appeared, built frame by frame. Each person's track is extended as its
// frames arrive: the part up to the person's latest face never changes again (later frames
// cannot alter a filled gap that is closed on both sides), so only the frames since then are
// worked out again when the regions are asked for. A scan therefore costs in proportion to
// the video's length, however often it reports.
//
// Threads: one thread at a time (the scan's).

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "faces/FrameFaces.h"
#include "regions/TrackedRegion.h"

// Face regions are drawn twice as large as the detected face box on each axis, so that they hide
// the head: the detector's box holds the features it found (eyes, nose, mouth), which on a small,
// dim or half-turned face is a smaller part of the head, off its centre.
inline constexpr double FACE_REGION_ENLARGEMENT = 2.0;
// Small faces more: the box on a face a few dozen pixels tall is the least sure of its size and
// place, and a larger cover there costs little of the frame. The growth rises linearly to
// SMALL_FACE_ENLARGEMENT as the box's height falls from SMALL_FACE_FROM of the frame's height to
// SMALL_FACE_TO (65 and 32 pixels in a 1080p frame).
inline constexpr double SMALL_FACE_ENLARGEMENT = 2.5;
inline constexpr double SMALL_FACE_FROM = 0.06, SMALL_FACE_TO = 0.03;

// `r` (frame-normalised) grown about its centre: by FACE_REGION_ENLARGEMENT, more when small.
Rect enlargedFaceRect(const Rect& r);

class FaceRegionBuilder {
public:
    struct Settings {
        MediaTime duration;    // the pass's end: a track within one frame of it runs to it
        double frameDuration;  // seconds
        bool isHDR = false;
        std::string emoji;  // every region starts with it
    };
    struct NewPerson {
        size_t personIndex;
        Rect face;  // the face box in the frame where the person first appeared
    };

    explicit FaceRegionBuilder(Settings settings);
    ~FaceRegionBuilder();

    // The newest frame, its ids already associated. Returns the persons whose face appears
    // for the first time in it.
    std::vector<NewPerson> addFrame(const FrameFaces& frame);
    void setThumbnail(size_t personIndex, Image thumbnail);
    size_t personCount() const { return persons_.size(); }
    // One region per person, brief losses bridged and ends held (LostFaceBridging.h), samples
    // enlarged, times set against the pass's end.
    std::vector<TrackedRegion> regions() const;

private:
    class Track;
    struct Person {
        const Track* track;
        TrackedRegion prototype;  // masks and emoji picture made once per person
    };

    Settings settings_;
    std::vector<MediaTime> frameTimes_;
    std::unordered_map<std::string, std::unique_ptr<Track>> tracks_;  // every id seen
    std::vector<Person> persons_;                                     // ids seen with a face
    std::unordered_map<std::string, size_t> personIndex_;
};
