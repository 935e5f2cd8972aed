#include "background/BackgroundEditor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include <opencv2/core.hpp>

#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/log/Log.h"

namespace {

// Hands out masks made by a function and counts what it is asked for. Flags any moment at which
// one instance serves two threads.
struct SegmenterLog {
    std::atomic<int> made{0};
    std::atomic<int> calls{0};
    std::atomic<bool> overlapped{false};
};

class FakeSegmenter : public PersonSegmenter {
public:
    using MaskFn = std::function<std::optional<Image>(const Image&)>;
    FakeSegmenter(MaskFn fn, SegmenterLog& log) : fn_(std::move(fn)), log_(log) {}

    std::optional<Image> personMask(const Image& frame) override {
        if (busy_.exchange(true)) log_.overlapped = true;
        ++log_.calls;
        auto mask = fn_(frame);
        busy_ = false;
        return mask;
    }

private:
    MaskFn fn_;
    SegmenterLog& log_;
    std::atomic<bool> busy_{false};
};

// A mask of the given size, white inside `white` (top-down pixels).
FakeSegmenter::MaskFn maskWith(cv::Size size, cv::Rect white) {
    return [=](const Image&) {
        cv::Mat m(size, CV_8UC1, cv::Scalar(0));
        m(white).setTo(255);
        return std::optional(Image(m));
    };
}

// One opaque colour: mono at full intensity turns it grey, so each pixel of the result tells
// how much of the person layer it holds.
const cv::Vec4b RED(200, 40, 40, 255);
Image redFrame() {
    return Image(cv::Mat(360, 640, CV_8UC4, cv::Scalar(RED[0], RED[1], RED[2], RED[3])));
}

struct BackgroundEditorTest : ::testing::Test {
    void SetUp() override {
        MainQueue::shared().bindToCurrentThread();
        for (auto [name, label] :
             std::initializer_list<std::pair<const NotificationName*, const char*>>{
                 {&Notifications::onEditBackground, "onEdit"},
                 {&Notifications::offEditBackground, "offEdit"},
                 {&Notifications::updateFilter, "update"}})
            tokens.push_back(NotificationCenter::defaultCenter().addObserver(
                *name, [this, label = std::string(label)](NotificationCenter::Payload p) {
                    posted.push_back(p ? label + " " + std::to_string(int(*p)) : label);
                }));
    }
    std::vector<std::string> take() { return std::exchange(posted, {}); }

    // An editor whose segmenters answer with `fn`.
    std::unique_ptr<BackgroundEditor> editorWith(FakeSegmenter::MaskFn fn) {
        return std::make_unique<BackgroundEditor>([this, fn] {
            ++log.made;
            return std::make_unique<FakeSegmenter>(fn, log);
        });
    }
    // The share of the person layer in each column of the middle row of a mono-styled result.
    static std::vector<double> personShare(const Image& result) {
        std::vector<double> share;
        const cv::Vec4b grey = result.pixels.at<cv::Vec4b>(0, result.width() - 1);
        for (int x = 0; x < result.width(); ++x) {
            const cv::Vec4b px = result.pixels.at<cv::Vec4b>(result.height() / 2, x);
            share.push_back(double(px[0] - grey[0]) / (RED[0] - grey[0]));
        }
        return share;
    }
    static int edgeWidth(const std::vector<double>& share) {
        int width = 0;
        for (double s : share) width += s > 0.05 && s < 0.95;
        return width;
    }

    SegmenterLog log;
    std::vector<std::string> posted;
    std::vector<std::unique_ptr<NotificationCenter::Token>> tokens;
};

}  // namespace

TEST_F(BackgroundEditorTest, NormalStyleReturnsTheFrameItselfWithoutSegmenting) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 128, 144}));
    RegionStyle off = editor->style();
    off.intensity = 0.9;
    editor->load(off, editor->softness());
    const Image frame = redFrame();
    auto out = editor->render(frame, frame, {}, nullptr);
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->sharesPixelsWith(frame));
    EXPECT_EQ(log.made, 0);
    EXPECT_EQ(log.calls, 0);
}

