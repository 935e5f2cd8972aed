#include "session/EditSession.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <utility>

#include "core/Notifications.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/media/MediaFile.h"
#include "project/ProjectReader.h"
#include "project/ProjectWriter.h"
#include "session/FaceScanWait.h"
#include "session/InputFile.h"
#include "session/ProjectBinding.h"

EditSession::EditSession() = default;

EditSession::~EditSession() {
    cancelExport = true;
    exporter_.cancel();
    // The scan and tracking passes are cancelled by their editors as they go. The export's
    // worker reads the editors until it has handed over or ended.
    while (isExporting()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void EditSession::setSource(std::shared_ptr<SourceVideo> source) {
    reset();
    source_.set(std::move(source));
}

std::optional<std::string> EditSession::openSource(const std::string& path) {
    if (auto reason = unreadableFileReason(path)) return reason;
    auto source = std::make_shared<SourceVideo>(path);
    source->waitUntilLoaded();
    auto videos = source->trackVideos();
    if (!videos) {
        // The facts only say the file did not open; opening it once more says why (empty,
        // damaged, not a video), which is the one thing the user can act on.
        std::string why;
        if (!MediaFile::open(path, &why)) return why;
    }
    if (!videos || videos->empty() || !source->size()) return path + ": no video track";
    if (int turn =
            rotationDegrees(source->preferredTransform().value_or(AffineTransform::identity()));
        turn % 90 != 0)
        return path + ": its rotation tag turns the picture by " + std::to_string(turn) +
               " degrees; only quarter turns are supported";
    setSource(std::move(source));
    projectPath_.clear();
    return std::nullopt;
}

std::optional<std::string> EditSession::openProject(const std::string& projectPath) {
    namespace fs = std::filesystem;
    if (auto reason = unreadableFileReason(projectPath)) return reason;
    auto read = readProjectFile(projectPath);
    if (!read.document) return read.error;
    fs::path sourcePath(read.document->source);
    if (sourcePath.is_relative()) sourcePath = fs::path(projectPath).parent_path() / sourcePath;
    std::string path = sourcePath.lexically_normal().string();
    if (auto reason = unreadableFileReason(path)) return projectPath + ": source " + *reason;
    if (auto reason = openSource(path)) return reason;
    if (auto problem = applyProject(*read.document, *source(), *this))
        return projectPath + ": " + *problem;
    projectPath_ = projectPath;
    return std::nullopt;
}

std::optional<std::string> EditSession::saveProject(const std::string& projectPath,
                                                    bool overwrite) const {
    namespace fs = std::filesystem;
    auto video = source();
    if (!video) return "no source video";
    if (auto problem =
            outputFileProblem(projectPath, {{video->path(), "the source video"}}, overwrite);
        !problem.empty())
        return problem;
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(projectPath), ec).parent_path();
    fs::path sourcePath = fs::absolute(fs::path(video->path()), ec);
    fs::path relative = sourcePath.lexically_relative(folder);
    auto document = projectFromEdits(*this, (relative.empty() ? sourcePath : relative).string());
    if (auto error = writeProjectFile(document, projectPath, overwrite); !error.empty())
        return error;
    return std::nullopt;
}

std::vector<FileInUse> EditSession::filesInUse() const {
    std::vector<FileInUse> files;
    if (auto video = source()) files.push_back({video->path(), "the source video"});
    if (!projectPath_.empty()) files.push_back({projectPath_, "the project being edited"});
    return files;
}

void EditSession::startFaceScan(FaceScanReach reach,
                                std::function<void(const std::string&)> onFailure) {
    faces_.setScanDetectors(faceScanDetectors(reach));
    faces_.startFaceScan(std::move(onFailure));
}

void EditSession::reset() {
    tool = EditTool::preview;
    playhead = MediaTime::zero();
    isPlay = false;
    zoomScale = 1.0;
    contentOffset = {};
    faces_.reset();
    objects_.reset();
    background_.resetBackground();
    shapes_.reset();
}

void EditSession::seek(double toFraction) {
    auto video = source_.get();
    if (!video || std::isnan(toFraction)) return;
    auto duration = video->duration();
    if (!duration || !duration->isNumeric()) return;
    double fraction = std::clamp(toFraction, 0.0, 1.0);
    // Stay below 2^63 so the conversion to a 64-bit value is always defined.
    double x = std::min(double(duration->value) * fraction, 9.2233720368547748e18);
    playhead = MediaTime(int64_t(x), duration->timescale);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
}

void EditSession::cancelEdits() {
    faces_.cancelEdit();
    objects_.cancelEdit();
    background_.cancelBackgroundEdit();
    shapes_.cancelEditing();
}

void EditSession::finishEdits() {
    faces_.finishEdit();
    objects_.finishEdit();
    background_.endBackgroundEdit();
    shapes_.finishEditing();
}

void EditSession::selectTool(int index) {
    auto chosen = editToolFromRaw(index);
    if (!chosen) return;
    tool = *chosen;
    isPlay = false;
    auto& center = NotificationCenter::defaultCenter();
    center.post(Notifications::playStatusChange);
    center.post(Notifications::toolChange);
}

Image EditSession::renderFrame(const Image& image, const MediaTime& time, RenderPurpose purpose,
                               std::vector<Rect>* drawn) const {
    if (drawn) drawn->clear();
    FrameContext context{time, 1.0 / 30, purpose, source_.get()};
    if (context.source) context.frameDuration = context.source->frameDuration();
    std::vector<Rect> areas;
    Image current = image;
    for (const FrameStage* stage : stages_) {
        auto next = stage->render(image, current, context, drawn ? &areas : nullptr);
        if (!next) return image;
        current = std::move(*next);
    }
    if (drawn) {
        // A stage that restyled the whole frame leaves nothing of the source to keep.
        bool whole = std::find(areas.begin(), areas.end(), image.extent) != areas.end();
        *drawn = whole ? std::vector<Rect>{image.extent} : std::move(areas);
    }
    return current;
}

void EditSession::exportVideo(ExportProgress progress, ExportCompletion completion,
                              std::string destination, std::function<void()> ended) {
    cancelExport = false;
    auto video = source_.get();
    auto size = video ? video->size() : std::nullopt;
    if (!size) {
        MainQueue::shared().post([completion, ended] {
            if (completion) completion({std::nullopt, "no source video"});
            if (ended) ended();
        });
        return;
    }
    ExportSettings settings;
    settings.sourcePath = video->path();
    settings.isHDR = video->isHDR();
    settings.width = int(size->width);
    settings.height = int(size->height);
    if (!destination.empty()) {
        auto folder = std::filesystem::path(destination).parent_path();
        settings.folder = folder.empty() ? "." : folder.string();
        settings.shownPath = std::move(destination);
    }
    // A scan that never started would be waited for forever: the faces are as they are.
    const bool waitForScan = faces_.hasScanToWaitFor();
    double p0 = waitForScan ? faces_.scanProgress() : 1.0;
    double share = (1 - p0) * 0.5;
    startingExports_.fetch_add(1);
    BackgroundQueue::dispatch(
        [this, settings, waitForScan, p0, share, progress, completion, ended] {
            // Counted until Exporter has taken over, so `isExporting` has no gap before the file.
            // An export that ends before the hand-over says so itself, once no longer counted.
            struct Started {
                std::atomic<int>& count;
                std::function<void()> ended;
                ~Started() {
                    count.fetch_sub(1);
                    if (ended) MainQueue::shared().post(std::move(ended));
                }
            } started{startingExports_, ended};
            auto report = [progress](double fraction) {
                MainQueue::shared().post([progress, fraction] {
                    if (progress) progress(fraction);
                });
            };
            if (waitForScan && !waitForFaceScan(faces_, cancelExport, p0, share, report)) return;
            if (cancelExport) return;
            auto& engine = exporter_;
            engine.exportVideo(
                settings,
                [this](const Image& source, const MediaTime& time, std::vector<Rect>& drawn) {
                    return renderFrame(source, time, RenderPurpose::exportFile, &drawn);
                },
                [progress, share](double e) {
                    if (progress) progress(share + (1 - share) * e);
                },
                completion, std::exchange(started.ended, {}));
            // A cancel that came between the check above and the start reaches the export here.
            if (cancelExport) engine.cancel();
        });
}

std::shared_ptr<ExportHandle> EditSession::exportTo(const std::string& outputPath,
                                                    ExportOptions options) {
    return ExportHandle::start(*this, outputPath, std::move(options));
}

bool EditSession::isExporting() const {
    // In this order: Exporter counts the export before the hand-over ends.
    return startingExports_.load() > 0 || exporter_.isExporting();
}
