#include "core/StyleFilter.h"

#include <cstdlib>

#include "platform/image/ImageFilterRegistry.h"
#include "platform/log/Log.h"

StyleFilter::StyleFilter(std::string name) : name(std::move(name)) {}

StyleFilter::StyleFilter(std::string name, std::map<std::string, double> def,
                         std::map<std::string, ClosedRange> range, std::string fName)
    : name(std::move(name)), def(std::move(def)), range(std::move(range)), fName(std::move(fName)) {
    const auto known = ImageFilterRegistry::inputsOf(this->fName);
    if (!known) {
        logDebug("unknown image filter " + this->fName);
        std::abort();
    }
    for (const FilterInput& input : *known) {
        if (!this->range.contains(input.key)) continue;
        inputs.push_back(input.key);
        if (input.defaultValue) zero[input.key] = *input.defaultValue;
    }
}

std::optional<std::vector<std::string>> StyleFilter::controlledInputs() const {
    if (fName.empty() || inputs.empty()) return std::nullopt;
    return inputs;
}
