// The metadata parser on arbitrary stored text. Whatever it accepts must survive being written and
// read again unchanged: a record that shifts on the way would name another snapshot. (Empty shared
// addresses in front of the list are not written, as always; they carry nothing.)
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "api/HuaweiMetaData.h"

namespace {

bool SameRecord(const _MetaDataParams& a, const _MetaDataParams& b) {
    return a.arrayId == b.arrayId && a.sourceName == b.sourceName && a.targetName == b.targetName &&
           JoinSharedIps(a.sharedIps) == JoinSharedIps(b.sharedIps) && a.fsSnapType == b.fsSnapType &&
           a.sourceId == b.sourceId && a.fullClone == b.fullClone && a.engineId == b.engineId &&
           a.quotaName == b.quotaName &&
           (a.fsSnapType == 0 ? a.snapId == b.snapId : a.snapIdText == b.snapIdText);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    _MetaDataParams first;
    if (!GetMetaDataParams(nullptr, text.c_str(), &first)) {
        return 0;
    }
    std::vector<char> buffer(4096);
    if (first.snapIdText.size() > 1023 ||
        !ConstructMetaData(buffer.data(), static_cast<unsigned>(buffer.size()), &first)) {
        return 0;
    }
    _MetaDataParams second;
    if (!GetMetaDataParams(nullptr, buffer.data(), &second) || !SameRecord(first, second)) {
        __builtin_trap();
    }
    return 0;
}
