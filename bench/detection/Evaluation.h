#pragma once
// The detection evaluation's clips and how their faces are judged: where a picture lies in each
// frame of a clip (so where each marked face is), the frame itself, and which pixels a frame's
// face regions cover. Shared by the bench program and its test.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "faces/FaceScanReach.h"
#include "platform/vision/Sha256.h"
#include "regions/TrackedRegion.h"

namespace evaluation {

inline constexpr int FRAME_WIDTH = 1920;
inline constexpr int FRAME_HEIGHT = 1080;
inline constexpr int FRAME_RATE = 30;
// A face is hidden in a frame when this share of its box is covered...
inline constexpr double HIDDEN_SHARE = 0.8;
// ...by composited regions of at least this opacity (the feathered rim counts half way).
inline constexpr int HIDDEN_ALPHA = 128;
// A missed face with at least this share covered has a region on it that sits off its centre or
// is too small: a fault of the cover's placement rather than of finding the face.
inline constexpr double PARTLY_SHARE = 0.3;
// A face is judged only in frames that show nearly all of its box.
inline constexpr double VISIBLE_SHARE = 0.9;
// The smallest face the goal covers, and the bounds of the size classes reported.
inline constexpr double SIZE_CLASSES[] = {0, 24, 40, 80};
inline constexpr const char* SIZE_NAMES[] = {"under 24 px", "24-40 px", "40-80 px", "80+ px"};
inline constexpr int SIZE_COUNT = 4;
// The median face of a wide shot, in frame pixels.
inline constexpr double WIDE_FACE_HEIGHT = 32;
// The zoom's view, as a multiple of the largest 16:9 window inside the picture.
inline constexpr double ZOOM_FROM = 0.7, ZOOM_TO = 4.0;
inline constexpr double DIM_GAIN = 0.3, DIM_NOISE = 2.0;
inline const cv::Scalar BACKDROP(48, 48, 48);

struct MarkedFace {
    cv::Rect2d box;  // picture pixels, top-left origin
    bool frontal;    // frontal or three-quarter; false for profiles and backs of heads
};

struct Picture {
    std::string name;
    std::vector<MarkedFace> faces;
};

enum class Shot { zoom, wide, dim, rotated };
inline constexpr Shot SHOTS[] = {Shot::zoom, Shot::wide, Shot::dim, Shot::rotated};
inline const char* shotName(Shot s) {
    switch (s) {
        case Shot::zoom:
            return "zoom";
        case Shot::wide:
            return "wide";
        case Shot::dim:
            return "dim";
        case Shot::rotated:
            return "rotated";
    }
    return "";
}

// frame = picture * scale + shift, per axis; frame pixels, top-left origin, edges (not centres).
struct Placement {
    double sx, sy, dx, dy;
    cv::Rect2d map(const cv::Rect2d& r) const {
        return {r.x * sx + dx, r.y * sy + dy, r.width * sx, r.height * sy};
    }
};

inline double lerp(double a, double b, double u) {
    return a + (b - a) * u;
}

inline cv::Point2d frontalCentre(const Picture& p, cv::Size size) {
    cv::Rect2d all;
    for (const auto& f : p.faces)
        if (f.frontal) all = all.empty() ? f.box : (all | f.box);
    if (all.empty()) return {size.width / 2.0, size.height / 2.0};
    return {all.x + all.width / 2, all.y + all.height / 2};
}

inline double medianFrontalHeight(const Picture& p) {
    std::vector<double> h;
    for (const auto& f : p.faces)
        if (f.frontal) h.push_back(f.box.height);
    if (h.empty()) return WIDE_FACE_HEIGHT;
    std::sort(h.begin(), h.end());
    return h[h.size() / 2];
}

// Where the picture lies in frame `i` of `frames`. The wide shot's scale and shift are whole
// pixels of a resized picture; the others are a continuous scale about a moving centre.
inline Placement placement(const Picture& p, cv::Size size, Shot shot, int i, int frames) {
    double u = frames > 1 ? double(i) / (frames - 1) : 0;
    if (shot == Shot::wide) {
        double s = WIDE_FACE_HEIGHT / medianFrontalHeight(p);
        int w = std::max(1, int(std::lround(size.width * s)));
        int h = std::max(1, int(std::lround(size.height * s)));
        double drift = lerp(-120, 120, u);
        return {double(w) / size.width, double(h) / size.height,
                double(std::lround((FRAME_WIDTH - w) / 2.0 + drift)),
                double(std::lround((FRAME_HEIGHT - h) / 2.0))};
    }
    if (shot == Shot::rotated) u = 1 - u;
    double fit = std::min(double(size.width), size.height * 16.0 / 9.0);
    double window = fit * lerp(ZOOM_FROM, ZOOM_TO, u);
    cv::Point2d from = frontalCentre(p, size), to(size.width / 2.0, size.height / 2.0);
    cv::Point2d c(lerp(from.x, to.x, u), lerp(from.y, to.y, u));
    double s = FRAME_WIDTH / window;
    return {s, s, FRAME_WIDTH / 2.0 - c.x * s, FRAME_HEIGHT / 2.0 - c.y * s};
}

inline cv::Mat renderFrame(const cv::Mat& bgr, Shot shot, const Placement& at, cv::RNG& rng) {
    cv::Mat frame(FRAME_HEIGHT, FRAME_WIDTH, CV_8UC3, BACKDROP);
    if (shot == Shot::wide) {
        cv::Mat small;
        cv::Size size(int(std::lround(bgr.cols * at.sx)), int(std::lround(bgr.rows * at.sy)));
        cv::resize(bgr, small, size, 0, 0, cv::INTER_AREA);
        cv::Rect to(int(at.dx), int(at.dy), size.width, size.height);
        cv::Rect inFrame = to & cv::Rect(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
        small(inFrame - to.tl()).copyTo(frame(inFrame));
        return frame;
    }
    // warpAffine works on pixel centres: an edge at x maps to x * s + d, so a centre at c
    // (edge c + 0.5) maps to the centre c * s + d + (s - 1) / 2.
    cv::Matx23d m(at.sx, 0, at.dx + (at.sx - 1) / 2, 0, at.sy, at.dy + (at.sy - 1) / 2);
    cv::warpAffine(bgr, frame, m, frame.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT, BACKDROP);
    if (shot == Shot::dim) {
        cv::Mat noise(frame.size(), CV_32FC3);
        rng.fill(noise, cv::RNG::NORMAL, 0, DIM_NOISE);
        cv::Mat f;
        frame.convertTo(f, CV_32FC3, DIM_GAIN);
        f += noise;
        f.convertTo(frame, CV_8UC3);
    }
    return frame;
}

// Per pixel of the frame: covered at least half way by the composited regions at `time`.
inline cv::Mat coverage(const std::vector<TrackedRegion>& regions, const MediaTime& time) {
    static const Image white(cv::Mat(FRAME_HEIGHT, FRAME_WIDTH, CV_8UC4, cv::Scalar::all(255)));
    static const Image black(cv::Mat(FRAME_HEIGHT, FRAME_WIDTH, CV_8UC4, cv::Scalar(0, 0, 0, 255)));
    Image out =
        renderRegions(regions, white, time, black, RenderPurpose::exportFile, 1.0 / FRAME_RATE);
    cv::Mat covered(FRAME_HEIGHT, FRAME_WIDTH, CV_8U, cv::Scalar(0));
    // The composite may reach past the frame; its rows run top-down from its top edge.
    cv::Rect at(int(std::lround(-out.extent.x)), int(std::lround(out.extent.maxY() - FRAME_HEIGHT)),
                FRAME_WIDTH, FRAME_HEIGHT);
    at &= cv::Rect(0, 0, out.width(), out.height());
    cv::Mat red;
    cv::extractChannel(out.pixels(at), red, 0);
    cv::Mat part = covered(cv::Rect(0, 0, at.width, at.height));
    cv::threshold(red, part, HIDDEN_ALPHA - 1, 255, cv::THRESH_BINARY);
    return covered;
}

inline cv::Rect pixelsOf(const cv::Rect2d& r) {
    int x0 = int(std::lround(r.x)), y0 = int(std::lround(r.y));
    int x1 = int(std::lround(r.x + r.width)), y1 = int(std::lround(r.y + r.height));
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

// What a clip's frames are made of, in a few letters: the picture's size and the placement of
// every frame, which the marks steer (the zoom heads from their centre, the wide shot scales by
// their median height). A clip kept between runs is named with it, so moving a mark makes a new
// clip instead of measuring an old one against the new mark.
inline std::string clipFingerprint(const Picture& p, cv::Size size, Shot shot, int frames) {
    // Each number to a micro-unit, so the name does not hang on the last bits of a double.
    std::vector<std::int64_t> fixed{size.width, size.height, std::int64_t(shot)};
    for (int i = 0; i < frames; ++i) {
        Placement at = placement(p, size, shot, i, frames);
        for (double v : {at.sx, at.sy, at.dx, at.dy}) fixed.push_back(std::llround(v * 1e6));
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(fixed.data());
    return sha256Hex({bytes, fixed.size() * sizeof(std::int64_t)}).substr(0, 8);
}

struct Clip {
    const Picture* picture;
    Shot shot;
    cv::Size pictureSize;
    int frames;
    std::string path;
};

inline int sizeClass(double height) {
    int c = 0;
    for (int k = 0; k < SIZE_COUNT; ++k)
        if (height >= SIZE_CLASSES[k]) c = k;
    return c;
}

struct Tally {
    long frames = 0, hidden = 0;
    void add(bool h) {
        ++frames;
        hidden += h;
    }
    double recall() const { return frames ? double(hidden) / frames : 0; }
};

struct PersonResult {
    std::string picture;
    int face;
    Shot shot;
    long frames = 0, hidden = 0;
    int longestMiss = 0;
    double coverage() const { return frames ? double(hidden) / frames : 0; }
};

struct SettingResult {
    std::string name;
    FaceScanReach reach = FaceScanReach::careful;
    Tally frontal[SIZE_COUNT];
    Tally frontalGoal;  // 24 px and taller
    long partlyCovered = 0;  // of frontalGoal's misses
    Tally profile;      // 24 px and taller
    std::map<Shot, Tally> byShot;
    std::vector<PersonResult> persons;
    double outsideShareSum = 0;
    long frameCount = 0;
    double scanSeconds = 0;
    double clipSeconds = 0;
    bool failed = false;
};

// Adds the clip's frames, shown at `times`, with `regions` drawn over them, to `result`.
// `middleFrame` is shown the middle frame's coverage and which faces it hid.
using FrameView =
    std::function<void(int index, const cv::Mat& covered, const std::vector<bool>& hidden)>;
inline void judge(const Clip& clip, const std::vector<MediaTime>& times,
                  const std::vector<TrackedRegion>& regions, SettingResult& result,
                  const FrameView& middleFrame = {}) {
    const Picture& p = *clip.picture;
    std::vector<PersonResult> persons(p.faces.size());
    std::vector<int> miss(p.faces.size(), 0);
    for (size_t k = 0; k < p.faces.size(); ++k) persons[k] = {p.name, int(k), clip.shot};
    const cv::Rect frameRect(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
    int n = int(times.size());
    for (int i = 0; i < n; ++i) {
        Placement at = placement(p, clip.pictureSize, clip.shot, i, n);
        cv::Mat covered = coverage(regions, times[i]);
        cv::Mat near(FRAME_HEIGHT, FRAME_WIDTH, CV_8U, cv::Scalar(0));
        std::vector<bool> hiddenNow(p.faces.size(), false);
        for (size_t k = 0; k < p.faces.size(); ++k) {
            const MarkedFace& face = p.faces[k];
            cv::Rect2d box = at.map(face.box);
            // One face size more on every side: covering a margin that close is not a fault.
            cv::Rect grown =
                pixelsOf({box.x - box.width, box.y - box.height, 3 * box.width, 3 * box.height}) &
                frameRect;
            near(grown).setTo(255);
            cv::Rect whole = pixelsOf(box);
            cv::Rect shown = whole & frameRect;
            if (whole.area() == 0 || shown.area() < VISIBLE_SHARE * whole.area()) {
                miss[k] = 0;
                continue;
            }
            const int coveredPixels = cv::countNonZero(covered(shown));
            bool hidden = coveredPixels >= HIDDEN_SHARE * shown.area();
            hiddenNow[k] = hidden;
            if (face.frontal) {
                int c = sizeClass(box.height);
                result.frontal[c].add(hidden);
                if (c > 0) {
                    result.frontalGoal.add(hidden);
                    result.partlyCovered += !hidden && coveredPixels >= PARTLY_SHARE * shown.area();
                    result.byShot[clip.shot].add(hidden);
                    persons[k].frames += 1;
                    persons[k].hidden += hidden;
                    miss[k] = hidden ? 0 : miss[k] + 1;
                    persons[k].longestMiss = std::max(persons[k].longestMiss, miss[k]);
                }
            } else if (box.height >= SIZE_CLASSES[1]) {
                result.profile.add(hidden);
            }
        }
        cv::Mat outside;
        cv::bitwise_and(covered, ~near, outside);
        result.outsideShareSum += double(cv::countNonZero(outside)) / frameRect.area();
        ++result.frameCount;
        if (middleFrame && i == n / 2) middleFrame(i, covered, hiddenNow);
    }
    for (size_t k = 0; k < p.faces.size(); ++k)
        if (p.faces[k].frontal && persons[k].frames > 0) result.persons.push_back(persons[k]);
}

}  // namespace evaluation
