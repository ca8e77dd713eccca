#include "sim/CliCommands.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace tavso::sim {

namespace {

bool parseDecimal(const std::string& s, uint32_t& out) {
    if (s.empty() || s.size() > 10 ||
        !std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    unsigned long long v = std::stoull(s);
    if (v > UINT32_MAX) {
        return false;
    }
    out = static_cast<uint32_t>(v);
    return true;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

}  // namespace

const std::string& textParam(const CommandContext& c, const std::string& key) {
    auto it = c.params.find(key);
    if (it == c.params.end() || it->second.empty()) {
        throw ParamError{key};
    }
    return it->second;
}

bool hasParam(const CommandContext& c, const std::string& key) {
    return c.params.count(key) != 0;
}

uint32_t idParam(const CommandContext& c, const std::string& key) {
    uint32_t v = 0;
    if (!parseDecimal(textParam(c, key), v)) {
        throw ParamError{key};
    }
    return v;
}

std::vector<uint32_t> idListParam(const CommandContext& c, const std::string& key) {
    std::vector<uint32_t> out;
    std::stringstream in(textParam(c, key));
    std::string item;
    while (std::getline(in, item, ',')) {
        uint32_t v = 0;
        if (!parseDecimal(item, v)) {
            throw ParamError{key};
        }
        out.push_back(v);
    }
    if (out.empty() || textParam(c, key).back() == ',') {
        throw ParamError{key};
    }
    return out;
}

std::string choiceParam(const CommandContext& c, const std::string& key,
                        const std::vector<std::string>& allowed) {
    std::string v = lower(textParam(c, key));
    for (const auto& a : allowed) {
        if (lower(a) == v) {
            return a;
        }
    }
    throw ParamError{key};
}

CommandOutput success() {
    return CommandOutput{{"Command executed successfully."}, std::nullopt};
}

CommandOutput errorReply(const std::string& text, const std::string& suggestion) {
    return CommandOutput{
        {"Error: " + text,
         "Suggestion: " + (suggestion.empty() ? "Check the input and try again." : suggestion)},
        std::nullopt};
}

CommandOutput resultReply(const Result& r) {
    if (r.ok()) {
        return success();
    }
    return errorReply(r.text);
}

CommandOutput tableReply(Table t) {
    CommandOutput out;
    out.table = std::move(t);
    return out;
}

CommandOutput propertiesReply(const Properties& p) {
    return CommandOutput{renderProperties(p), std::nullopt};
}

const std::vector<CommandDef>& commandTable() {
    static const std::vector<CommandDef> table = [] {
        std::vector<CommandDef> t;
        addSessionCommands(t);
        addLunCommands(t);
        addMappingCommands(t);
        addCloneCommands(t);
        addNasCommands(t);
        return t;
    }();
    return table;
}

}  // namespace tavso::sim
