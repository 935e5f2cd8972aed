#pragma once
// The styles a region can carry. Raw values 0...13 in this order; `allModelFilterTypes` lists
// them in the same order. Any thread.

#include <array>

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
    ModelFilterType::normal,    ModelFilterType::gaussian, ModelFilterType::motion,
    ModelFilterType::pixellate, ModelFilterType::bokeh,    ModelFilterType::crystal,
    ModelFilterType::chrome,    ModelFilterType::fade,     ModelFilterType::instant,
    ModelFilterType::mono,      ModelFilterType::noir,     ModelFilterType::process,
    ModelFilterType::tonal,     ModelFilterType::transfer,
};

