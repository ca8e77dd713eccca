#include "cli/HuaeiParser.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kPropSeparator = " : ";
const char* const kDeletedPrefix = "TAV_DEL_";

// Lines end at every CR and every LF; empty lines vanish.
std::vector<std::string> SplitLines(const char* text) {
    std::vector<std::string> lines;
    const char* p = text;
    while (*p) {
        size_t n = std::strcspn(p, "\r\n");
        if (n > 0) {
            lines.emplace_back(p, n);
        }
        p += n;
        while (*p == '\r' || *p == '\n') {
            ++p;
        }
    }
    return lines;
}

// A table: its columns and the rows after the first dash line.
struct Table {
    std::vector<ColumnInfo> columns;
    std::vector<std::string> rows;
    bool found = false;
};

Table ReadTable(const char* text) {
    Table t;
    for (auto& line : SplitLines(text)) {
        if (t.found) {
            t.rows.push_back(std::move(line));
        } else if (HuaeiParser::CheckandGetColumnInfo(line.c_str(), t.columns)) {
            t.found = true;
        }
    }
    if (!t.found) {
        t.columns.clear();
    }
    return t;
}

// The cut rule: when the second character after the column's extent is a space, the value ends at
// the start of the run of spaces reaching back from it (never before the column's start);
// otherwise it runs to the end of the row.
std::string CellValue(const std::string& row, const ColumnInfo& c) {
    size_t start = static_cast<size_t>(c.start);
    if (start >= row.size()) {
        return std::string();
    }
    size_t end = row.size();
    size_t probe = start + static_cast<size_t>(c.width) + 1;
    if (probe < row.size() && row[probe] == ' ') {
        end = probe;
        while (end > start && row[end - 1] == ' ') {
            --end;
        }
    }
    return row.substr(start, end - start);
}

bool ValidColumn(const Table& t, int column) {
    return column >= 0 && static_cast<size_t>(column) < t.columns.size();
}

// The row's text from offset up to the next space or the row's end.
std::string WordAt(const std::string& row, int offset) {
    size_t start = static_cast<size_t>(offset);
    if (start >= row.size()) {
        return std::string();
    }
    size_t end = row.find(' ', start);
    return row.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

bool HuaeiParser::ParseObjectProps(const char* text, std::vector<_ObjectProp>& props) {
    props.clear();
    if (!text || !std::strstr(text, kPropSeparator)) {
        return false;
    }
    for (const auto& line : SplitLines(text)) {
        size_t sep = line.find(kPropSeparator);
        if (sep == std::string::npos) {
            continue;
        }
        _ObjectProp prop;
        prop.name = line.substr(0, sep);
        prop.value = line.substr(sep + std::strlen(kPropSeparator));
        trimstring(prop.name);
        trimstring(prop.value);
        props.push_back(std::move(prop));
    }
    return true;
}

bool HuaeiParser::GetIndexByPropName(const std::vector<_ObjectProp>& props, const std::string& name,
                                     unsigned int& index) {
    for (size_t i = 0; i < props.size(); ++i) {
        if (props[i].name == name) {
            index = static_cast<unsigned int>(i);
            return true;
        }
    }
    return false;
}

bool HuaeiParser::GetObjProp(const std::vector<_ObjectProp>& props, const std::string& name,
                             std::string& value) {
    unsigned int index = 0;
    if (!GetIndexByPropName(props, name, index)) {
        return false;
    }
    value = props[index].value;
    return true;
}

bool HuaeiParser::CheckandGetColumnInfo(const char* line, std::vector<ColumnInfo>& columns) {
    columns.clear();
    if (!line) {
        return false;
    }
    std::string l = line;
    if (l.find_first_not_of(" -\r") != std::string::npos || l.find(" -") == std::string::npos) {
        return false;
    }
    // A carriage return ends the line; it is no part of the last column.
    size_t length = l.find('\r');
    l.resize(length == std::string::npos ? l.size() : length);
    size_t gap = l.find("  ");
    while (gap != std::string::npos) {
        size_t start = gap + 2;
        gap = l.find("  ", start);
        size_t end = gap == std::string::npos ? l.size() : gap;
        if (end > start) {
            columns.push_back(ColumnInfo{static_cast<int>(start), static_cast<int>(end - start)});
        }
    }
    return true;
}

bool HuaeiParser::GetValue(const char* text, int keyColumn, const std::string& keyValue, int wantedColumn,
                           std::string& value) {
    value.clear();
    if (!text) {
        return false;
    }
    Table t = ReadTable(text);
    if (!ValidColumn(t, keyColumn) || !ValidColumn(t, wantedColumn)) {
        return false;
    }
    size_t keyStart = static_cast<size_t>(t.columns[keyColumn].start);
    for (const auto& row : t.rows) {
        if (keyStart > row.size() || row.compare(keyStart, keyValue.size(), keyValue) != 0) {
            continue;
        }
        size_t after = keyStart + keyValue.size();
        if (after < row.size() && row[after] != ' ') {
            continue;
        }
        value = CellValue(row, t.columns[wantedColumn]);
        return true;
    }
    return false;
}

bool HuaeiParser::GetValueList(const char* text, int column, std::vector<std::string>& values) {
    values.clear();
    if (!text) {
        return false;
    }
    Table t = ReadTable(text);
    if (!ValidColumn(t, column)) {
        return true;
    }
    for (const auto& row : t.rows) {
        values.push_back(CellValue(row, t.columns[column]));
    }
    return true;
}

bool HuaeiParser::GetClumns(const char* text, std::vector<std::vector<std::string>>& rows) {
    rows.clear();
    if (!text) {
        return false;
    }
    Table t = ReadTable(text);
    for (const auto& row : t.rows) {
        std::vector<std::string> cells;
        cells.reserve(t.columns.size());
        for (const auto& c : t.columns) {
            cells.push_back(CellValue(row, c));
        }
        rows.push_back(std::move(cells));
    }
    return true;
}

void HuaeiParser::trimstring(std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) {
        text.clear();
        return;
    }
    size_t e = text.find_last_not_of(' ');
    text = text.substr(b, e - b + 1);
}

