// Session settings and the system summary.
#include <ctime>

#include "sim/CliCommands.h"

namespace tavso::sim {

namespace {

std::string wallTime() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%Y-%m-%d/%H:%M:%S UTC+00:00", &tm);
    return buf;
}

CommandOutput showUser(CommandContext& c) {
    Table t{{"Name", "Level", "Description"}, {}};
    c.model.with([&](const ArrayState& s) {
        for (const auto& u : s.users) {
            t.rows.push_back({u.name, u.level, u.description});
        }
    });
    return tableReply(std::move(t));
}

int64_t minutesParam(const CommandContext& c, const std::string& key) {
    uint32_t n = idParam(c, key);
    return static_cast<int64_t>(n) * 60000;
}

bool yesNo(const CommandContext& c, const std::string& key) {
    return choiceParam(c, key, {"yes", "no"}) == "yes";
}

CommandOutput changeCli(CommandContext& c) {
    if (c.params.empty()) {
        throw ParamError{"more_enabled"};
    }
    CliSessionSettings next = c.session;
    if (hasParam(c, "timeout")) {
        next.idleTimeoutMs = minutesParam(c, "timeout");
    }
    if (hasParam(c, "more_enabled")) {
        next.moreEnabled = yesNo(c, "more_enabled");
    }
    if (hasParam(c, "silent_enabled")) {
        next.silent = yesNo(c, "silent_enabled");
    }
    c.session = next;
    return success();
}

}  // namespace

Properties systemProperties(const SystemInfo& s) {
    return {{"System Name", s.name},
            {"Health Status", s.health},
            {"Running Status", s.running},
            {"Total Capacity", formatCapacity(s.totalCapacity)},
            {"SN", s.serial},
            {"Location", s.location},
            {"Product Model", s.productModel},
            {"Product Version", s.productVersion},
            {"Time", wallTime()}};
}

void addSessionCommands(std::vector<CommandDef>& out) {
    out.push_back({"show user", {}, {}, Confirm::None, showUser});
    out.push_back(
        {"change safe_strategy", {"session_expired_time"}, {}, Confirm::None, [](CommandContext& c) {
             c.session.idleTimeoutMs = minutesParam(c, "session_expired_time");
             return success();
         }});
    out.push_back(
        {"change cli", {}, {"timeout", "more_enabled", "silent_enabled"}, Confirm::None, changeCli});
    out.push_back({"show system general", {}, {}, Confirm::None, [](CommandContext& c) {
                       return propertiesReply(systemProperties(c.model.system()));
                   }});
}

}  // namespace tavso::sim
