#pragma once
// A TFLite model's main subgraph as plain data: what TfliteReader extracts from the flatbuffer
// and what TfliteNetBuilder turns into an OpenCV network. Shapes are TFLite's own (NHWC).
// Value types; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// TFLite tensor element types (the schema's numbers).
enum class TfliteType : std::int8_t {
    float32 = 0,
    float16 = 1,
    int32 = 2,
    uint8 = 3,
    int64 = 4,
    int16 = 7,
    int8 = 9,
};

// TFLite builtin operator codes used by Veilcut's models (the schema's numbers).
enum class TfliteOp : std::int32_t {
    add = 0,
    averagePool2d = 1,
    concatenation = 2,
    conv2d = 3,
    depthwiseConv2d = 4,
    depthToSpace = 5,
    dequantize = 6,
    logistic = 14,
    maxPool2d = 17,
    mul = 18,
    relu = 19,
    relu6 = 21,
    reshape = 22,
    resizeBilinear = 23,
    custom = 32,
    pad = 34,
    mean = 40,
    hardSwish = 117,
    densify = 124,
};

enum class TfliteActivation : std::int8_t { none = 0, relu = 1, reluN1To1 = 2, relu6 = 3 };
enum class TflitePadding : std::int8_t { same = 0, valid = 1 };

// Block-sparse storage of a constant (TFLite's SparsityParameters).
struct TfliteSparsity {
    struct Dimension {
        bool sparse = false;  // CSR when true, dense otherwise
        int denseSize = 0;
        std::vector<int> segments;
        std::vector<int> indices;
    };
    std::vector<int> traversalOrder;
    std::vector<int> blockMap;
    std::vector<Dimension> dimensions;
};

struct TfliteTensor {
    std::string name;
    std::vector<int> shape;
    TfliteType type = TfliteType::float32;
    std::vector<std::uint8_t> data;  // empty unless the tensor is a constant
    std::optional<TfliteSparsity> sparsity;

    bool isConstant() const { return !data.empty(); }
};

// The union of the builtin options Veilcut reads; fields an operator lacks keep their defaults.
struct TfliteOptions {
    TflitePadding padding = TflitePadding::same;
    int strideW = 1, strideH = 1;
    int dilationW = 1, dilationH = 1;
    int filterW = 1, filterH = 1;
    int depthMultiplier = 1;
    TfliteActivation activation = TfliteActivation::none;
    int axis = 0;
    bool keepDims = false;
    bool alignCorners = false;
    bool halfPixelCenters = false;
    int blockSize = 1;
};

struct TfliteOperator {
    std::int32_t code = 0;    // a TfliteOp value, or any other builtin code the model uses
    std::string customCode;   // for TfliteOp::custom
    std::vector<int> inputs;  // tensor indices; -1 marks an omitted optional input
    std::vector<int> outputs;
    TfliteOptions options;
    std::vector<std::uint8_t> customOptions;
};

struct TfliteGraph {
    std::vector<TfliteTensor> tensors;
    std::vector<int> inputs;
    std::vector<int> outputs;
    std::vector<TfliteOperator> operators;
};