const char* HuaeiParser::GetResultStart(const char* text, const std::string& command) {
    if (!text) {
        return nullptr;
    }
    std::string echo = "#" + command;
    const char* at = std::strstr(text, echo.c_str());
    if (!at) {
        return text;
    }
    const char* lf = std::strchr(at, '\n');
    return lf ? lf + 1 : nullptr;
}

bool HuaeiParser::CheckSnapResults(unsigned int kind, const std::string& command, const char* text,
                                   std::vector<_HM_SnapParams>& snaps, int& successCount,
                                   std::string& error) {
    error.clear();
    if (!text) {
        return false;
    }
    if (!GetResultStart(text, command)) {
        error = std::string("CheckSnapResults") + "[ERROR - Unexpected cli result]" + text;
        return false;
    }
    for (auto& snap : snaps) {
        char sentence[128];
        if (kind == HUAWEI_SNAP_KIND_LUN) {
            std::snprintf(sentence, sizeof sentence, "Create snapshot of LUN %u successfully.",
                          snap.sourceId);
        } else if (kind == HUAWEI_SNAP_KIND_FS) {
            std::snprintf(sentence, sizeof sentence, "Create snapshot of file system %u successfully.",
                          snap.sourceId);
        } else {
            error = "[CheckSnapResults ERROR - Unexpected Snap type]";
            return false;
        }
        if (std::strstr(text, sentence)) {
            snap.status = "Snap Success";
            ++successCount;
        } else {
            snap.status = "Snapshot creation failure";
        }
    }
    return true;
}

bool HuaeiParser::GetOlderDeletedLUN(const char* text, std::string& lunId, unsigned int& count) {
    lunId.clear();
    count = 0;
    if (!text) {
        return false;
    }
    Table t = ReadTable(text);
    if (t.columns.size() < 2) {
        return true;
    }
    const size_t nameStart = static_cast<size_t>(t.columns[1].start);
    const size_t prefixLength = std::strlen(kDeletedPrefix);
    std::string oldest;
    for (const auto& row : t.rows) {
        if (nameStart > row.size() || row.compare(nameStart, prefixLength, kDeletedPrefix) != 0) {
            continue;
        }
        ++count;
        std::string name = WordAt(row, t.columns[1].start);
        if (count == 1 || name < oldest) {
            oldest = name;
            lunId = WordAt(row, t.columns[0].start);
        }
    }
    return true;
}
