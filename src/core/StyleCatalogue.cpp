#include "core/StyleCatalogue.h"

#include <map>

namespace StyleCatalogue {

const StyleFilter& entry(StyleKind type) {
    using T = StyleKind;
    static const std::map<T, StyleFilter> catalogue = [] {
        std::map<T, StyleFilter> c;
        auto add = [&](T t, const char* name, std::map<std::string, ClosedRange> range,
                       const char* fName) { c.emplace(t, StyleFilter(name, {}, range, fName)); };
        c.emplace(T::normal, StyleFilter("NORMAL"));
        add(T::gaussian, "GAUSSIAN", {{"inputRadius", {0, 50}}}, "CIGaussianBlur");
        add(T::motion, "MOTION", {{"inputRadius", {0, 60}}, {"inputAngle", {0, 0}}},
            "CIMotionBlur");
        add(T::pixellate, "PIXELLATE", {{"inputScale", {1, 35}}}, "CIPixellate");
        add(T::bokeh, "BOKEH", {{"inputRadius", {0, 50}}, {"inputRingAmount", {0, 1}}},
            "CIBokehBlur");
        add(T::crystal, "CRYSTALLIZE", {{"inputRadius", {1, 60}}}, "CICrystallize");
        add(T::chrome, "CHROME", {}, "CIPhotoEffectChrome");
        add(T::fade, "FADE", {}, "CIPhotoEffectFade");
        add(T::instant, "INSTANT", {}, "CIPhotoEffectInstant");
        add(T::mono, "MONO", {}, "CIPhotoEffectMono");
        add(T::noir, "NOIR", {}, "CIPhotoEffectNoir");
        add(T::process, "PROCESS", {}, "CIPhotoEffectProcess");
        add(T::tonal, "TONAL", {}, "CIPhotoEffectTonal");
        add(T::transfer, "TRANSFER", {}, "CIPhotoEffectTransfer");
        return c;
    }();
    auto it = catalogue.find(type);
    return it != catalogue.end() ? it->second : catalogue.at(T::normal);
}

}  // namespace StyleCatalogue
