#include "core/CEdit.h"

#include <algorithm>
#include <cmath>

#include "background/CBackground.h"
#include "core/FaceScanWait.h"
#include "core/Manager.h"
#include "core/Notifications.h"
#include "faces/CFace.h"
#include "objects/CObject.h"
#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "render/VFExport.h"
#include "shapes/CShape.h"

template <typename T>
T& CEdit::Lazy<T>::get() {
    std::call_once(once, [this] { editor = std::make_unique<T>(); });
    return *editor;
}

CEdit& CEdit::shared() {
    static CEdit edit;
    return edit;
}

CEdit::~CEdit() = default;

CFace& CEdit::cFace() {
    return face_.get();
}
CObject& CEdit::cObject() {
    return object_.get();
}
CBackground& CEdit::cBackground() {
    return background_.get();
}
CShape& CEdit::cShape() {
    return shape_.get();
}

void CEdit::reset() {
    tool = CEditTool::preview;
    currTime = MediaTime::zero();
    isPlay = false;
    zoomScale = 1.0;
    contentOffset = {};
    cFace().reset();
    cObject().reset();
    cBackground().resetBackground();
    cShape().reset();
}

void CEdit::seek(double toFraction) {
    auto asset = Manager::shared().asset();
    if (!asset || std::isnan(toFraction)) return;
    auto duration = asset->duration();
    if (!duration || !duration->isNumeric()) return;
    double fraction = std::clamp(toFraction, 0.0, 1.0);
    // Stay below 2^63 so the conversion to a 64-bit value is always defined.
    double x = std::min(double(duration->value) * fraction, 9.2233720368547748e18);
    currTime = MediaTime(int64_t(x), duration->timescale);
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
}

void CEdit::selectTool(int index) {
    auto chosen = editToolFromRaw(index);
    if (!chosen) return;
    tool = *chosen;
    isPlay = false;
    auto& center = NotificationCenter::defaultCenter();
    center.post(Notifications::playStatusChange);
    center.post(Notifications::toolChange);
}

Image CEdit::applyBlurs(const Image& image, const MediaTime& time, bool isExport,
                        std::vector<Rect>* drawn) {
    if (drawn) drawn->clear();
    std::vector<Rect> regions;
    std::vector<Rect>* areas = drawn ? &regions : nullptr;
    auto background = cBackground().applyBlur(image);
    if (!background) return image;
    auto faces = cFace().renderRegions(image, time, *background, isExport, areas);
    if (!faces) return image;
    auto objects = cObject().renderRegions(image, time, *faces, isExport, areas);
    if (!objects) return image;
    auto shapes = cShape().applyBlur(image, time, *objects, isExport, areas);
    if (!shapes) return image;
    if (drawn) {
        if (background->sharesPixelsWith(image))
            *drawn = std::move(regions);
        else
            drawn->push_back(image.extent);
    }
    return *shapes;
}

void CEdit::exportVideo(ExportProgress progress, ExportCompletion completion, std::string folder) {
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
    double p0 = cFace().progressRate.load();
    double share = (1 - p0) * 0.5;
    startingExports_.fetch_add(1);
    BackgroundQueue::dispatch([this, settings, p0, share, progress, completion] {
        // Counted until VFExport has taken over, so `isExporting` has no gap before the file.
        struct Started {
            std::atomic<int>& count;
            ~Started() { count.fetch_sub(1); }
        } started{startingExports_};
        auto report = [progress](double fraction) {
            MainQueue::shared().post([progress, fraction] {
                if (progress) progress(fraction);
            });
        };
        if (!waitForFaceScan(cFace(), cancelExport, p0, share, report) || cancelExport) return;
        auto& engine = VFExport::shared();
        engine.exportVideo(
            settings,
            [this](const Image& source, const MediaTime& time, std::vector<Rect>& drawn) {
                return applyBlurs(source, time, true, &drawn);
            },
            [progress, share](double e) {
                if (progress) progress(share + (1 - share) * e);
            },
            completion);
        // A cancel that came between the check above and the start reaches the export here.
        if (cancelExport) engine.cancel();
    });
}

bool CEdit::isExporting() const {
    // In this order: VFExport counts the export before the hand-over ends.
    return startingExports_.load() > 0 || VFExport::shared().isExporting();
}
