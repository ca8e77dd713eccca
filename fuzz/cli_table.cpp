// Table readers of the CLI parser on arbitrary reply text. The first two bytes choose the key and
// wanted columns (including out-of-range ones); the rest is the reply.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/HuaeiParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    int keyColumn = static_cast<int8_t>(data[0]) % 8;
    int wantedColumn = static_cast<int8_t>(data[1]) % 8;
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const char* t = text.c_str();

    std::vector<ColumnInfo> columns;
    HuaeiParser::CheckandGetColumnInfo(t, columns);

    std::vector<std::vector<std::string>> rows;
    HuaeiParser::GetClumns(t, rows);
    std::vector<std::string> list;
    HuaeiParser::GetValueList(t, wantedColumn, list);
    std::string value;
    // Keys seen in the table itself, so that matching rows are reached, plus a fixed one.
    if (!rows.empty() && !rows[0].empty()) {
        HuaeiParser::GetValue(t, keyColumn, rows[0][0], wantedColumn, value);
    }
    HuaeiParser::GetValue(t, keyColumn, "1", wantedColumn, value);
    std::string lunId;
    unsigned int count = 0;
    HuaeiParser::GetOlderDeletedLUN(t, lunId, count);
    if (count == 0 && !lunId.empty()) {
        __builtin_trap();
    }
    return 0;
}