TEST_F(BackgroundEditorTest, AFrameWithoutPeopleComesBackFullyStyled) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 0, 0}));
    editor->setStyle(StyleKind::gaussian);
    cv::Mat texture(360, 640, CV_8UC4);
    cv::randu(texture, 0, 255);
    texture.reshape(1, int(texture.total())).col(3).setTo(255);
    const Image frame(texture);
    auto out = editor->render(frame, frame, {}, nullptr);
    auto styled = editor->style().apply(frame);
    ASSERT_TRUE(out && styled);
    EXPECT_LE(cv::norm(out->pixels, styled->pixels, cv::NORM_INF), 1);
    EXPECT_EQ(log.calls, 1);
}

TEST_F(BackgroundEditorTest, WithoutAMaskTheFrameGoesOutUnchangedWithTheTwoLogLines) {
    for (bool factoryFails : {false, true}) {
        std::unique_ptr<BackgroundEditor> editor =
            factoryFails ? std::make_unique<BackgroundEditor>([this] {
                ++log.made;
                return std::unique_ptr<PersonSegmenter>();
            })
                         : editorWith([](const Image&) { return std::nullopt; });
        editor->setStyle(StyleKind::pixellate);
        const Image frame = redFrame();
        showDebugLog();
        for (int i = 0; i < 2; ++i) {
            ::testing::internal::CaptureStderr();
            auto out = editor->render(frame, frame, {}, nullptr);
            EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                      "Error processing person segmentation request\nerror\n");
            ASSERT_TRUE(out);
            EXPECT_TRUE(out->sharesPixelsWith(frame));
        }
        showDebugLog(false);
        // One segmenter serves both frames; a model that cannot be loaded is not tried again.
        EXPECT_EQ(log.made.exchange(0), 1);
    }
}

TEST_F(BackgroundEditorTest, SoftnessWidensThePeoplesOutlineAndNothingElseDoes) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 128, 144}));  // the left half
    editor->setStyle(StyleKind::mono);
    editor->setIntensity(1);
    auto widthAt = [&](double softness) {
        editor->setSoftness(softness);
        auto out = editor->render(redFrame(), redFrame(), {}, nullptr);
        EXPECT_TRUE(out);
        return out ? edgeWidth(personShare(*out)) : -1;
    };
    EXPECT_LE(widthAt(0), 1);
    const int soft = widthAt(1);  // sigma 20: shares of 5...95 % span about 66 pixels
    EXPECT_GT(soft, 50);
    EXPECT_LT(soft, 90);
    EXPECT_GT(widthAt(0.25), 10);
    EXPECT_LT(widthAt(0.25), soft);
    // What is no softness never reaches a blur as a negative or undefined sigma.
    for (double bad : {-2.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_LE(widthAt(bad), 1) << bad;
    // The outline sits where the mask's edge lands: half-way across.
    editor->setSoftness(0);
    auto share = personShare(*editor->render(redFrame(), redFrame(), {}, nullptr));
    EXPECT_NEAR(share[318], 1, 0.02);
    EXPECT_NEAR(share[322], 0, 0.02);
}

TEST_F(BackgroundEditorTest, AMaskOfAnotherShapeIsStretchedNotLetterboxed) {
    // A square mask, white in its top-left quarter, on a 16:9 frame.
    auto editor = editorWith(maskWith({100, 100}, {0, 0, 50, 50}));
    editor->setStyle(StyleKind::mono);
    editor->setIntensity(1);
    auto out = editor->render(redFrame(), redFrame(), {}, nullptr);
    ASSERT_TRUE(out);
    auto isPerson = [&](int x, int y) { return out->pixels.at<cv::Vec4b>(y, x) == RED; };
    EXPECT_TRUE(isPerson(10, 10));  // letter-boxing would leave the left 140 columns dark
    EXPECT_TRUE(isPerson(310, 170));
    EXPECT_FALSE(isPerson(330, 170));
    EXPECT_FALSE(isPerson(310, 190));
    EXPECT_FALSE(isPerson(630, 350));
}

TEST_F(BackgroundEditorTest, CancelPutsBackStyleAndSoftnessAndTheRendererFollows) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 128, 144}));
    editor->beginBackgroundEdit(0);
    editor->setStyle(StyleKind::gaussian);
    editor->cancelBackgroundEdit();
    EXPECT_EQ(editor->style().type, StyleKind::normal);
    const Image frame = redFrame();
    EXPECT_TRUE(editor->render(frame, frame, {}, nullptr)->sharesPixelsWith(frame));
    EXPECT_EQ(log.calls, 0);  // back to off: the renderer segments nothing
    take();

    editor->setStyle(StyleKind::gaussian);
    editor->beginBackgroundEdit(1);
    editor->setStyle(StyleKind::pixellate);
    editor->setSoftness(0.4);
    EXPECT_TRUE(editor->isEditing());
    editor->cancelBackgroundEdit();
    EXPECT_EQ(editor->style().type, StyleKind::gaussian);
    EXPECT_EQ(editor->softness(), 0);
    EXPECT_FALSE(editor->isEditing());
    EXPECT_EQ(take(), (std::vector<std::string>{"update", "onEdit 1", "update", "update", "offEdit",
                                                "update"}));

    // Done keeps the changes; a cancel without an edit only ends it.
    editor->beginBackgroundEdit(2);
    editor->setIntensity(0.8);
    editor->endBackgroundEdit();
    editor->cancelBackgroundEdit();
    EXPECT_EQ(editor->style().intensity, 0.8);
    EXPECT_EQ(take(),
              (std::vector<std::string>{"onEdit 2", "update", "offEdit", "offEdit", "update"}));
}

