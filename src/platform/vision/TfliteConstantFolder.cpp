#include "platform/vision/TfliteConstantFolder.h"

#include <cstring>
#include <functional>

namespace {

size_t elementSize(TfliteType type) {
    switch (type) {
        case TfliteType::float16:
        case TfliteType::int16:
            return 2;
        case TfliteType::uint8:
        case TfliteType::int8:
            return 1;
        case TfliteType::int64:
            return 8;
        default:
            return 4;
    }
}

std::vector<std::uint8_t> floatBytes(const std::vector<float>& values) {
    std::vector<std::uint8_t> bytes(values.size() * sizeof(float));
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

}  // namespace

std::vector<float> halfToFloat(std::span<const std::uint8_t> halves) {
    std::vector<float> out(halves.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        std::uint16_t h = std::uint16_t(halves[2 * i] | halves[2 * i + 1] << 8);
        std::uint32_t sign = std::uint32_t(h & 0x8000) << 16;
        std::uint32_t exponent = (h >> 10) & 0x1f;
        std::uint32_t mantissa = h & 0x3ff;
        std::uint32_t bits;
        if (exponent == 0x1f) {
            bits = sign | 0x7f800000 | mantissa << 13;  // infinity or NaN
        } else if (exponent != 0) {
            bits = sign | (exponent + 112) << 23 | mantissa << 13;
        } else if (mantissa == 0) {
            bits = sign;
        } else {  // subnormal: renormalise
            int shift = 0;
            while (!(mantissa & 0x400)) mantissa <<= 1, ++shift;
            bits = sign | std::uint32_t(113 - shift) << 23 | (mantissa & 0x3ff) << 13;
        }
        std::memcpy(&out[i], &bits, sizeof bits);
    }
    return out;
}

std::vector<std::uint8_t> densify(const TfliteSparsity& sparsity, const std::vector<int>& shape,
                                  std::span<const std::uint8_t> data, size_t elementSize) {
    const size_t rank = shape.size();
    const size_t levels = sparsity.dimensions.size();
    if (sparsity.traversalOrder.size() != levels || levels < rank ||
        sparsity.blockMap.size() != levels - rank)
        return {};
    size_t total = 1;
    for (int d : shape) total *= size_t(std::max(d, 0));
    std::vector<std::uint8_t> dense(total * elementSize, 0);
    std::vector<int> index(levels, 0);
    size_t next = 0;  // next stored element
    bool fits = true;

    // Walks the storage levels in traversal order; a CSR level lists which positions are stored.
    std::function<void(size_t, size_t)> walk = [&](size_t level, size_t parent) {
        if (!fits) return;
        if (level == levels) {
            std::vector<size_t> at(rank, 0);
            for (size_t i = 0; i < rank; ++i)
                at[size_t(sparsity.traversalOrder[i])] = size_t(index[i]);
            for (size_t i = rank; i < levels; ++i) {
                size_t block = size_t(sparsity.traversalOrder[i]) - rank;
                size_t dim = size_t(sparsity.blockMap[block]);
                at[dim] = at[dim] * size_t(sparsity.dimensions[rank + block].denseSize) +
                          size_t(index[i]);
            }
            size_t flat = 0;
            for (size_t i = 0; i < rank; ++i) {
                if (at[i] >= size_t(shape[i])) return void(fits = false);
                flat = flat * size_t(shape[i]) + at[i];
            }
            if ((next + 1) * elementSize > data.size()) return void(fits = false);
            std::memcpy(&dense[flat * elementSize], &data[next * elementSize], elementSize);
            ++next;
            return;
        }
        const TfliteSparsity::Dimension& dim = sparsity.dimensions[level];
        if (!dim.sparse) {
            for (int i = 0; i < dim.denseSize; ++i) {
                index[level] = i;
                walk(level + 1, parent * size_t(dim.denseSize) + size_t(i));
            }
            return;
        }
        if (parent + 1 >= dim.segments.size()) return void(fits = false);
        for (int i = dim.segments[parent]; i < dim.segments[parent + 1]; ++i) {
            if (i < 0 || size_t(i) >= dim.indices.size()) return void(fits = false);
            index[level] = dim.indices[size_t(i)];
            walk(level + 1, size_t(i));
        }
    };
    walk(0, 0);
    return fits ? dense : std::vector<std::uint8_t>{};
}

std::string foldWeightDecoding(TfliteGraph& graph) {
    std::vector<TfliteOperator> kept;
    for (TfliteOperator& op : graph.operators) {
        bool decoding = op.code == int(TfliteOp::densify) || op.code == int(TfliteOp::dequantize);
        if (!decoding) {
            kept.push_back(std::move(op));
            continue;
        }
        if (op.inputs.size() != 1 || op.outputs.size() != 1 || op.inputs[0] < 0)
            return "malformed weight-decoding operator";
        TfliteTensor& in = graph.tensors[size_t(op.inputs[0])];
        TfliteTensor& out = graph.tensors[size_t(op.outputs[0])];
        if (!in.isConstant())
            return (op.code == int(TfliteOp::densify) ? "DENSIFY" : "DEQUANTIZE") +
                   std::string(" of a computed tensor is not supported: ") + in.name;
        if (op.code == int(TfliteOp::densify)) {
            if (!in.sparsity) return "DENSIFY input has no sparsity: " + in.name;
            out.data = densify(*in.sparsity, out.shape, in.data, elementSize(in.type));
            if (out.data.empty()) return "sparse weights do not fit their shape: " + in.name;
            out.type = in.type;
        } else if (in.type == TfliteType::float16) {
            out.data = floatBytes(halfToFloat(in.data));
            out.type = TfliteType::float32;
        } else {
            return "DEQUANTIZE of integer weights is not supported: " + in.name;
        }
    }
    graph.operators = std::move(kept);
    return {};
}
