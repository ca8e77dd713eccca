// How a simulated array's CLI misbehaves on purpose: rules per command pattern, and rules for
// logins and sessions. Model-level faults (batch failures, activation refused, slow restores and
// synchronisations) live in ModelFaults, shared with the REST front end.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavso::sim {

enum class Confirm { None, Caution, Warning };

struct CliFault {
    // Text searched in the command line; a leading "^" anchors it at the start, a trailing "$"
    // at the end; empty matches every command.
    std::string pattern;
    int times = 0;  // how many matching commands the rule applies to; 0: every one

    int busy = 0;                       // the first `busy` matches answer "The system is busy" (not executed)
    bool forcePaging = false;           // page this reply even with more_enabled=no
    std::optional<Confirm> confirm;     // questions to ask instead of the command's own
    uint64_t delayMs = 0;               // before the reply, on the array's clock
    size_t chunkSize = 0;               // reply written in pieces of this many bytes ...
    uint64_t chunkPauseMs = 0;          // ... with this pause between them
    bool dropBeforeReply = false;       // run the command, then close without a reply
    bool dropAfterReply = false;        // reply and prompt, then close
    std::optional<std::string> canned;  // printed (lines split on '\n') instead of running it
};

struct FaultPlan {
    std::vector<CliFault> rules;
    int exitAfterCommands = 0;     // a session's command after this many answers "cli exit."
    int refuseLogins = 0;          // the next N logins fail whatever the password
    bool tooManySessions = false;  // every login gets the session-limit answer
};

// The plan of one array, shared by its sessions; counters move under the lock.
class FaultPlanState {
  public:
    void set(FaultPlan plan);
    FaultPlan get() const;

    // The first rule that matches the command and still has uses; busy counts down per rule.
    // `busy` in the returned copy is 1 when this command is to answer busy, else 0.
    std::optional<CliFault> match(const std::string& command);
    bool takeRefusedLogin();
    bool tooManySessions() const;
    int exitAfterCommands() const;

  private:
    static bool matches(const std::string& pattern, const std::string& command);
    struct Rule {
        CliFault fault;
        int used = 0;
        int busyLeft = 0;
    };
    mutable std::mutex m_mutex;
    FaultPlan m_plan;
    std::vector<Rule> m_rules;
};

}  // namespace tavso::sim
