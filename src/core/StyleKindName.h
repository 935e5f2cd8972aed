#pragma once
// Styles by their case names ("gaussian", "crystal", ...), as project files and the command
// line write them. Any thread.

#include <optional>
#include <string_view>

#include "core/StyleKind.h"

std::string_view styleKindName(StyleKind type);
std::optional<StyleKind> styleKindFromName(std::string_view name);
