// veilcut detect FILE [--at SECONDS] [--faces] [--poses] [--mask MASK.png] [-o ANNOTATED.png]
// Runs the vision services on a picture, or on the frame of a video shown at a time (0 by
// default), and prints what they found as JSON, so that a person can see what the detectors
// see. Without --faces or --poses both run.
#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/FrameAtTime.h"
#include "platform/image/ImageFile.h"
#include "platform/vision/BlazeFaceDetector.h"
#include "platform/vision/BlazePoseTracker.h"
#include "platform/vision/DetectionDrawing.h"
#include "platform/vision/SelfieSegmenter.h"
#include "session/InputFile.h"

namespace {

nlohmann::json rectJson(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

nlohmann::json pointJson(const std::optional<Point>& p) {
    return p ? nlohmann::json{p->x, p->y} : nlohmann::json(nullptr);
}

constexpr const char* USAGE =
    "usage: veilcut detect FILE [--at SECONDS] [--faces] [--poses] [--mask OUT.png] "
    "[-o ANNOTATED.png]";

// The picture in `path`, or the upright frame of the video in it shown at `seconds`.
std::optional<Image> pictureOrFrame(const std::string& path, std::optional<double> seconds,
                                    std::string& error) {
    if (!seconds) {
        if (auto picture = readImageFile(path)) return picture;
    }
    auto reader = VideoReader::open(path, {}, &error);
    if (!reader) {
        error = "cannot read " + path + " as a picture or a video";
        return std::nullopt;
    }
    auto frame = frameAt(*reader, seconds.value_or(0), error);
    if (!frame) {
        error = path + ": " + error;
        return std::nullopt;
    }
    return frame->image;
}

}  // namespace

int runDetect(Arguments args) {
    std::string input, annotated, maskPath;
    std::optional<double> at;
    bool faces = false, poses = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--faces") {
            faces = true;
        } else if (a == "--poses") {
            poses = true;
        } else if ((a == "-o" || a == "--mask" || a == "--at") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (a == "--at") {
                double seconds = 0;
                if (auto problem = parseSeconds(value, seconds)) return failWith(*problem);
                at = seconds;
            } else {
                (a == "-o" ? annotated : maskPath) = value;
            }
        } else if (!a.starts_with("-") && input.empty()) {
            input = a;
        } else {
            return failWith(USAGE);
        }
    }
    if (input.empty()) return failWith(USAGE);
    if (auto reason = unreadableFileReason(input)) return failWith(*reason);
    if (!faces && !poses) faces = poses = true;
    std::string error;
    std::optional<Image> frame = pictureOrFrame(input, at, error);
    if (!frame) return failWith(error);

    ModelRegistry models = ModelRegistry::fromEnvironment();
    nlohmann::json out;
    std::vector<FaceObservation> foundFaces;
    std::vector<BodyPoseObservation> foundPoses;
    if (faces) {
        auto detector = BlazeFaceDetector::create(models, {});
        if (!detector) return failWith(detector.error, EXIT_WORK_FAILED);
        foundFaces = (*detector.value)->detectFaceRectangles(*frame).value_or(foundFaces);
        out["faces"] = nlohmann::json::array();
        for (const FaceObservation& f : foundFaces)
            out["faces"].push_back(
                {{"boundingBox", rectJson(f.boundingBox)}, {"confidence", f.confidence}});
    }
    if (poses) {
        auto detector = BlazePoseTracker::create(models);
        if (!detector) return failWith(detector.error, EXIT_WORK_FAILED);
        foundPoses = (*detector.value)->detectBodyPoses(*frame).value_or(foundPoses);
        out["poses"] = nlohmann::json::array();
        for (const BodyPoseObservation& p : foundPoses)
            out["poses"].push_back({{"nose", pointJson(p.nose)}, {"neck", pointJson(p.neck)}});
    }
    if (!maskPath.empty()) {
        auto segmenter = SelfieSegmenter::create(models);
        if (!segmenter) return failWith(segmenter.error, EXIT_WORK_FAILED);
        std::optional<Image> mask = (*segmenter.value)->personMask(*frame);
        if (!mask || !writeImageFile(maskPicture(*mask), maskPath))
            return failWith("cannot write the mask to " + maskPath, EXIT_WORK_FAILED);
    }
    if (!annotated.empty() &&
        !writeImageFile(drawDetections(*frame, foundFaces, foundPoses), annotated))
        return failWith("cannot write " + annotated, EXIT_WORK_FAILED);
    std::printf("%s\n", out.dump(2).c_str());
    return 0;
}
