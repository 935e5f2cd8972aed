#pragma once
// The outcome of loading or building something in the vision layer: a value, or one line that
// says what went wrong. Value type; any thread.

#include <optional>
#include <string>
#include <utility>

template <class T>
struct Loaded {
    std::optional<T> value;
    std::string error;  // set exactly when value is empty

    static Loaded success(T v) { return {std::move(v), {}}; }
    static Loaded failure(std::string message) { return {std::nullopt, std::move(message)}; }
    explicit operator bool() const { return value.has_value(); }
};
