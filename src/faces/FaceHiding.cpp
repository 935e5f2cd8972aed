#include "faces/FaceHiding.h"

#include "regions/TrackedRegion.h"

void applyFaceHiding(TrackedRegion& region, const FaceHiding& hiding) {
    region.cover = hiding.cover;
    region.style.type = hiding.style;
    region.style.setIntensity(hiding.intensity);
    region.setSoftness(hiding.softness);
    region.scale = hiding.scale;
    if (!hiding.emoji.empty()) region.setEmoji(hiding.emoji);
}
