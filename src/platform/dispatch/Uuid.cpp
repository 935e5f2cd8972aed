#include "platform/dispatch/Uuid.h"

#include <cstdio>
#include <mutex>
#include <random>

std::string makeUuidString() {
    static std::mutex mutex;
    static std::mt19937_64 engine{std::random_device{}()};
    uint64_t hi, lo;
    {
        std::lock_guard lock(mutex);
        hi = engine();
        lo = engine();
    }
    hi = (hi & ~0xF000ull) | 0x4000ull;                        // version 4
    lo = (lo & ~(0xC000ull << 48)) | (0x8000ull << 48);        // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", unsigned(hi >> 32),
                  unsigned((hi >> 16) & 0xFFFF), unsigned(hi & 0xFFFF), unsigned(lo >> 48),
                  (unsigned long long)(lo & 0xFFFFFFFFFFFFull));
    return text;
}
