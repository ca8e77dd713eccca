// The platform debug log: a thread-safe line writer to the file named by TAVSO_DEBUG_LOG (none:
// lines are discarded). A line is written when its level is at most the threshold, the integer
// setting DEBUG_LEVEL of [~Dravel] (default 1): -1 errors, 0 information, 3 detail, 7 dumps.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TavDebugLog {
  public:
    // Created without a file of its own: writes to the process-wide debug log.
    TavDebugLog() = default;
    explicit TavDebugLog(std::string file) : m_file(std::move(file)) {}

    void Write(uint64_t jobId, const char* tag, int level, const std::string& text) const;
    void Print(const char* tag, int level, const char* format, ...) const
        __attribute__((format(printf, 4, 5)));
    void PrintJob(uint64_t jobId, const char* tag, int level, const char* format, ...) const
        __attribute__((format(printf, 5, 6)));

    // Whether a line of this level would be written (cheap check before a costly dump).
    static bool Enabled(int level);
    static int Threshold();

    // Tests: every line (whatever the threshold) also goes to the sink while one is set.
    using Sink =
        std::function<void(uint64_t jobId, const std::string& tag, int level, const std::string& text)>;
    static void SetSink(Sink sink);

  private:
    std::string m_file;
};
