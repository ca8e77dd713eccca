#include "sim/CliInterpreter.h"

#include <algorithm>
#include <sstream>

namespace tavso::sim {

namespace {

std::vector<std::string> invalidCommand() {
    return errorReply("Invalid command.", "Enter a correct command. Enter \"help\" to view the command list.")
        .lines;
}

std::vector<std::string> invalidParameter(const std::string& name) {
    return errorReply("Invalid parameter: " + name + ".", "Enter a correct parameter.").lines;
}

bool printable(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
}

}  // namespace

ParsedCommand parseCommand(const std::string& line) {
    ParsedCommand out;
    if (line.size() > kMaxCommandLine || !printable(line)) {
        out.error = invalidCommand();
        return out;
    }
    SplitCommand split = splitRowFilter(line);
    std::stringstream in(split.command);
    std::vector<std::string> tokens;
    for (std::string t; in >> t;) {
        tokens.push_back(t);
    }
    std::string words;
    size_t i = 0;
    for (; i < tokens.size() && tokens[i].find('=') == std::string::npos; ++i) {
        words += (words.empty() ? "" : " ") + tokens[i];
    }
    for (const auto& def : commandTable()) {
        if (def.words == words) {
            out.def = &def;
        }
    }
    if (!out.def) {
        out.error = invalidCommand();
        return out;
    }
    if (!split.error.empty()) {
        out.error = invalidParameter(split.error);
        return out;
    }
    out.filter = split.filter;
    for (; i < tokens.size(); ++i) {
        size_t eq = tokens[i].find('=');
        std::string key = eq == std::string::npos ? tokens[i] : tokens[i].substr(0, eq);
        const auto& d = *out.def;
        bool known = std::find(d.required.begin(), d.required.end(), key) != d.required.end() ||
                     std::find(d.optional.begin(), d.optional.end(), key) != d.optional.end();
        if (eq == std::string::npos || eq == 0 || !known) {
            out.error = invalidParameter(key);
            return out;
        }
        out.params[key] = tokens[i].substr(eq + 1);
    }
    for (const auto& key : out.def->required) {
        auto it = out.params.find(key);
        if (it == out.params.end() || it->second.empty()) {
            out.error = invalidParameter(key);
            return out;
        }
    }
    return out;
}

std::vector<std::string> runCommand(const ParsedCommand& cmd, ArrayModel& model,
                                    CliSessionSettings& session) {
    if (!cmd.def || !cmd.error.empty()) {
        return cmd.error;
    }
    CommandOutput out;
    try {
        CommandContext ctx{model, cmd.params, session};
        out = cmd.def->run(ctx);
    } catch (const ParamError& e) {
        return invalidParameter(e.name);
    }
    if (!out.table) {
        return out.lines;
    }
    if (cmd.filter) {
        applyRowFilter(*out.table, *cmd.filter);
    }
    if (out.table->rows.empty()) {
        return {"Command executed successfully.", "No matching records."};
    }
    return renderTable(*out.table);
}

}  // namespace tavso::sim
