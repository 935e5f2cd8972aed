#include <gtest/gtest.h>

#include "faces/FaceEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "project/ProjectReader.h"
#include "project/ProjectWriter.h"
#include "session/EditSession.h"
#include "session/ProjectBinding.h"
#include "support/ScriptedSourceProbe.h"

namespace {

const char* ONE_FACE = R"({"veilcut": 1, "source": "clip.mp4", "faces": [
    {"type": "emoji", "style": "pixellate", "intensity": 0.9, "softness": 0.3, "scale": 1.5,
     "emoji": "🐶", "trim": {"start": 1, "end": 2}, "trimmed": true,
     "samples": [{"t": 2.5, "rect": [0.2, 0.2, 0.1, 0.1]},
                 {"t": {"value": 600, "timescale": 600}, "rect": [0.1, 0.1, 0.1, 0.1]}]},
    {"samples": [{"t": 4.99, "rect": [0.5, 0.5, 0.1, 0.1]}]}]})";

std::string errorOf(const std::string& region) {
    auto r = parseProject(R"({"veilcut": 1, "source": "a.mp4", "faces": [)" + region + "]}");
    EXPECT_FALSE(r.document);
    return r.error;
}

}  // namespace

TEST(ProjectFaces, FaceRegionsLoadIntoTheFaceEditorAndSaveToTheSameBytes) {
    MainQueue::shared().bindToCurrentThread();
    std::vector<std::string> steps;
    SourceVideo video("clip.mp4", std::make_unique<ScriptedSourceProbe>(
                                      steps, std::vector<SourceTrack>{{0}}, std::set<std::string>{},
                                      MediaTime(3000, 600)));  // 5 s
    video.waitUntilLoaded();
    auto read = parseProject(ONE_FACE);
    ASSERT_TRUE(read.document) << read.error;
    EditSession edit;
    ASSERT_FALSE(applyProject(*read.document, video, edit));
    const auto& faces = edit.faceEditor().regions();
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(faces[0].cover, Cover::emoji);
    EXPECT_EQ(faces[0].style.type, StyleKind::pixellate);
    EXPECT_EQ(faces[0].scale, 1.5);
    EXPECT_EQ(faces[0].emoji, "🐶");
    EXPECT_TRUE(faces[0].trimmedByUser());
    EXPECT_EQ(faces[0].samples[0].timeStamp, MediaTime(600, 600));  // sorted by time
    EXPECT_EQ(faces[0].trimTime.start, MediaTime(600, 600));
    EXPECT_EQ(faces[0].trimTime.end(), MediaTime(1200, 600));
    // Without a trim the span runs from the first sample, to the end when that is within a frame.
    EXPECT_EQ(faces[1].cover, Cover::none);
    EXPECT_EQ(faces[1].trimTime.end(), MediaTime(3000, 600));

    std::string saved = projectText(projectFromEdits(edit, "clip.mp4"));
    ASSERT_FALSE(applyProject(*parseProject(saved).document, video, edit));
    EXPECT_EQ(projectText(projectFromEdits(edit, "clip.mp4")), saved);
    edit.reset();
}

TEST(ProjectFaces, BadRegionsAreRejectedNamingTheirPath) {
    EXPECT_EQ(errorOf(R"({"type": "blur"})"), "faces[0].type: unknown region type 'blur'");
    EXPECT_EQ(errorOf(R"({}, {"scale": 0})"), "faces[1].scale: must be between 0.01 and 100");
    EXPECT_EQ(errorOf(R"({"trimmed": 1})"), "faces[0].trimmed: must be true or false");
    EXPECT_EQ(errorOf(R"({"samples": [{"t": 1, "rect": [0, 0, 0, 1]}]})"),
              "faces[0].samples[0].rect: width must be > 0");
    EXPECT_EQ(errorOf(R"({"samples": {}})"), "faces[0].samples: must be an array");
    EXPECT_EQ(errorOf(R"({"trim": {"start": 3, "end": 1}})"),
              "faces[0].trim: start must not be after end");
}
