#include "platform/vision/OnnxGraphBuilder.h"

#include <onnx/onnx_pb.h>

struct OnnxGraphBuilder::State {
    onnx::ModelProto model;
    onnx::GraphProto* graph = nullptr;
    int nextName = 0;
};

OnnxGraphBuilder::OnnxGraphBuilder() : state_(std::make_unique<State>()) {
    state_->model.set_ir_version(7);
    state_->model.set_producer_name("veilcut");
    // Opset 11 has Resize with explicit sizes and Pad with pads as an input.
    onnx::OperatorSetIdProto* opset = state_->model.add_opset_import();
    opset->set_domain("");
    opset->set_version(11);
    state_->graph = state_->model.mutable_graph();
    state_->graph->set_name("veilcut");
}

OnnxGraphBuilder::~OnnxGraphBuilder() = default;

std::string OnnxGraphBuilder::freshName() {
    // Appending (rather than "v" + ...) sidesteps a false -Wrestrict in GCC 12 at -O3.
    std::string name(1, 'v');
    name.append(std::to_string(state_->nextName++));
    return name;
}

namespace {

void describe(onnx::ValueInfoProto* value, const std::string& name,
              const std::vector<std::int64_t>& shape) {
    value->set_name(name);
    onnx::TypeProto_Tensor* type = value->mutable_type()->mutable_tensor_type();
    type->set_elem_type(onnx::TensorProto::FLOAT);
    for (std::int64_t d : shape) type->mutable_shape()->add_dim()->set_dim_value(d);
}

}  // namespace

void OnnxGraphBuilder::addInput(const std::string& name, const std::vector<std::int64_t>& shape) {
    describe(state_->graph->add_input(), name, shape);
}

void OnnxGraphBuilder::addOutput(const std::string& name, const std::vector<std::int64_t>& shape) {
    describe(state_->graph->add_output(), name, shape);
}

std::string OnnxGraphBuilder::addFloatConstant(const std::vector<std::int64_t>& shape,
                                               std::span<const float> values) {
    onnx::TensorProto* t = state_->graph->add_initializer();
    std::string name = freshName();
    t->set_name(name);
    t->set_data_type(onnx::TensorProto::FLOAT);
    for (std::int64_t d : shape) t->add_dims(d);
    t->set_raw_data(values.data(), values.size_bytes());
    return name;
}

std::string OnnxGraphBuilder::addInt64Constant(const std::vector<std::int64_t>& values) {
    onnx::TensorProto* t = state_->graph->add_initializer();
    std::string name = freshName();
    t->set_name(name);
    t->set_data_type(onnx::TensorProto::INT64);
    t->add_dims(std::int64_t(values.size()));
    t->set_raw_data(values.data(), values.size() * sizeof(std::int64_t));
    return name;
}

std::string OnnxGraphBuilder::addNode(const std::string& opType,
                                      const std::vector<std::string>& inputs,
                                      const std::vector<OnnxAttribute>& attributes,
                                      std::string output) {
    if (output.empty()) output = freshName();
    onnx::NodeProto* node = state_->graph->add_node();
    node->set_op_type(opType);
    node->set_name(output);
    for (const std::string& in : inputs) node->add_input(in);
    node->add_output(output);
    for (const OnnxAttribute& a : attributes) {
        onnx::AttributeProto* attr = node->add_attribute();
        attr->set_name(a.name);
        switch (a.kind) {
            case OnnxAttribute::Kind::integer:
                attr->set_type(onnx::AttributeProto::INT);
                attr->set_i(a.integer);
                break;
            case OnnxAttribute::Kind::real:
                attr->set_type(onnx::AttributeProto::FLOAT);
                attr->set_f(a.real);
                break;
            case OnnxAttribute::Kind::integers:
                attr->set_type(onnx::AttributeProto::INTS);
                for (std::int64_t v : a.integers) attr->add_ints(v);
                break;
            case OnnxAttribute::Kind::text:
                attr->set_type(onnx::AttributeProto::STRING);
                attr->set_s(a.text);
                break;
        }
    }
    return output;
}

std::string OnnxGraphBuilder::serialize() const {
    return state_->model.SerializeAsString();
}
