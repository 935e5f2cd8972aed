#pragma once
// The styles a region can carry. Raw values 0...13 in this order; `allModelFilterTypes` lists
// them in the same order. Any thread.

#include <array>
#include <optional>
#include <string_view>

enum class ModelFilterType {
    normal,
    gaussian,
    motion,
    pixellate,
    bokeh,
    crystal,
    chrome,
    fade,
    instant,
    mono,
    noir,
    process,
    tonal,
    transfer,
};

inline constexpr std::array<ModelFilterType, 14> allModelFilterTypes = {
    ModelFilterType::normal,  ModelFilterType::gaussian, ModelFilterType::motion,
    ModelFilterType::pixellate, ModelFilterType::bokeh, ModelFilterType::crystal,
    ModelFilterType::chrome,  ModelFilterType::fade,     ModelFilterType::instant,
    ModelFilterType::mono,    ModelFilterType::noir,     ModelFilterType::process,
    ModelFilterType::tonal,   ModelFilterType::transfer,
};

// The case's name as written in code ("gaussian", "crystal").
constexpr std::string_view nameOf(ModelFilterType type) {
    constexpr std::string_view names[] = {"normal", "gaussian", "motion", "pixellate", "bokeh",
                                          "crystal", "chrome", "fade",   "instant",   "mono",
                                          "noir",   "process",  "tonal",  "transfer"};
    return names[int(type)];
}

// The type whose case name is `name`; nothing for any other text.
constexpr std::optional<ModelFilterType> modelFilterTypeNamed(std::string_view name) {
    for (ModelFilterType type : allModelFilterTypes)
        if (nameOf(type) == name) return type;
    return std::nullopt;
}
