// Captures the module debug log lines (every level, whatever the threshold) while it lives.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavso::test {

struct DebugLine {
    uint64_t jobId = 0;
    std::string tag;
    int level = 0;  // module debug log level
    std::string text;
    // The text without the "[Huawei-Log]:" prefix of Log.
    std::string message() const;
};

class DebugLogCapture {
  public:
    DebugLogCapture();
    ~DebugLogCapture();
    DebugLogCapture(const DebugLogCapture&) = delete;
    DebugLogCapture& operator=(const DebugLogCapture&) = delete;

    std::vector<DebugLine> lines() const;
    std::vector<std::string> messages() const;
    // Whether a line with exactly this message (prefix removed) was written (at this level, if given).
    bool logged(const std::string& message, std::optional<int> level = std::nullopt) const;
    bool loggedContaining(const std::string& fragment) const;
    void clear();

  private:
    mutable std::mutex m_lock;
    std::vector<DebugLine> m_lines;
};

}  // namespace tavso::test
