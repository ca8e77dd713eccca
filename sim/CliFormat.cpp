#include "sim/CliFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tavso::sim {

namespace {

std::string pad(const std::string& s, size_t width) {
    return s + std::string(width - std::min(width, s.size()), ' ');
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) {
        return {};
    }
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

}  // namespace

std::vector<std::string> renderTable(const Table& t) {
    auto cell = [](const std::string& s) { return s.empty() ? std::string("--") : s; };
    std::vector<size_t> widths;
    for (const auto& h : t.headers) {
        widths.push_back(h.size());
    }
    for (const auto& row : t.rows) {
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i) {
            widths[i] = std::max(widths[i], cell(row[i]).size());
        }
    }
    auto line = [&](auto&& text) {
        std::string out = " ";
        for (size_t i = 0; i < widths.size(); ++i) {
            out += " " + (i + 1 < widths.size() ? pad(text(i), widths[i]) + " " : text(i));
        }
        return out;
    };
    std::vector<std::string> out{""};
    out.push_back(line([&](size_t i) { return t.headers[i]; }));
    out.push_back(line([&](size_t i) { return std::string(widths[i], '-'); }));
    for (const auto& row : t.rows) {
        out.push_back(line([&](size_t i) { return i < row.size() ? cell(row[i]) : std::string("--"); }));
    }
    return out;
}

std::vector<std::string> renderProperties(const Properties& p, bool indent) {
    size_t width = 0;
    for (const auto& [name, value] : p) {
        width = std::max(width, name.size());
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : p) {
        out.push_back((indent ? "  " : "") + pad(name, width) + " :" + (value.empty() ? "" : " " + value));
    }
    return out;
}

std::string formatCapacity(uint64_t sectors) {
    static const char* units[] = {"KB", "MB", "GB", "TB", "PB"};
    double v = static_cast<double>(sectors) / 2.0;  // KB
    size_t u = 0;
    while (v >= 1024.0 && u + 1 < sizeof units / sizeof *units) {
        v /= 1024.0;
        ++u;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f%s", v, units[u]);
    return buf;
}

std::optional<uint64_t> parseCapacity(const std::string& text) {
    size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        ++digits;
    }
    if (digits == 0 || digits > 12) {
        return std::nullopt;
    }
    std::string unit = text.substr(digits);
    std::transform(unit.begin(), unit.end(), unit.begin(), [](unsigned char c) { return std::toupper(c); });
    static const std::pair<const char*, uint64_t> units[] = {{"KB", 2},
                                                             {"MB", 2048},
                                                             {"GB", 2048ull * 1024},
                                                             {"TB", 2048ull * 1024 * 1024},
                                                             {"PB", 2048ull * 1024 * 1024 * 1024}};
    uint64_t n = std::stoull(text.substr(0, digits));
    for (const auto& [name, factor] : units) {
        if (unit == name) {
            if (n == 0 || n > UINT64_MAX / factor) {
                return std::nullopt;
            }
            return n * factor;
        }
    }
    return std::nullopt;
}

SplitCommand splitRowFilter(const std::string& line) {
    SplitCommand out;
    size_t bar = line.find('|');
    if (bar == std::string::npos) {
        out.command = trim(line);
        return out;
    }
    out.command = trim(line.substr(0, bar));
    std::string rest = trim(line.substr(bar + 1));
    static const std::string kFilter = "filterRow ";
    static const std::string kColumn = "column=";
    static const std::string kPredict = " predict=equal_to value=";
    if (rest.compare(0, kFilter.size(), kFilter) != 0) {
        out.error = "filterRow";
        return out;
    }
    rest = trim(rest.substr(kFilter.size()));
    size_t predict = rest.find(kPredict);
    if (rest.compare(0, kColumn.size(), kColumn) != 0 || predict == std::string::npos) {
        out.error = rest.compare(0, kColumn.size(), kColumn) != 0 ? "column" : "predict";
        return out;
    }
    RowFilter f;
    f.column = rest.substr(kColumn.size(), predict - kColumn.size());
    for (size_t pos; (pos = f.column.find("\\s")) != std::string::npos;) {
        f.column.replace(pos, 2, " ");
    }
    f.value = trim(rest.substr(predict + kPredict.size()));
    out.filter = f;
    return out;
}

void applyRowFilter(Table& t, const RowFilter& f) {
    auto col = std::find(t.headers.begin(), t.headers.end(), f.column);
    if (col == t.headers.end()) {
        return;
    }
    size_t i = static_cast<size_t>(col - t.headers.begin());
    auto& rows = t.rows;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](const std::vector<std::string>& r) {
                                  std::string c = i < r.size() && !r[i].empty() ? r[i] : "--";
                                  return c != f.value;
                              }),
               rows.end());
}

}  // namespace tavso::sim
