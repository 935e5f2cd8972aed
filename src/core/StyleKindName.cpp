#include "core/ModelFilterTypeName.h"

#include <array>

namespace {

constexpr std::array<std::string_view, allModelFilterTypes.size()> NAMES = {
    "normal", "gaussian", "motion", "pixellate", "bokeh", "crystal", "chrome",
    "fade",   "instant",  "mono",   "noir",      "process", "tonal", "transfer",
};

}  // namespace

std::string_view modelFilterTypeName(ModelFilterType type) { return NAMES[size_t(type)]; }

std::optional<ModelFilterType> modelFilterTypeFromName(std::string_view name) {
    for (size_t i = 0; i < NAMES.size(); ++i)
        if (NAMES[i] == name) return allModelFilterTypes[i];
    return std::nullopt;
}
