#pragma once
// Reads the main subgraph of a TFLite flatbuffer ("TFL3") into a TfliteGraph: tensors with their
// constant data copied out, operators with their builtin options. Malformed or truncated input
// gives an error, never a crash. Any thread; no state.

#include <cstdint>
#include <span>

#include "platform/vision/Loaded.h"
#include "platform/vision/TfliteGraph.h"

Loaded<TfliteGraph> readTfliteGraph(std::span<const std::uint8_t> model);
