#include "sim/FaultPlan.h"

namespace tavso::sim {

bool FaultPlanState::matches(const std::string& pattern, const std::string& command) {
    std::string text = pattern;
    bool atStart = !text.empty() && text.front() == '^';
    if (atStart) {
        text.erase(0, 1);
    }
    bool atEnd = !text.empty() && text.back() == '$';
    if (atEnd) {
        text.pop_back();
    }
    if (atStart && atEnd) {
        return command == text;
    }
    if (atStart) {
        return command.compare(0, text.size(), text) == 0;
    }
    if (atEnd) {
        return command.size() >= text.size() &&
               command.compare(command.size() - text.size(), text.size(), text) == 0;
    }
    return command.find(text) != std::string::npos;
}

void FaultPlanState::set(FaultPlan plan) {
    std::vector<Rule> rules;
    for (const auto& f : plan.rules) {
        Rule r;
        r.fault = f;
        r.busyLeft = f.busy;
        rules.push_back(std::move(r));
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_plan = std::move(plan);
    m_rules = std::move(rules);
}

FaultPlan FaultPlanState::get() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plan;
}

std::optional<CliFault> FaultPlanState::match(const std::string& command) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& r : m_rules) {
        if (r.fault.times > 0 && r.used >= r.fault.times) {
            continue;
        }
        if (r.fault.busy > 0 && r.busyLeft == 0 && r.fault.times == 0) {
            continue;  // a busy-only rule is spent once its busy answers are given
        }
        if (!r.fault.pattern.empty() && !matches(r.fault.pattern, command)) {
            continue;
        }
        ++r.used;
        CliFault out = r.fault;
        out.busy = r.busyLeft > 0 ? 1 : 0;
        if (r.busyLeft > 0) {
            --r.busyLeft;
        }
        return out;
    }
    return std::nullopt;
}

bool FaultPlanState::takeRefusedLogin() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_plan.refuseLogins > 0) {
        --m_plan.refuseLogins;
        return true;
    }
    return false;
}

bool FaultPlanState::tooManySessions() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plan.tooManySessions;
}

int FaultPlanState::exitAfterCommands() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plan.exitAfterCommands;
}

}  // namespace tavso::sim
