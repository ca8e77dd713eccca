// The array CLI's command vocabulary: one definition per command (its words, parameters and
// confirmation form) and the handlers that run it against the model.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/ArrayModel.h"
#include "sim/CliFormat.h"
#include "sim/FaultPlan.h"

namespace tavso::sim {

using Params = std::map<std::string, std::string>;

// Per-session settings the commands change.
struct CliSessionSettings {
    std::string user;
    bool moreEnabled = true;
    bool silent = false;
    int64_t idleTimeoutMs = -1;  // -1: the array's default; 0: never
};

struct CommandContext {
    ArrayModel& model;
    const Params& params;
    CliSessionSettings& session;
};

// What a handler prints: plain lines, or a table (which the row filter then narrows).
struct CommandOutput {
    std::vector<std::string> lines;
    std::optional<Table> table;
};

using Handler = std::function<CommandOutput(CommandContext&)>;

struct CommandDef {
    std::string words;  // "show lun general"
    std::vector<std::string> required;
    std::vector<std::string> optional;
    Confirm confirm = Confirm::None;
    Handler run;
};

// Thrown by the parameter readers below; the interpreter prints "Invalid parameter: <name>".
struct ParamError {
    std::string name;
};

// Parameter readers.
uint32_t idParam(const CommandContext& c, const std::string& key);
std::vector<uint32_t> idListParam(const CommandContext& c, const std::string& key);
const std::string& textParam(const CommandContext& c, const std::string& key);
bool hasParam(const CommandContext& c, const std::string& key);
// One of the allowed values (compared case-insensitively), returned as given in `allowed`.
std::string choiceParam(const CommandContext& c, const std::string& key,
                        const std::vector<std::string>& allowed);

// Reply builders.
CommandOutput success();
CommandOutput errorReply(const std::string& text, const std::string& suggestion = "");
CommandOutput resultReply(const Result& r);  // success, or the result's error
CommandOutput tableReply(Table t);
CommandOutput propertiesReply(const Properties& p);

// Handlers, by family.
void addSessionCommands(std::vector<CommandDef>& out);
void addLunCommands(std::vector<CommandDef>& out);
void addMappingCommands(std::vector<CommandDef>& out);
void addCloneCommands(std::vector<CommandDef>& out);
void addNasCommands(std::vector<CommandDef>& out);

// The system summary of the welcome text and of "show system general".
Properties systemProperties(const SystemInfo& s);

// Every command, built once.
const std::vector<CommandDef>& commandTable();

}  // namespace tavso::sim
