#pragma once
// A project file's content as plain values: the source video and every edit, in the form the
// file stores them. Times are exact media times, or seconds from a hand-written file that are
// turned into media times once the source's timescale is known.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/StyleKind.h"
#include "platform/image/Geometry.h"
#include "platform/time/MediaTime.h"
#include "regions/Cover.h"

inline constexpr int PROJECT_FORMAT_VERSION = 1;

// An exact media time, or seconds.
using ProjectTime = std::variant<MediaTime, double>;

// The media time of `t` in `timescale` (exact times are kept as they are).
MediaTime resolveProjectTime(const ProjectTime& t, int32_t timescale);

struct ProjectStyle {
    StyleKind style = StyleKind::gaussian;
    double intensity = 0.5;
    double softness = 0;
};

struct ProjectKeyframe {
    ProjectTime t;
    Rect rect;
};

struct ProjectShape {
    Cover type = Cover::circle;
    ProjectStyle look;
    std::string emoji;
    std::optional<ProjectTime> trimStart;  // absent: the start of the video
    std::optional<ProjectTime> trimEnd;    // absent: the end of the video
    std::optional<ProjectTime> maxEnd;     // absent: the end of the video
    Rect rect;
    std::vector<ProjectKeyframe> keyframes;
};

// A tracked region (a face or an object): its samples and how it is hidden.
struct ProjectRegion {
    Cover type = Cover::none;
    ProjectStyle look;
    double scale = 1;
    std::string emoji;                     // empty: the first emoji of the catalogue
    std::optional<ProjectTime> trimStart;  // absent: the first sample
    std::optional<ProjectTime> trimEnd;    // absent: the end of the tracked span
    bool trimmed = false;                  // the user narrowed the span
    std::vector<ProjectKeyframe> samples;
};

struct ProjectDocument {
    std::string source;  // as written: relative to the project file's folder, or absolute
    ProjectStyle background{StyleKind::normal, 0.5, 0};
    std::vector<ProjectRegion> faces;
    std::vector<ProjectRegion> objects;
    std::vector<ProjectShape> shapes;
};
