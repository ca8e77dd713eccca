// Readers of the platform settings store's data-agent section ("~Dravel").
#pragma once

#include <string>

// True when the key exists and holds an integer; the value is untouched otherwise. A null or empty
// sub-section means the section itself.
bool GetRegInt(const char* subSection, const char* key, int* value);

// True when the key exists.
bool GetRegString(const char* subSection, const char* key, std::string* value);
