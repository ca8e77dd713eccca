#include "tests/cli/CliTestLog.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <mutex>
#include <set>

#include "platform/TavDebugLog.h"
#include "platform/UboUtils.h"

namespace clitest {
namespace {

struct Record {
    std::mutex mutex;
    std::vector<LogLine> recent;
    std::vector<std::string> everything;
    std::set<std::string> passwords;
};

Record& record() {
    static Record r;
    return r;
}

void add(const std::string& tag, int level, const std::string& text) {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.recent.push_back({tag, level, text});
    r.everything.push_back(tag + " " + text);
}

// Installed once for the whole run; checks every text against every password at the end.
class PasswordAudit : public ::testing::Environment {
  public:
    void SetUp() override {
        TavDebugLog::SetSink([](uint64_t, const std::string& tag, int level, const std::string& text) {
            add(tag, level, text);
        });
    }
    void TearDown() override {
        TavDebugLog::SetSink(nullptr);
        Record& r = record();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (const auto& password : r.passwords) {
            for (const auto& text : r.everything) {
                EXPECT_EQ(text.find(password), std::string::npos) << "password leaked in: " << text;
            }
        }
    }
};

[[maybe_unused]] ::testing::Environment* const g_audit =
    ::testing::AddGlobalTestEnvironment(new PasswordAudit);

}  // namespace

void CaptureLog(const char* tag, void* /*context*/, TAVSO::LogLevel level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = UboFormatV(format, args);
    va_end(args);
    add(tag ? tag : "", level, text);
}

std::vector<LogLine> Lines() {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.recent;
}

void ClearLines() {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.recent.clear();
}

bool AnyLineContains(const std::string& text) {
    for (const auto& line : Lines()) {
        if (line.text.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void NoteText(const std::string& text) {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.everything.push_back(text);
}

void NotePassword(const std::string& password) {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.passwords.insert(password);
}

}  // namespace clitest
