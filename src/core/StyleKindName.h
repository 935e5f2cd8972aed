#pragma once
// Styles by their case names ("gaussian", "crystal", ...), as project files and the command
// line write them. Any thread.

#include <optional>
#include <string_view>

#include "core/ModelFilterType.h"

std::string_view modelFilterTypeName(ModelFilterType type);
std::optional<ModelFilterType> modelFilterTypeFromName(std::string_view name);
