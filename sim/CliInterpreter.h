// Turns one command line into a command definition and its parameters, and runs it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/CliCommands.h"

namespace tavso::sim {

struct ParsedCommand {
    const CommandDef* def = nullptr;
    Params params;
    std::optional<RowFilter> filter;
    std::vector<std::string> error;  // the reply when the line does not parse
};

// Longest line the shell accepts.
constexpr size_t kMaxCommandLine = 4096;

ParsedCommand parseCommand(const std::string& line);
// The reply lines (without line ends) of a parsed command.
std::vector<std::string> runCommand(const ParsedCommand& cmd, ArrayModel& model, CliSessionSettings& session);

}  // namespace tavso::sim
