#include "session/EditSession.h"

#include <algorithm>
#include <cmath>

#include "background/BackgroundEditor.h"
#include "session/FaceScanWait.h"
#include "core/Manager.h"
#include "core/Notifications.h"
#include "faces/FaceEditor.h"
#include "objects/ObjectEditor.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "session/Exporter.h"
#include "shapes/ShapeEditor.h"

template <typename T>
T& EditSession::Lazy<T>::get() {
    std::call_once(once, [this] { editor = std::make_unique<T>(); });
    return *editor;
}

EditSession& EditSession::shared() {
    static EditSession edit;
    return edit;
}

EditSession::~EditSession() = default;

FaceEditor& EditSession::faceEditor() {
    return face_.get();
}
ObjectEditor& EditSession::objectEditor() {
    return object_.get();
}
BackgroundEditor& EditSession::backgroundEditor() {
    return background_.get();
}
ShapeEditor& EditSession::shapeEditor() {
    return shape_.get();
}

void EditSession::reset() {
    tool = EditTool::preview;
    playhead = MediaTime::zero();
    isPlay = false;
    zoomScale = 1.0;
    contentOffset = {};
    faceEditor().reset();
    objectEditor().reset();
    backgroundEditor().resetBackground();
    shapeEditor().reset();
}

void EditSession::seek(double toFraction) {
    auto asset = Manager::shared().asset();
    if (!asset || std::isnan(toFraction)) return;
    auto duration = asset->duration();
    if (!duration || !duration->isNumeric()) return;
    double fraction = std::clamp(toFraction, 0.0, 1.0);
    // Stay below 2^63 so the conversion to a 64-bit value is always defined.
    double x = std::min(double(duration->value) * fraction, 9.2233720368547748e18);
    playhead = MediaTime(int64_t(x), duration->timescale);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
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

Image EditSession::applyBlurs(const Image& image, const MediaTime& time, RenderPurpose purpose,
                        std::vector<Rect>* drawn) {
    if (drawn) drawn->clear();
    std::vector<Rect> regions;
    std::vector<Rect>* areas = drawn ? &regions : nullptr;
    auto background = backgroundEditor().applyBlur(image);
    if (!background) return image;
    auto faces = faceEditor().renderRegions(image, time, *background, purpose, areas);
    if (!faces) return image;
    auto objects = objectEditor().renderRegions(image, time, *faces, purpose, areas);
    if (!objects) return image;
    auto shapes = shapeEditor().applyBlur(image, time, *objects, purpose, areas);
    if (!shapes) return image;
    if (drawn) {
        if (background->sharesPixelsWith(image))
            *drawn = std::move(regions);
        else
            drawn->push_back(image.extent);
    }
    return *shapes;
}

void EditSession::exportVideo(ExportProgress progress, ExportCompletion completion, std::string folder) {
    cancelExport = false;
    auto asset = Manager::shared().asset();
    auto size = asset ? asset->size() : std::nullopt;
    if (!size) {
        MainQueue::shared().post([completion] {
            if (completion) completion({std::nullopt, "no source video"});
        });
        return;
    }
    ExportSettings settings;
    settings.sourcePath = asset->path();
    settings.isHDR = asset->isHDR();
    settings.width = int(size->width);
    settings.height = int(size->height);
    settings.folder = std::move(folder);
    double p0 = faceEditor().scanProgress.load();
    double share = (1 - p0) * 0.5;
    startingExports_.fetch_add(1);
    BackgroundQueue::dispatch([this, settings, p0, share, progress, completion] {
        // Counted until Exporter has taken over, so `isExporting` has no gap before the file.
        struct Started {
            std::atomic<int>& count;
            ~Started() { count.fetch_sub(1); }
        } started{startingExports_};
        auto report = [progress](double fraction) {
            MainQueue::shared().post([progress, fraction] {
                if (progress) progress(fraction);
            });
        };
        if (!waitForFaceScan(faceEditor(), cancelExport, p0, share, report) || cancelExport) return;
        auto& engine = Exporter::shared();
        engine.exportVideo(
            settings,
            [this](const Image& source, const MediaTime& time, std::vector<Rect>& drawn) {
                return applyBlurs(source, time, RenderPurpose::exportFile, &drawn);
            },
            [progress, share](double e) {
                if (progress) progress(share + (1 - share) * e);
            },
            completion);
        // A cancel that came between the check above and the start reaches the export here.
        if (cancelExport) engine.cancel();
    });
}

bool EditSession::isExporting() const {
    // In this order: Exporter counts the export before the hand-over ends.
    return startingExports_.load() > 0 || Exporter::shared().isExporting();
}
