#pragma once
// Folds the weight-decoding operators of a TFLite graph at load time: DENSIFY (block-sparse
// constants) and DEQUANTIZE of float16 constants become plain float32 constants, and the
// operators disappear. OpenCV has neither operator, and folding once is cheaper than
// decoding weights on every frame. Any thread; no state.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/vision/Loaded.h"
#include "platform/vision/TfliteGraph.h"

// Empty on success, else why the graph cannot be folded.
std::string foldWeightDecoding(TfliteGraph& graph);

// IEEE half-precision values to single precision.
std::vector<float> halfToFloat(std::span<const std::uint8_t> halves);

// Expands block-sparse `data` (elements of `elementSize` bytes) into the dense row-major tensor
// of `shape`. Empty when the sparse description does not fit the data.
std::vector<std::uint8_t> densify(const TfliteSparsity& sparsity, const std::vector<int>& shape,
                                  std::span<const std::uint8_t> data, size_t elementSize);
