#pragma once
// Decoding the raw outputs of MediaPipe-style single-shot detectors (BlazeFace, the pose
// detector): fixed-size anchors on a grid per stride, per-anchor box and keypoint offsets
// scaled by the input size, a logistic score. Any thread; no state.

#include <span>
#include <vector>

#include <opencv2/core/types.hpp>

struct SsdAnchor {
    float centerX = 0;
    float centerY = 0;
};

// One detection in model-normalised coordinates (0…1 over the square input, y downwards).
struct SsdDetection {
    cv::Rect2f box;
    std::vector<cv::Point2f> keypoints;
    float score = 0;
};

// Anchors for a square input: each stride listed adds `perStride` anchors per grid cell (two,
// as MediaPipe's anchor generator makes with unit aspect ratio and an interpolated scale; one
// without the interpolated scale); repeated strides stack on the same grid.
std::vector<SsdAnchor> ssdAnchors(int inputSize, std::span<const int> strides, int perStride = 2);

struct SsdDecoding {
    int inputSize = 0;      // offsets are in input pixels
    int keypointCount = 0;  // after the 4 box values
    float minScore = 0.5f;
};

// `scores`: one raw logit per anchor; `regressors`: 4 + 2·keypointCount values per anchor
// (centre x, centre y, width, height, then keypoint x, y pairs), relative to the anchor.
std::vector<SsdDetection> decodeSsd(std::span<const float> scores,
                                    std::span<const float> regressors,
                                    std::span<const SsdAnchor> anchors, const SsdDecoding& how);

// MediaPipe's weighted non-maximum suppression: each cluster of detections overlapping the best
// remaining one by more than `minIou` becomes one detection whose box and keypoints are the
// score-weighted mean of the cluster, with the best score.
std::vector<SsdDetection> weightedNonMaxSuppression(std::vector<SsdDetection> detections,
                                                    float minIou);
