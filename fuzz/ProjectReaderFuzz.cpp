// libFuzzer entry for the project loader: any bytes must give a document or one error message,
// never a crash, a hang or a leak. A document that loads must survive a write and re-read.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "project/ProjectReader.h"
#include "project/ProjectWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto result = parseProject(std::string_view(reinterpret_cast<const char*>(data), size));
    if (result.document) {
        std::string text = projectText(*result.document);
        auto again = parseProject(text);
        if (!again.document || projectText(*again.document) != text) std::abort();
    } else if (result.error.empty()) {
        std::abort();
    }
    return 0;
}
