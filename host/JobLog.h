// Collects what the plug-in logs during one step, from any of its threads, and what the host
// itself has to say about the step (an array it was asked for and does not know).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "host/JobStore.h"

namespace tavso::host {

class JobLog {
  public:
    // Texts that must never be kept (the arrays' passwords): masked wherever they appear.
    explicit JobLog(std::vector<std::string> secrets = {});

    void add(int level, const std::string& tag, const std::string& text, int64_t volumeId);
    void noteUnknownArray(const std::string& arrayId);

    std::string mask(const std::string& text) const;
    std::vector<LogLine> lines() const;
    std::set<std::string> unknownArrays() const;

  private:
    std::vector<std::string> m_secrets;
    mutable std::mutex m_mutex;
    std::vector<LogLine> m_lines;
    std::set<std::string> m_unknownArrays;
};

}  // namespace tavso::host
