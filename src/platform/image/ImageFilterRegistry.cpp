#include "platform/image/ImageFilterRegistry.h"

#include <array>
#include <functional>

#include "platform/image/BokehBlurFilter.h"
#include "platform/image/CrystallizeFilter.h"
#include "platform/image/GaussianBlurFilter.h"
#include "platform/image/MotionBlurFilter.h"
#include "platform/image/PhotoEffectFilter.h"
#include "platform/image/PixellateFilter.h"

namespace {

// Reads an input, falling back to its default.
class Inputs {
public:
    Inputs(const std::vector<FilterInput>& known, const FilterParameters& given)
        : known_(known), given_(given) {}
    double operator[](const std::string& key) const {
        if (auto it = given_.find(key); it != given_.end()) return it->second;
        for (const FilterInput& input : known_)
            if (input.key == key) return input.defaultValue.value_or(0);
        return 0;
    }

private:
    const std::vector<FilterInput>& known_;
    const FilterParameters& given_;
};

struct Entry {
    std::string_view name;
    std::vector<FilterInput> inputs;
    std::function<std::unique_ptr<ImageFilter>(const Inputs&)> make;
};

std::function<std::unique_ptr<ImageFilter>(const Inputs&)> photoEffect(PhotoEffect effect) {
    return [effect](const Inputs&) { return std::make_unique<PhotoEffectFilter>(effect); };
}

const std::vector<Entry>& entries() {
    static const std::vector<Entry> table = {
        {"CIGaussianBlur",
         {{"inputRadius", 10.0}},
         [](const Inputs& in) { return std::make_unique<GaussianBlurFilter>(in["inputRadius"]); }},
        // Only the horizontal direction is supported: the angle is read and must be 0.
        {"CIMotionBlur",
         {{"inputRadius", 20.0}, {"inputAngle", 0.0}},
         [](const Inputs& in) -> std::unique_ptr<ImageFilter> {
             if (in["inputAngle"] != 0) return nullptr;
             return std::make_unique<MotionBlurFilter>(in["inputRadius"]);
         }},
        {"CIPixellate",
         {{"inputCenter", std::nullopt}, {"inputScale", 8.0}},
         [](const Inputs& in) { return std::make_unique<PixellateFilter>(in["inputScale"]); }},
        {"CIBokehBlur",
         {{"inputRadius", 20.0},
          {"inputRingAmount", 0.0},
          {"inputRingSize", 0.1},
          {"inputSoftness", 1.0}},
         [](const Inputs& in) {
             return std::make_unique<BokehBlurFilter>(in["inputRadius"], in["inputRingAmount"],
                                                      in["inputRingSize"], in["inputSoftness"]);
         }},
        {"CICrystallize",
         {{"inputRadius", 20.0}, {"inputCenter", std::nullopt}},
         [](const Inputs& in) { return std::make_unique<CrystallizeFilter>(in["inputRadius"]); }},
        {"CIPhotoEffectChrome", {}, photoEffect(PhotoEffect::chrome)},
        {"CIPhotoEffectFade", {}, photoEffect(PhotoEffect::fade)},
        {"CIPhotoEffectInstant", {}, photoEffect(PhotoEffect::instant)},
        {"CIPhotoEffectMono", {}, photoEffect(PhotoEffect::mono)},
        {"CIPhotoEffectNoir", {}, photoEffect(PhotoEffect::noir)},
        {"CIPhotoEffectProcess", {}, photoEffect(PhotoEffect::process)},
        {"CIPhotoEffectTonal", {}, photoEffect(PhotoEffect::tonal)},
        {"CIPhotoEffectTransfer", {}, photoEffect(PhotoEffect::transfer)},
    };
    return table;
}

const Entry* find(std::string_view name) {
    for (const Entry& e : entries())
        if (e.name == name) return &e;
    return nullptr;
}

}  // namespace

namespace ImageFilterRegistry {

std::optional<std::vector<FilterInput>> inputsOf(std::string_view name) {
    if (const Entry* e = find(name)) return e->inputs;
    return std::nullopt;
}

std::unique_ptr<ImageFilter> make(std::string_view name, const FilterParameters& parameters) {
    const Entry* e = find(name);
    return e ? e->make(Inputs(e->inputs, parameters)) : nullptr;
}

}  // namespace ImageFilterRegistry
