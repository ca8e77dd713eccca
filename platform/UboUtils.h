// The utility library's helpers: a millisecond sleep through the platform clock, and formatting.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

void UboSleepMs(uint64_t ms);
std::string UboFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string UboFormatV(const char* format, va_list args);
