// The array CLI's output layouts: tables, property lists, capacities and the row filter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavso::sim {

struct Table {
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;
};

using Properties = std::vector<std::pair<std::string, std::string>>;

// Lines (without line ends): an empty line, the header, the dash line and one line per row, every
// column as wide as its widest cell; an empty cell prints as "--". The last cell is not padded: a
// reader takes the last column to the end of the line.
std::vector<std::string> renderTable(const Table& t);
// "  <name padded> : <value>"; `indent` is false for the welcome text's summary.
std::vector<std::string> renderProperties(const Properties& p, bool indent = true);

// "10.000GB", "1.500TB" from 512-byte sectors.
std::string formatCapacity(uint64_t sectors);
// A whole number and a unit (KB, MB, GB, TB, PB; case-insensitive) into sectors; none on error.
std::optional<uint64_t> parseCapacity(const std::string& text);

struct RowFilter {
    std::string column;  // with "\s" already turned into spaces
    std::string value;
};
// Splits "cmd |filterRow column=.. predict=equal_to value=.." into the command and the filter.
// A malformed filter leaves `error` set to the parameter at fault.
struct SplitCommand {
    std::string command;
    std::optional<RowFilter> filter;
    std::string error;
};
SplitCommand splitRowFilter(const std::string& line);
// Keeps the rows whose cell in the filter's column equals its value; an unknown column keeps all.
void applyRowFilter(Table& t, const RowFilter& f);

}  // namespace tavso::sim
