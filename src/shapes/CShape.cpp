#include "shapes/CShape.h"

void CShape::reset() { selectedShapeIndex.reset(); }

std::optional<Image> CShape::applyBlur(const Image&, const MediaTime&, const Image& current,
                                       bool) const {
    return current;
}
