// The lines each CLI session of an array received, in order, for tests to assert on.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace tavso::sim {

struct TranscriptEntry {
    int session = 0;      // 1 for the array's first session, rising
    std::string line;     // as received, without the line end
    bool answer = false;  // an answer to a confirmation question, not a command
};

class Transcript {
  public:
    void add(int session, std::string line, bool answer = false) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.push_back({session, std::move(line), answer});
    }
    std::vector<TranscriptEntry> entries() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries;
    }
    // The commands (no answers) of every session, or of one.
    std::vector<std::string> commands(int session = 0) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::string> out;
        for (const auto& e : m_entries) {
            if (!e.answer && (session == 0 || e.session == session)) {
                out.push_back(e.line);
            }
        }
        return out;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.clear();
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<TranscriptEntry> m_entries;
};

}  // namespace tavso::sim
