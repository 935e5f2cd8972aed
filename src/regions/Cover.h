#pragma once
// How a region (a face, an object or a shape) is hidden. Raw values 0...3, in this order.

#include <optional>
#include <string_view>

enum class Cover { none = 0, circle = 1, rectangle = 2, emoji = 3 };

inline std::optional<Cover> coverFromRaw(int raw) {
    if (raw < 0 || raw > 3) return std::nullopt;
    return Cover(raw);
}

inline constexpr std::string_view coverName(Cover type) {
    constexpr std::string_view names[] = {"none", "circle", "rectangle", "emoji"};
    return names[int(type)];
}

inline std::optional<Cover> coverFromName(std::string_view name) {
    for (int raw = 0; raw <= 3; ++raw)
        if (coverName(Cover(raw)) == name) return Cover(raw);
    return std::nullopt;
}
