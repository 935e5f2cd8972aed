#include "platform/vision/TfliteReader.h"

#include "platform/vision/FlatbufferView.h"

namespace {

// Field numbers of the TFLite schema tables that Veilcut reads.
namespace ModelField {
enum { operatorCodes = 1, subgraphs = 2, buffers = 4 };
}
namespace OperatorCodeField {
enum { deprecatedCode = 0, customCode = 1, builtinCode = 3 };
}
namespace SubGraphField {
enum { tensors = 0, inputs = 1, outputs = 2, operators = 3 };
}
namespace TensorField {
enum { shape = 0, type = 1, buffer = 2, name = 3, sparsity = 6 };
}
namespace BufferField {
enum { data = 0, offset = 1, size = 2 };
}
namespace OperatorField {
enum { opcodeIndex = 0, inputs = 1, outputs = 2, builtinOptions = 4, customOptions = 5 };
}

std::vector<int> intVector(const FlatbufferTable& t, int field) {
    return t.vector(field, 4).toVector<int>();
}

std::vector<int> sparseIndexVector(const FlatbufferTable& dim, int typeField, int valueField) {
    // SparseIndexVector union: 1 = Int32Vector, 2 = Uint16Vector, 3 = Uint8Vector; each a table
    // whose field 0 holds the values.
    auto type = dim.scalar<std::uint8_t>(typeField, 0);
    FlatbufferTable holder = dim.table(valueField);
    std::vector<int> out;
    if (!holder.valid()) return out;
    if (type == 1) return intVector(holder, 0);
    if (type != 2 && type != 3) throw FlatbufferError("unknown sparse index vector type");
    FlatbufferVector v = holder.vector(0, type == 2 ? 2 : 1);
    out.resize(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = type == 2 ? v.scalar<std::uint16_t>(i) : v.scalar<std::uint8_t>(i);
    return out;
}

TfliteSparsity readSparsity(const FlatbufferTable& s) {
    TfliteSparsity sparsity;
    sparsity.traversalOrder = intVector(s, 0);
    sparsity.blockMap = intVector(s, 1);
    FlatbufferVector dims = s.vector(2, 4);
    for (size_t i = 0; i < dims.size(); ++i) {
        FlatbufferTable d = dims.table(i);
        TfliteSparsity::Dimension dim;
        dim.sparse = d.scalar<std::int8_t>(0, 0) == 1;
        dim.denseSize = d.scalar<std::int32_t>(1, 0);
        if (dim.sparse) {
            dim.segments = sparseIndexVector(d, 2, 3);
            dim.indices = sparseIndexVector(d, 4, 5);
        }
        sparsity.dimensions.push_back(std::move(dim));
    }
    return sparsity;
}

std::vector<std::uint8_t> bufferData(std::span<const std::uint8_t> model,
                                     const FlatbufferTable& b) {
    std::span<const std::uint8_t> inline_ = b.vector(BufferField::data, 1).bytes();
    if (!inline_.empty()) return {inline_.begin(), inline_.end()};
    // Large models keep constants after the flatbuffer, addressed from the file's start.
    auto offset = b.scalar<std::uint64_t>(BufferField::offset, 0);
    auto size = b.scalar<std::uint64_t>(BufferField::size, 0);
    if (offset <= 1 || size == 0) return {};
    if (offset > model.size() || size > model.size() - offset)
        throw FlatbufferError("constant data lies outside the model");
    auto begin = model.begin() + std::ptrdiff_t(offset);
    return {begin, begin + std::ptrdiff_t(size)};
}

TfliteOptions readOptions(std::int32_t code, const FlatbufferTable& o) {
    TfliteOptions opt;
    if (!o.valid()) return opt;
    auto activation = [&](int field) { return TfliteActivation(o.scalar<std::int8_t>(field, 0)); };
    switch (TfliteOp(code)) {
        case TfliteOp::conv2d:
            opt.padding = TflitePadding(o.scalar<std::int8_t>(0, 0));
            opt.strideW = o.scalar<std::int32_t>(1, 1);
            opt.strideH = o.scalar<std::int32_t>(2, 1);
            opt.activation = activation(3);
            opt.dilationW = o.scalar<std::int32_t>(4, 1);
            opt.dilationH = o.scalar<std::int32_t>(5, 1);
            break;
        case TfliteOp::depthwiseConv2d:
            opt.padding = TflitePadding(o.scalar<std::int8_t>(0, 0));
            opt.strideW = o.scalar<std::int32_t>(1, 1);
            opt.strideH = o.scalar<std::int32_t>(2, 1);
            opt.depthMultiplier = o.scalar<std::int32_t>(3, 1);
            opt.activation = activation(4);
            opt.dilationW = o.scalar<std::int32_t>(5, 1);
            opt.dilationH = o.scalar<std::int32_t>(6, 1);
            break;
        case TfliteOp::averagePool2d:
        case TfliteOp::maxPool2d:
            opt.padding = TflitePadding(o.scalar<std::int8_t>(0, 0));
            opt.strideW = o.scalar<std::int32_t>(1, 1);
            opt.strideH = o.scalar<std::int32_t>(2, 1);
            opt.filterW = o.scalar<std::int32_t>(3, 1);
            opt.filterH = o.scalar<std::int32_t>(4, 1);
            opt.activation = activation(5);
            break;
        case TfliteOp::add:
        case TfliteOp::mul:
            opt.activation = activation(0);
            break;
        case TfliteOp::concatenation:
            opt.axis = o.scalar<std::int32_t>(0, 0);
            opt.activation = activation(1);
            break;
        case TfliteOp::resizeBilinear:
            opt.alignCorners = o.scalar<std::uint8_t>(2, 0) != 0;
            opt.halfPixelCenters = o.scalar<std::uint8_t>(3, 0) != 0;
            break;
        case TfliteOp::depthToSpace:
            opt.blockSize = o.scalar<std::int32_t>(0, 1);
            break;
        case TfliteOp::mean:
            opt.keepDims = o.scalar<std::uint8_t>(0, 0) != 0;
            break;
        default:
            break;
    }
    return opt;
}

TfliteGraph readGraph(std::span<const std::uint8_t> model) {
    if (model.size() < 8 || std::string(model.begin() + 4, model.begin() + 8) != "TFL3")
        throw FlatbufferError("not a TFLite model");
    FlatbufferTable root = FlatbufferTable::root(model);

    FlatbufferVector codes = root.vector(ModelField::operatorCodes, 4);
    std::vector<std::int32_t> builtin(codes.size());
    std::vector<std::string> custom(codes.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        FlatbufferTable c = codes.table(i);
        // Old models store the code in an 8-bit field, new ones in a 32-bit one.
        builtin[i] =
            std::max<std::int32_t>(c.scalar<std::int8_t>(OperatorCodeField::deprecatedCode, 0),
                                   c.scalar<std::int32_t>(OperatorCodeField::builtinCode, 0));
        custom[i] = c.string(OperatorCodeField::customCode);
    }

    FlatbufferVector subgraphs = root.vector(ModelField::subgraphs, 4);
    if (subgraphs.size() == 0) throw FlatbufferError("model has no subgraph");
    FlatbufferTable sg = subgraphs.table(0);
    FlatbufferVector buffers = root.vector(ModelField::buffers, 4);

    TfliteGraph graph;
    FlatbufferVector tensors = sg.vector(SubGraphField::tensors, 4);
    for (size_t i = 0; i < tensors.size(); ++i) {
        FlatbufferTable t = tensors.table(i);
        TfliteTensor tensor;
        tensor.name = t.string(TensorField::name);
        tensor.shape = intVector(t, TensorField::shape);
        tensor.type = TfliteType(t.scalar<std::int8_t>(TensorField::type, 0));
        auto buffer = t.scalar<std::uint32_t>(TensorField::buffer, 0);
        if (buffer != 0 && buffer < buffers.size())
            tensor.data = bufferData(model, buffers.table(buffer));
        if (FlatbufferTable s = t.table(TensorField::sparsity); s.valid())
            tensor.sparsity = readSparsity(s);
        graph.tensors.push_back(std::move(tensor));
    }
    graph.inputs = intVector(sg, SubGraphField::inputs);
    graph.outputs = intVector(sg, SubGraphField::outputs);

    FlatbufferVector operators = sg.vector(SubGraphField::operators, 4);
    for (size_t i = 0; i < operators.size(); ++i) {
        FlatbufferTable o = operators.table(i);
        TfliteOperator op;
        auto index = o.scalar<std::uint32_t>(OperatorField::opcodeIndex, 0);
        if (index >= builtin.size()) throw FlatbufferError("operator code out of range");
        op.code = builtin[index];
        op.customCode = custom[index];
        op.inputs = intVector(o, OperatorField::inputs);
        op.outputs = intVector(o, OperatorField::outputs);
        op.options = readOptions(op.code, o.table(OperatorField::builtinOptions));
        std::span<const std::uint8_t> co = o.vector(OperatorField::customOptions, 1).bytes();
        op.customOptions.assign(co.begin(), co.end());
        graph.operators.push_back(std::move(op));
    }

    auto checkIndex = [&](int t) {
        if (t < -1 || t >= int(graph.tensors.size()))
            throw FlatbufferError("tensor index out of range");
    };
    for (int t : graph.inputs) checkIndex(t);
    for (int t : graph.outputs) checkIndex(t);
    for (const TfliteOperator& op : graph.operators) {
        for (int t : op.inputs) checkIndex(t);
        for (int t : op.outputs) checkIndex(t);
    }
    return graph;
}

}  // namespace

Loaded<TfliteGraph> readTfliteGraph(std::span<const std::uint8_t> model) {
    try {
        return Loaded<TfliteGraph>::success(readGraph(model));
    } catch (const FlatbufferError& e) {
        return Loaded<TfliteGraph>::failure(std::string("cannot read TFLite model: ") + e.what());
    }
}
