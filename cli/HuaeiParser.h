// Reader of the array CLI's two reply shapes: tables (header, dash line, one row per object, columns
// aligned by spaces) and property lists ("name : value" lines). Stateless; the caller's text is
// only read. Reply text is outside input: no value of it makes the parser read past a row.
#pragma once

#include <string>
#include <vector>

#include "cli/HuaweiSnapParams.h"

struct _ObjectProp {
    std::string name;
    std::string value;
};

struct ColumnInfo {
    int start = 0;
    int width = 0;
};

// Kinds of snapshot-creation reply CheckSnapResults understands.
enum HuaweiSnapKind : unsigned int {
    HUAWEI_SNAP_KIND_LUN = 0,
    HUAWEI_SNAP_KIND_FS = 1,
};

class HuaeiParser {
  public:
    // Every line holding " : " becomes a property; false when the text holds none.
    static bool ParseObjectProps(const char* text, std::vector<_ObjectProp>& props);
    static bool GetIndexByPropName(const std::vector<_ObjectProp>& props, const std::string& name,
                                   unsigned int& index);
    static bool GetObjProp(const std::vector<_ObjectProp>& props, const std::string& name,
                           std::string& value);

    // True when the line is a dash line; columns then hold its column boundaries.
    static bool CheckandGetColumnInfo(const char* line, std::vector<ColumnInfo>& columns);

    // The wanted column of the first row whose key column holds exactly keyValue.
    static bool GetValue(const char* text, int keyColumn, const std::string& keyValue, int wantedColumn,
                         std::string& value);
    static bool GetValueList(const char* text, int column, std::vector<std::string>& values);
    static bool GetClumns(const char* text, std::vector<std::vector<std::string>>& rows);

    // Removes spaces (only ' ') at both ends.
    static void trimstring(std::string& text);

    // Where the reply to command starts within text (after the "#command" echo line); the text
    // itself when there is no echo, null when the echo has no line end after it.
    static const char* GetResultStart(const char* text, const std::string& command);

    // Marks each entry "Snap Success" or "Snapshot creation failure" from the per-object success
    // sentences and adds the successes to successCount.
    static bool CheckSnapResults(unsigned int kind, const std::string& command, const char* text,
                                 std::vector<_HM_SnapParams>& snaps, int& successCount, std::string& error);

    // Among the rows whose name (column 1) begins "TAV_DEL_", the ID (column 0) of the one with the
    // smallest name, and how many there are.
    static bool GetOlderDeletedLUN(const char* text, std::string& lunId, unsigned int& count);
};
