#include "faces/FaceRegionBuilder.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "faces/LostFaceBridging.h"
#include "faces/PersonAssociation.h"
#include "faces/PersonTrack.h"

namespace {

constexpr double FRAME = 1.0 / 30;

// Frames of a few people walking about, each face and pose found only some of the time, with
// the occasional stray face and long absences that split a person in two.
std::vector<FrameFaces> syntheticScan(int frames, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    struct Walker {
        double x, y, dx, dy, size;
        int awayUntil = 0;
    };
    std::vector<Walker> walkers{{0.1, 0.2, 0.004, 0.002, 0.12},
                                {0.6, 0.5, -0.003, 0.001, 0.1},
                                {0.4, 0.7, 0.002, -0.003, 0.08}};
    std::vector<FrameFaces> out;
    for (int i = 0; i < frames; ++i) {
        FrameFaces frame;
        frame.timeStamp = MediaTime(1001 * i, 30000);
        for (Walker& w : walkers) {
            w.x += w.dx + (unit(random) - 0.5) * 0.004;
            w.y += w.dy + (unit(random) - 0.5) * 0.004;
            if (w.x < 0.02 || w.x > 0.85) w.dx = -w.dx;
            if (w.y < 0.02 || w.y > 0.85) w.dy = -w.dy;
            if (unit(random) < 0.01) w.awayUntil = i + 3 + int(unit(random) * 8);
            if (i < w.awayUntil) continue;
            Point nose{w.x + w.size / 2, w.y + w.size * 0.45};
            Point neck{nose.x, w.y - w.size * 0.2};
            if (unit(random) < 0.7) frame.faces.push_back({{w.x, w.y, w.size, w.size}});
            double p = unit(random);
            if (p < 0.45)
                frame.poses.push_back({nose, neck});
            else if (p < 0.6)
                frame.poses.push_back({std::nullopt, neck});
            else if (p < 0.7)
                frame.poses.push_back({nose, std::nullopt});
        }
        if (unit(random) < 0.05)
            frame.faces.push_back({{unit(random) * 0.9, unit(random) * 0.9, 0.05, 0.05}});
        out.push_back(std::move(frame));
    }
    return out;
}

// The regions straight from their definition: every track worked out again from all frames.
std::vector<TrackedRegion> regionsFromAllFrames(const std::vector<FrameFaces>& results,
                                                const MediaTime& duration) {
    std::vector<FrameFaces> snapshot = results;
    std::vector<std::string> persons;
    for (const auto& frame : snapshot)
        for (const auto& face : frame.faces)
            if (std::find(persons.begin(), persons.end(), face.personid) == persons.end())
                persons.push_back(face.personid);
    std::vector<std::vector<RegionSample>> tracks;
    for (const auto& id : persons) tracks.push_back(personTrack(snapshot, id));
    std::vector<MediaTime> times;
    for (const auto& frame : snapshot) times.push_back(frame.timeStamp);
    bridgeBriefLosses(tracks, times);
    std::vector<TrackedRegion> regions;
    for (auto& track : tracks) {
        TrackedRegion region(std::move(track), Image(), "", Cover::none, false);
        region.updateTimeRange(duration, FRAME);
        for (auto& s : region.samples) s.nominalRect = enlargedFaceRect(s.nominalRect);
        regions.push_back(std::move(region));
    }
    return regions;
}

void expectSameRegions(const std::vector<TrackedRegion>& got,
                       const std::vector<TrackedRegion>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(got[i].samples.size(), want[i].samples.size()) << "person " << i;
        for (size_t k = 0; k < got[i].samples.size(); ++k) {
            const auto &a = got[i].samples[k], &b = want[i].samples[k];
            ASSERT_EQ(a.timeStamp, b.timeStamp);
            ASSERT_NEAR(a.nominalRect.x, b.nominalRect.x, 1e-12);
            ASSERT_NEAR(a.nominalRect.y, b.nominalRect.y, 1e-12);
            ASSERT_NEAR(a.nominalRect.width, b.nominalRect.width, 1e-12);
            ASSERT_NEAR(a.nominalRect.height, b.nominalRect.height, 1e-12);
        }
        EXPECT_EQ(got[i].startTime, want[i].startTime);
        EXPECT_EQ(got[i].endTime, want[i].endTime);
        EXPECT_EQ(got[i].trimTime.start, want[i].trimTime.start);
        EXPECT_EQ(got[i].trimTime.end(), want[i].trimTime.end());
    }
}

}  // namespace

