#pragma once
// The fixed table from style to catalogue entry, built once on first use (a thread-safe static)
// and only read afterwards: any thread.

#include "core/StyleFilter.h"
#include "core/StyleKind.h"

namespace StyleCatalogue {

// The entry of `type`; every type has one.
const StyleFilter& entry(StyleKind type);

}  // namespace StyleCatalogue
