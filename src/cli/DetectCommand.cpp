// veilcut detect FILE [--at SECONDS] [--faces] [--poses] [--mask MASK.png] [-o ANNOTATED.png]
// [--overwrite]:
// Runs the vision services on a picture, or on the frame of a video shown at a time (0 by
// default), and prints what they found as JSON, so that a person can see what the detectors
// see. Without --faces or --poses both run.
#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "faces/FaceDetections.h"
#include "platform/image/ImageFile.h"
#include "platform/media/FrameAtTime.h"
#include "platform/vision/BlazePoseTracker.h"
#include "platform/vision/DetectionDrawing.h"
#include "platform/vision/FaceSearch.h"
#include "platform/vision/SelfieSegmenter.h"

namespace {

nlohmann::json rectJson(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}

nlohmann::json pointJson(const std::optional<Point>& p) {
    return p ? nlohmann::json{p->x, p->y} : nlohmann::json(nullptr);
}

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

struct DetectRequest {
    std::string input;
    double seconds = 0;
    bool timeGiven = false;  // without a time, the file may be a picture
    bool faces = false, poses = false;
    std::string annotated, maskPath;
    bool overwrite = false;
};

int detect(DetectRequest request) {
    if (!request.faces && !request.poses) request.faces = request.poses = true;
    const std::vector<FileInUse> input{{request.input, "the input"}};
    if (auto problem = outputProblem(request.annotated, input, request.overwrite))
        return failWith(*problem);
    if (auto problem = outputProblem(request.maskPath,
                                     {input[0], {request.annotated, "the annotated picture"}},
                                     request.overwrite))
        return failWith(*problem);
    std::string error;
    std::optional<Image> frame = pictureOrFrame(
        request.input, request.timeGiven ? std::optional(request.seconds) : std::nullopt, error);
    if (!frame) return failWith(error);

    ModelRegistry models = ModelRegistry::fromEnvironment();
    nlohmann::json out;
    std::vector<FaceObservation> foundFaces;
    std::vector<BodyPoseObservation> foundPoses;
    if (request.faces) {
        // A still: every tile searched, a whole look by each model, and only faces sure
        // without frames to confirm them.
        auto detector = FaceSearch::create(
            models, {.sweepFrames = 1, .minScore = FACE_SURE_CONFIDENCE, .retinaFrames = 1});
        if (!detector) return failWith(detector.error, EXIT_WORK_FAILED);
        foundFaces = (*detector.value)->detectFaceRectangles(*frame).value_or(foundFaces);
        out["faces"] = nlohmann::json::array();
        for (const FaceObservation& f : foundFaces)
            out["faces"].push_back(
                {{"boundingBox", rectJson(f.boundingBox)}, {"confidence", f.confidence}});
    }
    if (request.poses) {
        auto detector = BlazePoseTracker::create(models);
        if (!detector) return failWith(detector.error, EXIT_WORK_FAILED);
        foundPoses = (*detector.value)->detectBodyPoses(*frame).value_or(foundPoses);
        out["poses"] = nlohmann::json::array();
        for (const BodyPoseObservation& p : foundPoses)
            out["poses"].push_back({{"nose", pointJson(p.nose)}, {"neck", pointJson(p.neck)}});
    }
    if (!request.maskPath.empty()) {
        auto segmenter = SelfieSegmenter::create(models);
        if (!segmenter) return failWith(segmenter.error, EXIT_WORK_FAILED);
        std::optional<Image> mask = (*segmenter.value)->personMask(*frame);
        if (!mask) return failWith("the person mask could not be made", EXIT_WORK_FAILED);
        if (auto problem = writePicture(maskPicture(*mask), request.maskPath, request.overwrite))
            return failWith(*problem, EXIT_WORK_FAILED);
    }
    if (!request.annotated.empty())
        if (auto problem = writePicture(drawDetections(*frame, foundFaces, foundPoses),
                                        request.annotated, request.overwrite))
            return failWith(*problem, EXIT_WORK_FAILED);
    std::printf("%s\n", out.dump(2).c_str());
    return 0;
}

}  // namespace

CommandRun defineDetect(CLI::App& app) {
    auto request = std::make_shared<DetectRequest>();
    addInputFile(app, "FILE", request->input, "FILE", "a picture or a video")->required();
    CLI::Option* at =
        addSeconds(app, "--at", request->seconds, "the time of the video's frame (0 by default)");
    app.add_flag("--faces", request->faces, "find faces");
    app.add_flag("--poses", request->poses, "find noses and necks");
    addPictureOutput(app, "--mask", request->maskPath, "OUT.png",
                     "write the person mask to this picture");
    addPictureOutput(app, "-o,--output", request->annotated, "ANNOTATED.png",
                     "write the frame with what was found drawn");
    addOverwrite(app, request->overwrite);
    return [request, at] {
        request->timeGiven = at->count() > 0;
        return detect(*request);
    };
}
