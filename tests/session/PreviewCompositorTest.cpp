#include "session/PreviewCompositor.h"

#include <gtest/gtest.h>

#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"

namespace {

// A source whose only facts are a stored size and a display matrix.
class OrientedSource final : public SourceProbe {
public:
    OrientedSource(Size stored, AffineTransform t) : stored_(stored), transform_(t) {}
    std::optional<MediaTime> duration() override { return MediaTime(600, 600); }
    std::optional<std::vector<SourceTrack>> videoTracks() override {
        return std::vector<SourceTrack>{{0}};
    }
    std::optional<std::vector<SourceTrack>> audioTracks() override {
        return std::vector<SourceTrack>{};
    }
    std::optional<MediaTime> minFrameDuration(SourceTrack) override { return MediaTime(1, 30); }
    std::optional<AffineTransform> preferredTransform(SourceTrack) override { return transform_; }
    std::optional<float> nominalFrameRate(SourceTrack) override { return 30.0f; }
    std::optional<Size> naturalSize(SourceTrack) override { return stored_; }
    bool isHDR(SourceTrack) override { return false; }
    std::string transferName(SourceTrack) override { return "BT.709"; }

private:
    Size stored_;
    AffineTransform transform_;
};

class Request final : public CompositionRequest {
public:
    explicit Request(std::optional<Image> frame, std::vector<int> tracks = {1})
        : frame_(std::move(frame)), tracks_(std::move(tracks)) {}
    std::vector<int> sourceTrackIDs() const override { return tracks_; }
    std::optional<Image> sourceFrame(int) const override { return frame_; }
    std::optional<Image> newPixelBuffer() const override { return Image(cv::Mat(1, 1, CV_8UC4)); }
    MediaTime compositionTime() const override { return MediaTime(1, 30); }
    void finish(const Image& composed) override { result = composed; }
    void finishWithError(const CompositionError& e) override { error = e; }

    std::optional<Image> result;
    std::optional<CompositionError> error;

private:
    std::optional<Image> frame_;
    std::vector<int> tracks_;
};

// A stored picture whose top-left quadrant is red and the rest blue (BGRA order).
Image storedFrame(int width, int height) {
    cv::Mat m(height, width, CV_8UC4, cv::Scalar(255, 0, 0, 255));
    m(cv::Rect(0, 0, width / 2, height / 2)).setTo(cv::Scalar(0, 0, 255, 255));
    return Image(m);
}

struct CompositorTest : ::testing::Test {
    void SetUp() override { MainQueue::shared().bindToCurrentThread(); }

    Image render(Size stored, AffineTransform t) {
        auto video =
            std::make_shared<SourceVideo>("clip.mp4", std::make_unique<OrientedSource>(stored, t));
        video->waitUntilLoaded();
        session.setSource(video);
        Request request(storedFrame(int(stored.width), int(stored.height)));
        PreviewCompositor(session).startVideoCompositionRequest(request);
        EXPECT_FALSE(request.error);
        return request.result.value_or(Image());
    }
    EditSession session;
    static bool isRed(const cv::Vec4b& p) { return p[2] > 200 && p[0] < 50; }
};

}  // namespace

TEST_F(CompositorTest, FitsIntoThePreviewBoxEnlargingSmallVideos) {
    Image big = render({3840, 2160}, AffineTransform::identity());
    EXPECT_EQ(big.pixels.size(), cv::Size(1024, 576));
    Image small = render({640, 360}, AffineTransform::identity());
    EXPECT_EQ(small.pixels.size(), cv::Size(1024, 576));
    EXPECT_TRUE(isRed(small.pixels.at<cv::Vec4b>(10, 10)));
}

TEST_F(CompositorTest, TurnsAQuarterTurnedVideoUpright) {
    // Clockwise quarter turn: the stored top-left corner ends at the top-right.
    Image upright = render({1920, 1080}, AffineTransform{0, 1, -1, 0, 1080, 0});
    ASSERT_EQ(upright.pixels.size(), cv::Size(576, 1024));
    EXPECT_TRUE(isRed(upright.pixels.at<cv::Vec4b>(10, 566)));
    EXPECT_FALSE(isRed(upright.pixels.at<cv::Vec4b>(10, 10)));
    // A mirror keeps the size and swaps left and right.
    Image mirrored = render({1920, 1080}, AffineTransform{-1, 0, 0, 1, 1920, 0});
    EXPECT_TRUE(isRed(mirrored.pixels.at<cv::Vec4b>(10, 1013)));
}

TEST_F(CompositorTest, PassesFramesThroughWhileFactsAreMissing) {
    Image frame = storedFrame(64, 36);
    Request request(frame);
    PreviewCompositor(session).startVideoCompositionRequest(request);
    ASSERT_TRUE(request.result);
    EXPECT_TRUE(request.result->sharesPixelsWith(frame));
}

TEST_F(CompositorTest, MissingTracksOrFramesFailTheRequest) {
    for (Request request : {Request(storedFrame(8, 8), {}), Request(std::nullopt)}) {
        PreviewCompositor(session).startVideoCompositionRequest(request);
        EXPECT_EQ(request.error, (CompositionError{"VFViewCompositing", 0}));
        EXPECT_FALSE(request.result);
    }
}
