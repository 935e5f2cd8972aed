#pragma once
// The image filters known by name ("CIGaussianBlur", "CIPhotoEffectMono", ...): each name's input
// keys with their defaults, and a way to make a filter with given inputs. The table is fixed at
// compile time; any thread may call these at the same time.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image/ImageFilter.h"

struct FilterInput {
    std::string key;
    std::optional<double> defaultValue;  // none for inputs that are not numbers (a centre point)
};

using FilterParameters = std::map<std::string, double>;

namespace ImageFilterRegistry {

// The inputs of the named filter, in the filter's own order; nothing for an unknown name.
std::optional<std::vector<FilterInput>> inputsOf(std::string_view name);

// The named filter with `parameters` (missing keys take their defaults); null for an unknown name.
std::unique_ptr<ImageFilter> make(std::string_view name, const FilterParameters& parameters);

}  // namespace ImageFilterRegistry
