#pragma once
// Bounds-checked reading of a FlatBuffers buffer without generated code: tables, scalar fields,
// vectors and strings, addressed by field index as the schema numbers them. Every access outside
// the buffer throws FlatbufferError, which the TFLite reader turns into a load error.
//
// Value type over borrowed bytes (the caller keeps the buffer alive); any thread.

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct FlatbufferError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class FlatbufferTable;

// A vector field: `size()` elements starting at `start` (past the length word).
class FlatbufferVector {
public:
    FlatbufferVector() = default;
    FlatbufferVector(std::span<const std::uint8_t> buffer, size_t start, size_t count,
                     size_t elementSize);
    size_t size() const { return count_; }
    template <class T>
    T scalar(size_t i) const;
    FlatbufferTable table(size_t i) const;
    std::span<const std::uint8_t> bytes() const;
    template <class T>
    std::vector<T> toVector() const {
        std::vector<T> out(count_);
        for (size_t i = 0; i < count_; ++i) out[i] = scalar<T>(i);
        return out;
    }

private:
    std::span<const std::uint8_t> buffer_;
    size_t start_ = 0;
    size_t count_ = 0;
    size_t elementSize_ = 1;
};

class FlatbufferTable {
public:
    FlatbufferTable() = default;
    FlatbufferTable(std::span<const std::uint8_t> buffer, size_t position);
    // The root table of a buffer.
    static FlatbufferTable root(std::span<const std::uint8_t> buffer);

    bool valid() const { return !buffer_.empty(); }
    bool has(int field) const { return fieldOffset(field) != 0; }
    template <class T>
    T scalar(int field, T fallback) const {
        size_t off = fieldOffset(field);
        return off ? read<T>(buffer_, position_ + off) : fallback;
    }
    FlatbufferTable table(int field) const;  // invalid table when absent
    // An absent vector is empty. elementSize is 1, 2, 4 or 8 for scalars and 4 for tables.
    FlatbufferVector vector(int field, size_t elementSize) const;
    std::string string(int field) const;

    template <class T>
    static T read(std::span<const std::uint8_t> buffer, size_t at) {
        if (at > buffer.size() || buffer.size() - at < sizeof(T))
            throw FlatbufferError("read past the end of the model");
        T v;
        std::memcpy(&v, buffer.data() + at, sizeof(T));
        return v;
    }

private:
    size_t fieldOffset(int field) const;
    size_t target(int field) const;  // position an offset field points to, 0 when absent

    std::span<const std::uint8_t> buffer_;
    size_t position_ = 0;
    size_t vtable_ = 0;
    size_t vtableSize_ = 0;
};

template <class T>
T FlatbufferVector::scalar(size_t i) const {
    if (i >= count_) throw FlatbufferError("vector index out of range");
    return FlatbufferTable::read<T>(buffer_, start_ + i * elementSize_);
}
