#include "core/settings.h"

#include <bit>

int BitCount(int32_t mask, int bits) {
    if (bits <= 0) {
        return 0;
    }
    uint32_t value = static_cast<uint32_t>(mask);
    if (bits < 32) {
        value &= (1u << bits) - 1u;
    }
    return std::popcount(value);
}
