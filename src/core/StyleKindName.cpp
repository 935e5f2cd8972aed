#include "core/StyleKindName.h"

#include <array>

namespace {

constexpr std::array<std::string_view, allStyleKinds.size()> NAMES = {
    "normal", "gaussian", "motion", "pixellate", "bokeh",   "crystal", "chrome",
    "fade",   "instant",  "mono",   "noir",      "process", "tonal",   "transfer",
};

}  // namespace

std::string_view styleKindName(StyleKind type) {
    return NAMES[size_t(type)];
}

std::optional<StyleKind> styleKindFromName(std::string_view name) {
    for (size_t i = 0; i < NAMES.size(); ++i)
        if (NAMES[i] == name) return allStyleKinds[i];
    return std::nullopt;
}
