#include "platform/vision/FlatbufferView.h"

FlatbufferVector::FlatbufferVector(std::span<const std::uint8_t> buffer, size_t start, size_t count,
                                   size_t elementSize)
    : buffer_(buffer), start_(start), count_(count), elementSize_(elementSize) {
    if (start > buffer.size() || count > (buffer.size() - start) / elementSize)
        throw FlatbufferError("vector runs past the end of the model");
}

FlatbufferTable FlatbufferVector::table(size_t i) const {
    if (i >= count_) throw FlatbufferError("vector index out of range");
    size_t at = start_ + i * 4;
    return FlatbufferTable(buffer_, at + FlatbufferTable::read<std::uint32_t>(buffer_, at));
}

std::span<const std::uint8_t> FlatbufferVector::bytes() const {
    return buffer_.subspan(start_, count_ * elementSize_);
}

FlatbufferTable::FlatbufferTable(std::span<const std::uint8_t> buffer, size_t position)
    : buffer_(buffer), position_(position) {
    std::int64_t vtable = std::int64_t(position) - read<std::int32_t>(buffer, position);
    if (vtable < 0 || size_t(vtable) >= buffer.size())
        throw FlatbufferError("table points outside the model");
    vtable_ = size_t(vtable);
    vtableSize_ = read<std::uint16_t>(buffer, vtable_);
    if (vtableSize_ < 4) throw FlatbufferError("malformed table");
}

FlatbufferTable FlatbufferTable::root(std::span<const std::uint8_t> buffer) {
    return FlatbufferTable(buffer, read<std::uint32_t>(buffer, 0));
}

size_t FlatbufferTable::fieldOffset(int field) const {
    if (!valid()) return 0;
    size_t slot = 4 + 2 * size_t(field);
    if (slot + 2 > vtableSize_) return 0;
    return read<std::uint16_t>(buffer_, vtable_ + slot);
}

size_t FlatbufferTable::target(int field) const {
    size_t off = fieldOffset(field);
    if (!off) return 0;
    size_t at = position_ + off;
    return at + read<std::uint32_t>(buffer_, at);
}

FlatbufferTable FlatbufferTable::table(int field) const {
    size_t at = target(field);
    return at ? FlatbufferTable(buffer_, at) : FlatbufferTable();
}

FlatbufferVector FlatbufferTable::vector(int field, size_t elementSize) const {
    size_t at = target(field);
    if (!at) return {};
    return FlatbufferVector(buffer_, at + 4, read<std::uint32_t>(buffer_, at), elementSize);
}

std::string FlatbufferTable::string(int field) const {
    std::span<const std::uint8_t> b = vector(field, 1).bytes();
    return std::string(b.begin(), b.end());
}