TEST(FaceRegionBuilder, GrowingRegionsEqualTracksWorkedOutFromAllFrames) {
    for (unsigned seed : {1u, 2u, 3u}) {
        const int count = 400;
        auto raw = syntheticScan(count, seed);
        const MediaTime duration = MediaTime(1001 * count, 30000);
        FaceRegionBuilder builder({duration, FRAME, false, ""});
        std::vector<FrameFaces> all;     // associated against every earlier frame
        std::vector<FrameFaces> window;  // only the frames association looks at
        for (int i = 0; i < count; ++i) {
            all.push_back(raw[size_t(i)]);
            associateFrame(all);
            window.push_back(raw[size_t(i)]);
            if (window.size() > ASSOCIATION_LOOKBACK + 1) window.erase(window.begin());
            associateFrame(window);
            for (size_t f = 0; f < all.back().faces.size(); ++f)
                ASSERT_EQ(window.back().faces[f].personid, all.back().faces[f].personid);
            builder.addFrame(window.back());
            if (i % 97 == 0 || i == count - 1)
                expectSameRegions(builder.regions(), regionsFromAllFrames(all, duration));
        }
        std::set<std::string> persons;
        for (const auto& frame : all)
            for (const auto& face : frame.faces) persons.insert(face.personid);
        EXPECT_GT(persons.size(), 3u) << "absences and stray faces make more persons than walkers";
    }
}

TEST(FaceRegionBuilder, NewPersonsAreReportedOnceInOrderOfTheirFirstFace) {
    FaceRegionBuilder builder({MediaTime(90, 30), FRAME, false, "😀"});
    FrameFaces first{
        {{{0.1, 0.1, 0.2, 0.2}, "A"}, {{0.5, 0.5, 0.2, 0.2}, "B"}}, {}, MediaTime(0, 30)};
    FrameFaces second{
        {{{0.1, 0.1, 0.2, 0.2}, "A"}, {{0.7, 0.1, 0.2, 0.2}, "C"}}, {}, MediaTime(1, 30)};
    auto fresh = builder.addFrame(first);
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(fresh[1].personIndex, 1u);
    fresh = builder.addFrame(second);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].personIndex, 2u);
    EXPECT_EQ(fresh[0].face.x, 0.7);
    auto regions = builder.regions();
    ASSERT_EQ(regions.size(), 3u);
    // Twice the face, about its centre.
    EXPECT_NEAR(regions[0].samples[0].nominalRect.x, 0.0, 1e-12);
    EXPECT_NEAR(regions[0].samples[0].nominalRect.width, 0.4, 1e-12);
}

TEST(FaceRegionBuilder, SmallFacesAreGrownMoreTheSmallerTheyAre) {
    auto growth = [](double height) {
        Rect face{0.4, 0.4, height * 0.8, height};
        Rect r = enlargedFaceRect(face);
        EXPECT_NEAR(r.midX(), face.midX(), 1e-12);
        EXPECT_NEAR(r.midY(), face.midY(), 1e-12);
        EXPECT_NEAR(r.width / face.width, r.height / face.height, 1e-12);
        return r.height / face.height;
    };
    EXPECT_NEAR(growth(0.2), FACE_REGION_ENLARGEMENT, 1e-12);
    EXPECT_NEAR(growth(SMALL_FACE_FROM), FACE_REGION_ENLARGEMENT, 1e-12);
    EXPECT_NEAR(growth((SMALL_FACE_FROM + SMALL_FACE_TO) / 2),
                (FACE_REGION_ENLARGEMENT + SMALL_FACE_ENLARGEMENT) / 2, 1e-12);
    EXPECT_NEAR(growth(SMALL_FACE_TO), SMALL_FACE_ENLARGEMENT, 1e-12);
    EXPECT_NEAR(growth(0.01), SMALL_FACE_ENLARGEMENT, 1e-12);
}
