// The face tool end to end, as a user with a mouse does it: of two people, hide only the second,
// with a pixellated rectangle, for the second half of the video; save; then look at the saved
// movie through the ffmpeg program, not through our own reader.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <opencv2/core.hpp>

#include "app/controls/TickSlider.h"
#include "app/controls/TrimBar.h"
#include "app/support/QtTestSupport.h"
#include "app/view/EditingScreen.h"
#include "app/view/EditorWindow.h"
#include "session/EditSession.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

namespace {

constexpr int WIDTH = 640, HEIGHT = 360;

cv::Mat frameAt(const std::string& movie, double seconds) {
    std::string bytes =
        runCommand("ffmpeg -v error -i '" + movie + "' -ss " + std::to_string(seconds) +
                   " -frames:v 1 -f rawvideo -pix_fmt rgb24 -")
            .out;
    if (bytes.size() != size_t(WIDTH * HEIGHT * 3)) return {};
    return cv::Mat(HEIGHT, WIDTH, CV_8UC3, bytes.data()).clone();
}

// Where region `region`'s face is at `seconds`, in pixels of the frame.
cv::Rect faceAt(const TrackedRegion& region, double seconds) {
    const MediaTime t = MediaTime::fromSeconds(seconds, 600);
    auto sample = region.samples.front();
    for (const RegionSample& each : region.samples)
        if (each.timeStamp <= t) sample = each;
    const Rect& r = sample.nominalRect;
    return cv::Rect(int(r.x * WIDTH), int((1 - r.y - r.height) * HEIGHT), int(r.width * WIDTH),
                    int(r.height * HEIGHT)) &
           cv::Rect(0, 0, WIDTH, HEIGHT);
}

double meanDifference(const cv::Mat& a, const cv::Mat& b, const cv::Rect& area) {
    cv::Mat difference;
    cv::absdiff(a(area), b(area), difference);
    const cv::Scalar mean = cv::mean(difference);
    return (mean[0] + mean[1] + mean[2]) / 3;
}

}  // namespace

TEST(HideOnePerson, OnlyTheSecondPersonIsPixellatedAndOnlyInsideItsTrim) {
    QSettings().setValue("didRate", true);
    TempFolder album("hideone");
    const std::string made = album.file("made.mp4"), clip = album.file("two.mp4");
    ASSERT_EQ(std::system((std::string(VEILCUT_SOURCE_DIR) + "/scripts/make-face-clip.sh " + made +
                           " 3 2 640x360 >/dev/null 2>&1")
                              .c_str()),
              0);
    // A source of high quality: the export keeps its data rate, so what encoding loses stays
    // well below what a cover changes.
    ASSERT_EQ(runCommand("ffmpeg -nostdin -v error -i '" + made +
                         "' -c:v libx264 -crf 8 -preset veryfast -c:a copy '" + clip + "'")
                  .status,
              0);
    EditorWindow window{nullptr, album.file("autosave")};
    window.resize(1100, 800);
    window.show();
    ASSERT_EQ(window.openFile(clip), std::nullopt);
    EditSession& session = *window.editingScreen().session();
    FaceEditor& faces = session.faceEditor();

    byName<QToolButton>(window, "Blur Face")->click();
    ASSERT_TRUE(processUntil([&] { return faces.scanState() == FaceScanState::end; }, 300));
    ASSERT_EQ(faces.regions().size(), 2u);
    byName<QPushButton>(window, "Hide none")->click();

    auto* strip = byName<QListWidget>(window, "Persons");
    clickAt(*strip->viewport(), strip->visualItemRect(strip->item(1)).center());
    ASSERT_EQ(faces.selectedIndex(), 1);
    byName<QPushButton>(window, "Rectangle")->click();
    ASSERT_TRUE(processUntil([&] { return byName<QAbstractButton>(window, "pixellate"); }));
    byName<QAbstractButton>(window, "pixellate")->click();
    auto* intensity = byName<TickSlider>(window, "Intensity");
    ASSERT_TRUE(intensity);
    intensity->setFocus();
    key(*intensity, Qt::Key_Home);
    for (int i = 0; i < 6; ++i) key(*intensity, Qt::Key_PageUp);

    // The start handle dragged to the middle of the video, and let go.
    auto* trim = byName<TrimBar>(window, "Trim");
    auto fractions = faces.selectedTrimFractions().value();
    mouse(*trim, QEvent::MouseButtonPress, trimHandle(*trim, fractions.start));
    mouse(*trim, QEvent::MouseMove, trimHandle(*trim, 0.5));
    mouse(*trim, QEvent::MouseButtonRelease, trimHandle(*trim, 0.5));
    byName<QPushButton>(window, "Done")->click();

    const TrackedRegion& second = faces.regions()[1];
    EXPECT_EQ(second.cover, Cover::rectangle);
    EXPECT_EQ(second.style.type, StyleKind::pixellate);
    EXPECT_NEAR(second.style.intensity, 0.6, 1e-9);
    const double trimStart = second.trimTime.start.seconds();
    EXPECT_NEAR(trimStart, 1.5, 0.1);
    EXPECT_EQ(faces.regions()[0].cover, Cover::none);

    answerNextDialog("Save to Library");
    byName<QPushButton>(window, "Save Video")->click();
    ASSERT_TRUE(processUntil([] { return shownWindow("Video Saved") != nullptr; }, 240));
    const std::string saved = album.file("two (Veilcut).mp4");
    ASSERT_TRUE(std::filesystem::exists(saved));

    for (double seconds : {trimStart - 0.8, trimStart + 0.8}) {
        SCOPED_TRACE(seconds);
        const cv::Mat before = frameAt(clip, seconds), after = frameAt(saved, seconds);
        ASSERT_FALSE(before.empty() || after.empty());
        EXPECT_LE(meanDifference(before, after, faceAt(faces.regions()[0], seconds)), 4)
            << "the first person is never touched";
        const double secondChange =
            meanDifference(before, after, faceAt(faces.regions()[1], seconds));
        if (seconds < trimStart) {
            EXPECT_LE(secondChange, 4) << "before the trim the second face shows";
        } else {
            EXPECT_GT(secondChange, 8) << "inside the trim the second face is pixellated";
        }
    }
    window.editingScreen().closeVideo();
}
