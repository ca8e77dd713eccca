// The two key:value readers and the path helpers on arbitrary host text. The first line is the
// key, the rest the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "api/HuaweiKeyValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t lf = input.find('\n');
    const std::string key = lf == std::string::npos ? std::string("hostPassword") : input.substr(0, lf);
    const std::string text = lf == std::string::npos ? input : input.substr(lf + 1);

    std::string value;
    if (parseJsonString(nullptr, text, key, value) && value.size() > 1023) {
        __builtin_trap();
    }
    std::string item;
    if (GetJsonVal(text, key, item) && text.find(key + ":" + item) == std::string::npos) {
        __builtin_trap();
    }
    getJsonVal(text, "Path", item);

    std::string path;
    RemoveEscapeChar(text, path);
    if (path.empty() || path.front() != '/') {
        __builtin_trap();
    }
    std::string share = text;
    CheckAndFixShareName(share);
    MaskPasswordItems(text);
    return 0;
}
