// Property-list readers and the result checks of the CLI parser on arbitrary reply text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/HuaeiParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* t = text.c_str();

    std::vector<_ObjectProp> props;
    if (HuaeiParser::ParseObjectProps(t, props)) {
        for (const auto& p : props) {
            std::string value;
            unsigned int index = 0;
            if (!HuaeiParser::GetIndexByPropName(props, p.name, index) ||
                !HuaeiParser::GetObjProp(props, p.name, value) || value != props[index].value) {
                __builtin_trap();
            }
        }
    }
    std::string trimmed = text;
    HuaeiParser::trimstring(trimmed);
    if (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.back() == ' ')) {
        __builtin_trap();
    }

    const char* start = HuaeiParser::GetResultStart(t, "create snapshot general");
    if (start && (start < t || start > t + text.size())) {
        __builtin_trap();
    }
    std::vector<_HM_SnapParams> snaps(3);
    snaps[0].sourceId = 1;
    snaps[1].sourceId = 17;
    snaps[2].sourceId = 4294967295u;
    for (unsigned int kind = 0; kind < 3; ++kind) {
        int count = 0;
        std::string error;
        HuaeiParser::CheckSnapResults(kind, "create snapshot general", t, snaps, count, error);
    }
    return 0;
}