TEST_F(BackgroundEditorTest, SettersClampTheIntensityOnlyAndResetPostsNothing) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 128, 144}));
    editor->setIntensity(1.7);
    EXPECT_EQ(editor->style().intensity, 1);
    editor->setIntensity(-0.2);
    EXPECT_EQ(editor->style().intensity, 0);
    editor->setIntensity(std::nan(""));
    EXPECT_EQ(editor->style().intensity, 0);
    editor->setSoftness(2.5);
    EXPECT_EQ(editor->softness(), 2.5);
    editor->setStyle(StyleKind::bokeh);
    EXPECT_EQ(take().size(), 4u);

    for (double intensity : {0.0, 0.93}) {
        RegionStyle style = editor->style();
        style.intensity = intensity;
        editor->load(style, editor->softness());
        editor->resetBackground();
        EXPECT_EQ(editor->style().intensity, 0.5);
        EXPECT_EQ(editor->style().type, StyleKind::normal);
        EXPECT_EQ(editor->softness(), 0);
    }
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(editor->render(redFrame(), redFrame(), {}, nullptr)->width(), 640);
    EXPECT_EQ(log.calls, 0);
}

TEST_F(BackgroundEditorTest, RenderThreadsEachGetTheirOwnSegmenterWhileTheMainThreadEdits) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 128, 144}));
    editor->setStyle(StyleKind::gaussian);
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0}, bad{0};
    auto render = [&] {
        const Image frame = redFrame();
        while (!stop || frames < 8) {
            auto out = editor->render(frame, frame, {}, nullptr);
            if (!out || out->pixels.size() != frame.pixels.size()) ++bad;
            ++frames;
        }
    };
    std::thread a(render), b(render);
    for (int i = 0; i < 200; ++i) {
        editor->setStyle(i % 2 ? StyleKind::motion : StyleKind::crystal);
        editor->setSoftness(i % 3 * 0.3);
    }
    stop = true;
    a.join();
    b.join();
    EXPECT_EQ(bad, 0);
    EXPECT_FALSE(log.overlapped);
    EXPECT_LE(log.made, 2);
}

TEST_F(BackgroundEditorTest, DeepFramesStayDeepWithThePeopleUntouched) {
    auto editor = editorWith(maskWith({256, 144}, {0, 0, 128, 144}));
    editor->setStyle(StyleKind::noir);
    const cv::Vec<uint16_t, 4> colour(50000, 9000, 9000, 65535);
    const Image frame(cv::Mat(360, 640, CV_16UC4, cv::Scalar(colour)));
    auto out = editor->render(frame, frame, {}, nullptr);
    ASSERT_TRUE(out);
    ASSERT_EQ(out->pixels.type(), CV_16UC4);
    EXPECT_EQ(out->pixels.at<decltype(colour)>(180, 100), colour);
    EXPECT_NE(out->pixels.at<decltype(colour)>(180, 540), colour);
}
