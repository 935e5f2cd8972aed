// Tracking a real clip with the real tracker: a textured square crosses the picture, leaves it
// and comes back later from the other side.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "core/CurrentSource.h"
#include "core/Notifications.h"
#include "objects/ObjectEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/media/VideoWriter.h"
#include "support/TempFolder.h"

using namespace std::chrono_literals;

namespace {

constexpr int W = 640, H = 360, FPS = 30, FRAMES = 240, SIDE = 80;

// Top-left x of the square in frame i (y is fixed): in from the left at frame 30, out on the
// right by frame 150, back from the right at frame 180 moving left until the end.
double squareX(int i) {
    if (i < 150) return -SIDE + (i - 30) * 6.0;
    return W - (i - 180) * 4.0;
}
constexpr int SQUARE_Y = 140;

// The part of the square inside the picture, as a lower-left normalised rect; empty when out.
Rect truth(int i) {
    double x0 = std::max(0.0, squareX(i)), x1 = std::min(double(W), squareX(i) + SIDE);
    if (x1 <= x0) return {};
    return {x0 / W, 1 - double(SQUARE_Y + SIDE) / H, (x1 - x0) / W, double(SIDE) / H};
}
bool mostlyVisible(int i) {
    return truth(i).width * W >= SIDE / 2.0;
}

void writeClip(const std::string& path) {
    cv::RNG rng(7);
    // Blotches of colour about ten pixels across, like the markings of a real thing.
    cv::Mat cells(8, 8, CV_8UC4), texture;
    rng.fill(cells, cv::RNG::UNIFORM, cv::Scalar(0, 0, 0, 255), cv::Scalar(256, 256, 256, 256));
    cv::resize(cells, texture, cv::Size(SIDE, SIDE), 0, 0, cv::INTER_CUBIC);
    cv::Mat background(H, W, CV_8UC4);
    for (int y = 0; y < H; ++y)
        background.row(y).setTo(cv::Scalar(90 + y / 8, 110, 130 - y / 8, 255));
    std::string error;
    auto writer = VideoWriter::create(path, &error);
    ASSERT_TRUE(writer) << error;
    ASSERT_TRUE(writer->addVideo({.width = W, .height = H, .timescale = FPS, .frameRate = FPS}));
    ASSERT_TRUE(writer->start());
    for (int i = 0; i < FRAMES; ++i) {
        cv::Mat frame = background.clone();
        cv::Rect square(int(squareX(i)), SQUARE_Y, SIDE, SIDE);
        cv::Rect inside = square & cv::Rect(0, 0, W, H);
        if (inside.area() > 0)
            texture(cv::Rect(inside.x - square.x, 0, inside.width, SIDE)).copyTo(frame(inside));
        VideoFrame source{Image(frame), MediaTime(i, FPS), nullptr};
        ASSERT_TRUE(writer->writeVideo(source, source.image));
    }
    ASSERT_TRUE(writer->finish()) << writer->error();
}

double iou(const Rect& a, const Rect& b) {
    Rect i = a.intersection(b);
    double shared = i.width * i.height;
    return shared / (a.width * a.height + b.width * b.height - shared);
}

struct Span {
    int first = FRAMES, last = -1;
};
Span visibleSpanAround(int frame) {
    Span s{frame, frame};
    while (s.first > 0 && mostlyVisible(s.first - 1)) --s.first;
    while (s.last < FRAMES - 1 && mostlyVisible(s.last + 1)) ++s.last;
    return s;
}

}  // namespace

TEST(ObjectTracking, ARegionFollowsTheSquareOverEachSpanInWhichItIsVisible) {
    MainQueue::shared().bindToCurrentThread();
    TempFolder folder("objects");
    std::string clip = folder.file("square.mp4");
    ASSERT_NO_FATAL_FAILURE(writeClip(clip));
    auto video = std::make_shared<SourceVideo>(clip);
    video->waitUntilLoaded();
    CurrentSource source;
    source.set(video);
    ObjectEditor editor{source};
    int ended = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(Notifications::endTrackingObject,
                                                                 [&](auto) { ++ended; });
    for (int marked : {90, 215}) {
        Rect box = truth(marked);
        editor.trackObject({box.x, 1 - box.y - box.height, box.width, box.height},
                           MediaTime(marked, FPS));
        int before = ended;
        ASSERT_TRUE(MainQueue::shared().runUntil([&] { return ended > before; }, 120s));
        ASSERT_EQ(editor.regions().size(), marked == 90 ? 1u : 2u);
        const TrackedRegion& region = editor.regions().back();

        Span visible = visibleSpanAround(marked);
        int first = int(std::lround(region.samples.front().timeStamp.seconds() * FPS));
        int last = int(std::lround(region.samples.back().timeStamp.seconds() * FPS));
        EXPECT_NEAR(first, visible.first, 6) << marked;
        EXPECT_NEAR(last, visible.last, 6) << marked;
        double sum = 0;
        int counted = 0;
        for (const RegionSample& s : region.samples) {
            int i = int(std::lround(s.timeStamp.seconds() * FPS));
            if (!mostlyVisible(i)) continue;
            sum += iou(s.nominalRect, truth(i));
            ++counted;
        }
        ASSERT_GT(counted, 0);
        EXPECT_GE(sum / counted, 0.7) << marked;
        EXPECT_FALSE(region.thumbnail.empty());
    }
}
