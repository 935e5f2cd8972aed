#pragma once
// Assembles an ONNX model in memory (nodes, constant initialisers, one input, outputs) and
// serialises it, so that OpenCV's own ONNX importer can build the network. Keeps protobuf out
// of every other file.
//
// Threads: one thread at a time per builder. Owns everything added to it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct OnnxAttribute {
    enum class Kind { integer, real, integers, text };
    std::string name;
    Kind kind = Kind::integer;
    std::int64_t integer = 0;
    float real = 0;
    std::vector<std::int64_t> integers;
    std::string text;

    static OnnxAttribute of(std::string n, std::int64_t v) {
        return {std::move(n), Kind::integer, v, 0, {}, {}};
    }
    static OnnxAttribute of(std::string n, float v) {
        return {std::move(n), Kind::real, 0, v, {}, {}};
    }
    static OnnxAttribute of(std::string n, std::vector<std::int64_t> v) {
        return {std::move(n), Kind::integers, 0, 0, std::move(v), {}};
    }
    static OnnxAttribute of(std::string n, std::string v) {
        return {std::move(n), Kind::text, 0, 0, {}, std::move(v)};
    }
};

class OnnxGraphBuilder {
public:
    OnnxGraphBuilder();
    ~OnnxGraphBuilder();
    OnnxGraphBuilder(const OnnxGraphBuilder&) = delete;
    OnnxGraphBuilder& operator=(const OnnxGraphBuilder&) = delete;

    void addInput(const std::string& name, const std::vector<std::int64_t>& shape);
    void addOutput(const std::string& name, const std::vector<std::int64_t>& shape);
    // Each returns the name of the value it defines.
    std::string addFloatConstant(const std::vector<std::int64_t>& shape,
                                 std::span<const float> values);
    std::string addInt64Constant(const std::vector<std::int64_t>& values);
    // An empty `output` picks a fresh name.
    std::string addNode(const std::string& opType, const std::vector<std::string>& inputs,
                        const std::vector<OnnxAttribute>& attributes = {}, std::string output = {});

    std::string serialize() const;

private:
    std::string freshName();

    struct State;
    std::unique_ptr<State> state_;
};
