#include "platform/vision/SsdAnchors.h"

#include <algorithm>
#include <cmath>

std::vector<SsdAnchor> ssdAnchors(int inputSize, std::span<const int> strides, int perStride) {
    std::vector<SsdAnchor> anchors;
    for (size_t i = 0; i < strides.size();) {
        size_t j = i;
        while (j < strides.size() && strides[j] == strides[i]) ++j;
        int perCell = perStride * int(j - i);
        int grid = (inputSize + strides[i] - 1) / strides[i];
        for (int y = 0; y < grid; ++y)
            for (int x = 0; x < grid; ++x)
                for (int k = 0; k < perCell; ++k)
                    anchors.push_back({(x + 0.5f) / float(grid), (y + 0.5f) / float(grid)});
        i = j;
    }
    return anchors;
}

std::vector<SsdDetection> decodeSsd(std::span<const float> scores,
                                    std::span<const float> regressors,
                                    std::span<const SsdAnchor> anchors, const SsdDecoding& how) {
    std::vector<SsdDetection> out;
    const size_t stride = size_t(4 + 2 * how.keypointCount);
    if (scores.size() < anchors.size() || regressors.size() < anchors.size() * stride) return out;
    // Compare logits rather than computing the sigmoid of every anchor.
    const float minLogit = std::log(how.minScore / (1 - how.minScore));
    const float scale = 1.0f / float(how.inputSize);
    for (size_t i = 0; i < anchors.size(); ++i) {
        float logit = std::clamp(scores[i], -100.f, 100.f);
        if (logit < minLogit) continue;
        const float* r = &regressors[i * stride];
        const SsdAnchor& a = anchors[i];
        float cx = a.centerX + r[0] * scale, cy = a.centerY + r[1] * scale;
        float w = r[2] * scale, h = r[3] * scale;
        if (!(w > 0) || !(h > 0)) continue;
        SsdDetection d;
        d.box = {cx - w / 2, cy - h / 2, w, h};
        for (int k = 0; k < how.keypointCount; ++k)
            d.keypoints.emplace_back(a.centerX + r[4 + 2 * k] * scale,
                                     a.centerY + r[5 + 2 * k] * scale);
        d.score = 1 / (1 + std::exp(-logit));
        out.push_back(std::move(d));
    }
    return out;
}

namespace {

float iou(const cv::Rect2f& a, const cv::Rect2f& b) {
    float inter = (a & b).area();
    float uni = a.area() + b.area() - inter;
    return uni > 0 ? inter / uni : 0;
}

}  // namespace

std::vector<SsdDetection> weightedNonMaxSuppression(std::vector<SsdDetection> detections,
                                                    float minIou) {
    std::sort(detections.begin(), detections.end(),
              [](const SsdDetection& a, const SsdDetection& b) { return a.score > b.score; });
    std::vector<SsdDetection> kept;
    std::vector<bool> used(detections.size(), false);
    for (size_t i = 0; i < detections.size(); ++i) {
        if (used[i]) continue;
        const SsdDetection& best = detections[i];
        SsdDetection merged = best;
        merged.box = {};
        for (cv::Point2f& k : merged.keypoints) k = {};
        float total = 0;
        for (size_t j = i; j < detections.size(); ++j) {
            if (used[j] || iou(best.box, detections[j].box) <= minIou) continue;
            used[j] = true;
            const SsdDetection& d = detections[j];
            total += d.score;
            merged.box.x += d.box.x * d.score;
            merged.box.y += d.box.y * d.score;
            merged.box.width += d.box.width * d.score;
            merged.box.height += d.box.height * d.score;
            for (size_t k = 0; k < merged.keypoints.size() && k < d.keypoints.size(); ++k)
                merged.keypoints[k] += d.keypoints[k] * d.score;
        }
        merged.box.x /= total, merged.box.y /= total;
        merged.box.width /= total, merged.box.height /= total;
        for (cv::Point2f& k : merged.keypoints) k /= total;
        kept.push_back(std::move(merged));
    }
    return kept;
}
