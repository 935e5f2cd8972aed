#include "faces/PersonAssociation.h"

#include <algorithm>
#include <cmath>

namespace {

bool contains(const std::vector<std::string>& ids, const std::string& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool rectContains(const Rect& r, const Point& p) {
    return r.x <= p.x && p.x < r.maxX() && r.y <= p.y && p.y < r.maxY();
}

double area(const Rect& r) {
    return r.width * r.height;
}

double distance(const Point& a, const Point& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

bool jointsNear(const std::optional<Point>& a, const std::optional<Point>& b) {
    return !a || !b ||
           (std::abs(a->x - b->x) <= POSE_NEAR_TOLERANCE &&
            std::abs(a->y - b->y) <= POSE_NEAR_TOLERANCE);
}

bool posesNear(const PoseData& p, const PoseData& q) {
    bool shareNose = p.nose && q.nose, shareNeck = p.neck && q.neck;
    return (shareNose || shareNeck) && jointsNear(p.nose, q.nose) && jointsNear(p.neck, q.neck);
}

double poseDistance(const PoseData& p, const PoseData& q) {
    return p.nose && q.nose ? distance(*p.nose, *q.nose) : distance(*p.neck, *q.neck);
}

// The first record of `list` with id `from` takes id `to`.
template <typename T>
void handOn(std::vector<T>& list, const std::string& from, const std::string& to) {
    auto it =
        std::find_if(list.begin(), list.end(), [&](const T& r) { return r.personid == from; });
    if (it != list.end()) it->personid = to;
}

template <typename T>
std::vector<T*> stillUnassigned(const std::vector<T*>& list,
                                const std::vector<std::string>& assigned) {
    std::vector<T*> rest;
    for (T* r : list)
        if (!contains(assigned, r->personid)) rest.push_back(r);
    return rest;
}

}  // namespace

double intersectionArea(const Rect& a, const Rect& b) {
    return area(a.intersection(b));
}

bool facesOverlap(const Rect& a, const Rect& b) {
    double i = intersectionArea(a, b);
    return i / area(a) > INTERECT_LIMIT || i / area(b) > INTERECT_LIMIT;
}

void linkPosesToFaces(std::vector<PoseData>& poses, const std::vector<FaceRect>& faces) {
    std::vector<std::string> used;
    auto candidates = [&](const Point& nose) {
        std::vector<const FaceRect*> found;
        for (const FaceRect& f : faces)
            if (rectContains(f.rect, nose) && !contains(used, f.personid)) found.push_back(&f);
        return found;
    };
    std::vector<PoseData*> ambiguous;
    for (PoseData& pose : poses) {
        if (!pose.nose) continue;
        auto found = candidates(*pose.nose);
        if (found.size() == 1) {
            pose.personid = found.front()->personid;
            used.push_back(pose.personid);
        }
    }
    for (PoseData& pose : poses)
        if (!contains(used, pose.personid)) ambiguous.push_back(&pose);
    for (PoseData* pose : ambiguous) {
        if (!pose->nose) continue;
        auto found = candidates(*pose->nose);
        if (found.empty()) continue;
        auto centreDistance = [&](const FaceRect* f) {
            return distance(*pose->nose, {f->rect.midX(), f->rect.midY()});
        };
        const FaceRect* nearest = *std::min_element(
            found.begin(), found.end(), [&](const FaceRect* a, const FaceRect* b) {
                return centreDistance(a) < centreDistance(b);
            });
        pose->personid = nearest->personid;
        used.push_back(pose->personid);
    }
}

std::vector<FaceRect*> matchFaces(const std::vector<FaceRect*>& unmatched,
                                  const std::vector<FaceRect>& earlier,
                                  std::vector<PoseData>& poses,
                                  const std::vector<std::string>& excluded) {
    std::vector<std::string> assigned;
    auto free = [&](const FaceRect& e) {
        return !contains(assigned, e.personid) && !contains(excluded, e.personid);
    };
    auto take = [&](FaceRect* c, const FaceRect& e) {
        handOn(poses, c->personid, e.personid);
        c->personid = e.personid;
        assigned.push_back(e.personid);
    };
    for (FaceRect* c : unmatched) {
        const FaceRect* only = nullptr;
        int count = 0;
        for (const FaceRect& e : earlier)
            if (facesOverlap(e.rect, c->rect) && free(e)) {
                only = &e;
                ++count;
            }
        if (count == 1) take(c, *only);
    }
    for (FaceRect* c : stillUnassigned(unmatched, assigned)) {
        auto share = [&](const FaceRect& e) {
            double a = area(c->rect);
            return a > 0 ? intersectionArea(e.rect, c->rect) / a : 0.0;
        };
        std::vector<const FaceRect*> byShare;
        for (const FaceRect& e : earlier) byShare.push_back(&e);
        std::stable_sort(byShare.begin(), byShare.end(), [&](const FaceRect* a, const FaceRect* b) {
            return share(*a) > share(*b);
        });
        for (const FaceRect* e : byShare)
            if (facesOverlap(e->rect, c->rect) && free(*e)) {
                take(c, *e);
                break;
            }
    }
    return stillUnassigned(unmatched, assigned);
}

std::vector<PoseData*> matchPoses(const std::vector<PoseData*>& unmatched,
                                  const std::vector<PoseData>& earlier,
                                  std::vector<FaceRect>& faces,
                                  const std::vector<std::string>& excluded) {
    std::vector<std::string> assigned;
    auto take = [&](PoseData* c, const PoseData& e) {
        handOn(faces, c->personid, e.personid);
        c->personid = e.personid;
        assigned.push_back(e.personid);
    };
    for (PoseData* c : unmatched) {
        const PoseData* only = nullptr;
        int count = 0;
        for (const PoseData& e : earlier)
            if (posesNear(*c, e) && !contains(excluded, e.personid)) {
                only = &e;
                ++count;
            }
        if (count == 1) take(c, *only);
    }
    for (PoseData* c : stillUnassigned(unmatched, assigned)) {
        const PoseData* nearest = nullptr;
        double best = 1.0;
        for (const PoseData& e : earlier) {
            if (contains(assigned, e.personid) || contains(excluded, e.personid) ||
                !posesNear(*c, e))
                continue;
            double d = poseDistance(*c, e);
            if (d < best) {
                best = d;
                nearest = &e;
            }
        }
        if (nearest) take(c, *nearest);
    }
    return stillUnassigned(unmatched, assigned);
}

void associateFrame(std::span<FrameFaces> results) {
    if (results.empty()) return;
    const int n = int(results.size());
    const int lowest = std::max(0, n - 1 - ASSOCIATION_LOOKBACK);
    std::vector<FaceRect>& faces = results.back().faces;
    std::vector<PoseData>& poses = results.back().poses;
    linkPosesToFaces(poses, faces);

    std::vector<FaceRect*> unmatched;
    for (FaceRect& f : faces) unmatched.push_back(&f);
    std::vector<std::string> excluded;
    if (!faces.empty() && n >= 2) {
        for (int j = n - 2; j >= lowest && !unmatched.empty(); --j) {
            unmatched = matchFaces(unmatched, results[size_t(j)].faces, poses, excluded);
            excluded.clear();
            for (FaceRect& f : faces)
                if (std::find(unmatched.begin(), unmatched.end(), &f) == unmatched.end())
                    excluded.push_back(f.personid);
        }
    }

    // Poses of no face, or of a face that found no earlier match, look for their person.
    std::vector<PoseData*> pending;
    for (PoseData& p : poses) {
        bool ofAFace = std::any_of(faces.begin(), faces.end(),
                                   [&](const FaceRect& f) { return f.personid == p.personid; });
        bool ofUnmatched = std::any_of(unmatched.begin(), unmatched.end(), [&](const FaceRect* f) {
            return f->personid == p.personid;
        });
        if (!ofAFace || ofUnmatched) pending.push_back(&p);
    }
    if (pending.empty() || n < 2) return;
    std::vector<std::string> poseExcluded;
    for (int j = n - 2; j >= lowest && !pending.empty(); --j) {
        std::vector<std::string> skip = excluded;
        skip.insert(skip.end(), poseExcluded.begin(), poseExcluded.end());
        pending = matchPoses(pending, results[size_t(j)].poses, faces, skip);
        poseExcluded.clear();
        for (PoseData& p : poses)
            if (std::find(pending.begin(), pending.end(), &p) == pending.end())
                poseExcluded.push_back(p.personid);
    }
}
