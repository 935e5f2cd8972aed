#pragma once
// The kind of a hand-placed shape. Raw values 0...3.

#include <optional>

enum class ShapeBlurType { none = 0, circle = 1, rectangle = 2, emoji = 3 };

inline std::optional<ShapeBlurType> shapeBlurTypeFromRaw(int raw) {
    if (raw < 0 || raw > 3) return std::nullopt;
    return ShapeBlurType(raw);
}

#include <string_view>

inline constexpr std::string_view shapeBlurTypeName(ShapeBlurType type) {
    constexpr std::string_view names[] = {"none", "circle", "rectangle", "emoji"};
    return names[int(type)];
}

inline std::optional<ShapeBlurType> shapeBlurTypeFromName(std::string_view name) {
    for (int raw = 0; raw <= 3; ++raw)
        if (shapeBlurTypeName(ShapeBlurType(raw)) == name) return ShapeBlurType(raw);
    return std::nullopt;
}
