#include "faces/FaceRegionBuilder.h"

#include <algorithm>

#include <unordered_set>

#include "faces/LostFaceBridging.h"
#include "faces/PersonTrack.h"

// One id's frames and the samples settled so far.
class FaceRegionBuilder::Track {
public:
    void add(size_t frameIndex, PersonFrame frame, const std::vector<MediaTime>& frameTimes) {
        bool hasFace = frame.face.has_value();
        pending_.push_back({frameIndex, std::move(frame)});
        if (!hasFace) return;
        // A face closes every gap before it: settle the frames since the previous face.
        auto samples = settleable(frameTimes);
        settled_.insert(settled_.end(), samples.begin(), samples.end());
        pending_.erase(pending_.begin(), pending_.end() - 1);
        anchored_ = true;
    }

    std::vector<RegionSample> samples(const std::vector<MediaTime>& frameTimes) const {
        std::vector<RegionSample> all = settled_;
        if (anchored_ && pending_.size() > 1) {
            auto tail = settleable(frameTimes);
            all.insert(all.end(), tail.begin(), tail.end());
        }
        return all;
    }

private:
    struct Seen {
        size_t frameIndex;
        PersonFrame frame;
    };

    // The samples of the pending frames (with the frames between them where the id was not
    // seen), less the previous face's, which is settled already.
    std::vector<RegionSample> settleable(const std::vector<MediaTime>& frameTimes) const {
        std::vector<PersonFrame> slice;
        size_t next = 0;
        for (size_t i = pending_.front().frameIndex; i <= pending_.back().frameIndex; ++i) {
            if (pending_[next].frameIndex == i)
                slice.push_back(pending_[next++].frame);
            else
                slice.push_back({frameTimes[i], std::nullopt, std::nullopt});
        }
        auto samples = trackSamples(std::move(slice));
        if (anchored_ && !samples.empty()) samples.erase(samples.begin());
        return samples;
    }

    std::vector<RegionSample> settled_;
    std::vector<Seen> pending_;  // from the latest face on (or from the first frame)
    bool anchored_ = false;      // a face has been seen: pending_ starts with it
};

Rect enlargedFaceRect(const Rect& r) {
    const double small =
        std::clamp((SMALL_FACE_FROM - r.height) / (SMALL_FACE_FROM - SMALL_FACE_TO), 0.0, 1.0);
    const double k =
        FACE_REGION_ENLARGEMENT + (SMALL_FACE_ENLARGEMENT - FACE_REGION_ENLARGEMENT) * small;
    const double grow = (k - 1) / 2;
    return {r.x - grow * r.width, r.y - grow * r.height, k * r.width, k * r.height};
}

FaceRegionBuilder::FaceRegionBuilder(Settings settings) : settings_(std::move(settings)) {}

FaceRegionBuilder::~FaceRegionBuilder() = default;

std::vector<FaceRegionBuilder::NewPerson> FaceRegionBuilder::addFrame(const FrameFaces& frame) {
    const size_t index = frameTimes_.size();
    frameTimes_.push_back(frame.timeStamp);
    std::unordered_set<std::string> done;
    auto addId = [&](const std::string& id) {
        if (!done.insert(id).second) return;
        PersonFrame p{frame.timeStamp, std::nullopt, std::nullopt};
        for (const FaceRect& f : frame.faces)
            if (f.personid == id) {
                p.face = f.rect;
                break;
            }
        for (const PoseData& pose : frame.poses)
            if (pose.personid == id) {
                p.pose = pose;
                break;
            }
        auto& track = tracks_[id];
        if (!track) track = std::make_unique<Track>();
        track->add(index, std::move(p), frameTimes_);
    };
    std::vector<NewPerson> fresh;
    for (const FaceRect& f : frame.faces) {
        addId(f.personid);
        if (personIndex_.count(f.personid)) continue;
        personIndex_[f.personid] = persons_.size();
        fresh.push_back({persons_.size(), f.rect});
        persons_.push_back(
            {tracks_[f.personid].get(),
             TrackedRegion({}, Image(), settings_.emoji, Cover::none, settings_.isHDR)});
    }
    for (const PoseData& p : frame.poses) addId(p.personid);
    return fresh;
}

void FaceRegionBuilder::setThumbnail(size_t personIndex, Image thumbnail) {
    if (personIndex < persons_.size())
        persons_[personIndex].prototype.thumbnail = std::move(thumbnail);
}

std::vector<TrackedRegion> FaceRegionBuilder::regions() const {
    std::vector<std::vector<RegionSample>> tracks;
    tracks.reserve(persons_.size());
    for (const Person& person : persons_) tracks.push_back(person.track->samples(frameTimes_));
    bridgeBriefLosses(tracks, frameTimes_);
    std::vector<TrackedRegion> list;
    list.reserve(persons_.size());
    for (size_t i = 0; i < persons_.size(); ++i) {
        TrackedRegion region = persons_[i].prototype;
        region.setSamples(std::move(tracks[i]));
        region.updateTimeRange(settings_.duration, settings_.frameDuration);
        for (RegionSample& s : region.samples) s.nominalRect = enlargedFaceRect(s.nominalRect);
        list.push_back(std::move(region));
    }
    return list;
}
