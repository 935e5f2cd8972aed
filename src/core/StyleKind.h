#pragma once
// The styles a region can carry. Raw values 0...13 in this order; `allStyleKinds` lists
// them in the same order. Any thread.

#include <array>

enum class StyleKind {
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

inline constexpr std::array<StyleKind, 14> allStyleKinds = {
    StyleKind::normal,  StyleKind::gaussian, StyleKind::motion, StyleKind::pixellate,
    StyleKind::bokeh,   StyleKind::crystal,  StyleKind::chrome, StyleKind::fade,
    StyleKind::instant, StyleKind::mono,     StyleKind::noir,   StyleKind::process,
    StyleKind::tonal,   StyleKind::transfer,
};

// The styles the pickers offer: the blurs. The others are colour effects, kept for projects
// that use them.
inline constexpr std::array<StyleKind, 5> blurStyleKinds = {
    StyleKind::gaussian, StyleKind::motion,  StyleKind::pixellate,
    StyleKind::bokeh,    StyleKind::crystal,
};
