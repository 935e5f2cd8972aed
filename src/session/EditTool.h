#pragma once

#include <optional>

enum class EditTool { preview = 0, face = 1, object = 2, background = 3, shape = 4 };

// The tool with this raw value, if there is one.
inline std::optional<EditTool> editToolFromRaw(int raw) {
    if (raw < 0 || raw > 4) return std::nullopt;
    return EditTool(raw);
}
