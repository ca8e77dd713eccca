// The host framework's buffer conventions: the caller passes its capacity (bytes, NUL included)
// in the length; on success the length comes back as the text's length. A text that does not fit
// is never cut (a cut device path or metadata string would name the wrong thing): the buffer gets
// an empty text and the length the size needed, NUL included.
#pragma once

#include <string>

namespace tavso::host {

enum class CopyResult { Ok, TooSmall, Invalid };

CopyResult copyOut(const std::string& text, char* buffer, short* length);
CopyResult copyOut(const std::string& text, char* buffer, int* length);

// Size needed for a text, NUL included, as a 16-bit length can carry it.
short neededShort(const std::string& text);

}  // namespace tavso::host
