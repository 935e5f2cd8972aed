#include <gtest/gtest.h>

#include "objects/ObjectEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "project/ProjectReader.h"
#include "project/ProjectWriter.h"
#include "session/EditSession.h"
#include "session/ProjectBinding.h"
#include "support/ScriptedSourceProbe.h"

TEST(ProjectObjects, ObjectRegionsLoadIntoTheObjectEditorAndSaveToTheSameBytes) {
    MainQueue::shared().bindToCurrentThread();
    std::vector<std::string> steps;
    SourceVideo video("clip.mp4", std::make_unique<ScriptedSourceProbe>(
                                      steps, std::vector<SourceTrack>{{0}}, std::set<std::string>{},
                                      MediaTime(3000, 600)));  // 5 s
    video.waitUntilLoaded();
    auto read = parseProject(R"({"veilcut": 1, "source": "clip.mp4", "objects": [
        {"type": "circle", "samples": [{"t": 1, "rect": [0.2, 0.2, 0.1, 0.1]},
                                       {"t": 2, "rect": [0.3, 0.2, 0.1, 0.1]}]},
        {"type": "rectangle", "trim": {"start": 0.5, "end": 1},
         "samples": [{"t": 0.5, "rect": [0.5, 0.5, 0.2, 0.2]}]}]})");
    ASSERT_TRUE(read.document) << read.error;
    EditSession edit;
    ASSERT_FALSE(applyProject(*read.document, video, edit));
    const auto& objects = edit.objectEditor().regions();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].cover, Cover::circle);
    EXPECT_EQ(objects[0].trimTime.start, MediaTime(600, 600));
    EXPECT_EQ(objects[0].trimTime.end(), MediaTime(1200, 600));
    EXPECT_EQ(objects[1].trimTime.end(), MediaTime(600, 600));

    std::string saved = projectText(projectFromEdits(edit, "clip.mp4"));
    ASSERT_FALSE(applyProject(*parseProject(saved).document, video, edit));
    EXPECT_EQ(projectText(projectFromEdits(edit, "clip.mp4")), saved);
    edit.reset();
}
