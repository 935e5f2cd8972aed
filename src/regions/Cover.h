#pragma once
// How a tracked region (a face or an object) is hidden. Raw values 0...3, in this order.

#include <optional>
#include <string_view>

enum class ObjectBlurType { none = 0, circle = 1, rectangle = 2, emoji = 3 };

inline std::optional<ObjectBlurType> objectBlurTypeFromRaw(int raw) {
    if (raw < 0 || raw > 3) return std::nullopt;
    return ObjectBlurType(raw);
}

inline constexpr std::string_view objectBlurTypeName(ObjectBlurType type) {
    constexpr std::string_view names[] = {"none", "circle", "rectangle", "emoji"};
    return names[int(type)];
}

inline std::optional<ObjectBlurType> objectBlurTypeFromName(std::string_view name) {
    for (int raw = 0; raw <= 3; ++raw)
        if (objectBlurTypeName(ObjectBlurType(raw)) == name) return ObjectBlurType(raw);
    return std::nullopt;
}
