#pragma once
// A convolutional ONNX network compiled for XNNPACK, for one input size. XNNPACK's kernels run
// these networks several times faster than OpenCV's on the same core, which is what lets the
// face scan afford its whole-frame looks. The compiler takes the operations such detectors are
// made of (convolutions with their batch normalisation and ReLU, channel concatenations feeding
// convolutions, nearest 2× upsampling with its crop, bilinear resizing, max pooling, zero
// padding of channels, sums, a scalar shift and scale of the input, and the reshapes that lay
// out the heads' outputs) and only the part of the graph the wanted outputs need; anything else
// fails to compile with a one-line reason.
//
// Threads: one thread at a time per instance; XNNPACK runs it on the calling thread.

#include <opencv2/core.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/vision/Loaded.h"

// How the picture's 0…255 values become a model's input: value × scale + offset, before any
// scaling the model itself begins with.
struct XnnpackInputScaling {
    float scale = 1;
    float offset = 0;
};

class XnnpackNetwork {
public:
    // `model`: a serialised ONNX model with one NCHW float input, built for `input`;
    // `outputs`: the node outputs wanted, in the order `run` gives them.
    static Loaded<std::unique_ptr<XnnpackNetwork>> compile(std::span<const std::uint8_t> model,
                                                           cv::Size input,
                                                           const std::vector<std::string>& outputs,
                                                           XnnpackInputScaling scaling = {});

    ~XnnpackNetwork();

    // Runs the network on an 8-bit three-channel picture of the input size, channels in the
    // order the model takes them. Each output is channels-last: rows × columns of CV_32FC(n),
    // valid until the next run.
    const std::vector<cv::Mat>& run(const cv::Mat& picture);

    struct Compiled;  // opaque: the runtime and the constants it reads

private:
    explicit XnnpackNetwork(std::unique_ptr<Compiled> compiled);

    std::unique_ptr<Compiled> compiled_;
};
