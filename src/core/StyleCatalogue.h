#pragma once
// The fixed table from style to catalogue entry, built once on first use (a thread-safe static)
// and only read afterwards: any thread.

#include "core/ModelFilter.h"
#include "core/ModelFilterType.h"

namespace ModelFilterCatalogue {

// The entry of `type`; every type has one.
const ModelFilter& entry(ModelFilterType type);

}  // namespace ModelFilterCatalogue
