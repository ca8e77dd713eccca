#include "platform/UboUtils.h"

#include <cstdio>
#include <vector>

#include "platform/TavClock.h"

void UboSleepMs(uint64_t ms) {
    tavso::clock().sleepMs(ms);
}

std::string UboFormatV(const char* format, va_list args) {
    if (!format) {
        return std::string();
    }
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) {
        return std::string();
    }
    if (static_cast<size_t>(n) < sizeof small) {
        return std::string(small, static_cast<size_t>(n));
    }
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    return std::string(big.data(), static_cast<size_t>(n));
}

std::string UboFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = UboFormatV(format, args);
    va_end(args);
    return s;
}
