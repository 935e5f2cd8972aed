#include "objects/CObject.h"

void CObject::reset() {}

std::optional<Image> CObject::renderRegions(const Image&, const MediaTime&, const Image& current,
                                            bool) const {
    return current;
}
