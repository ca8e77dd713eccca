#include "host/BufferText.h"

#include <climits>
#include <cstring>

namespace tavso::host {

namespace {

template <class Len>
CopyResult copyOutImpl(const std::string& text, char* buffer, Len* length, long long maxLength) {
    if (length == nullptr) {
        return CopyResult::Invalid;
    }
    const long long capacity = *length;
    const long long needed = static_cast<long long>(text.size()) + 1;
    if (buffer == nullptr || capacity < needed) {
        if (buffer != nullptr && capacity > 0) {
            buffer[0] = '\0';
        }
        *length = static_cast<Len>(needed > maxLength ? maxLength : needed);
        return CopyResult::TooSmall;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    *length = static_cast<Len>(text.size());
    return CopyResult::Ok;
}

}  // namespace

CopyResult copyOut(const std::string& text, char* buffer, short* length) {
    return copyOutImpl(text, buffer, length, SHRT_MAX);
}

CopyResult copyOut(const std::string& text, char* buffer, int* length) {
    return copyOutImpl(text, buffer, length, INT_MAX);
}

short neededShort(const std::string& text) {
    const size_t needed = text.size() + 1;
    return static_cast<short>(needed > SHRT_MAX ? SHRT_MAX : needed);
}

}  // namespace tavso::host
