#include "background/CBackground.h"

void CBackground::reset() {
    intensity = 0.5;
    softness = 0;
}

std::optional<Image> CBackground::applyBlur(const Image& source) const { return source; }
