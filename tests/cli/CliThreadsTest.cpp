// Eight sessions on eight threads against one simulated array.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdarg>
#include <string>
#include <thread>
#include <vector>

#include "api/HuaweiLog.h"
#include "cli/HuaweiCli.h"
#include "sim/ArrayModel.h"
#include "tests/cli/CliSimFixture.h"
#include "tests/cli/CliTestLog.h"

namespace {

// Counts the sessions inside the connection phase: "connecting..." opens it and the connected
// line closes it, both logged while the critical section is held.
std::atomic<int> g_inside{0};
std::atomic<int> g_maxInside{0};

void ProbeLog(const char* tag, void* context, TAVSO::LogLevel level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    char text[4096];
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string line = text;
    if (line.rfind("connecting...", 0) == 0) {
        int now = ++g_inside;
        int seen = g_maxInside.load();
        while (now > seen && !g_maxInside.compare_exchange_weak(seen, now)) {
        }
    } else if (line.find("CLI connected successfully") != std::string::npos) {
        --g_inside;
    }
    clitest::CaptureLog(tag, context, level, "%s", text);
}

TEST(CliThreads, ConnectionsAreSerialisedAndCommandsRunInParallel) {
    clitest::NotePassword(clitest::kPassword);
    clitest::SimCli sim;
    constexpr int kThreads = 8;
    TavCriticalSection cs;
    std::vector<std::unique_ptr<CHuaweiCli>> sessions;
    for (int i = 0; i < kThreads; ++i) {
        sessions.push_back(std::make_unique<CHuaweiCli>());
    }
    std::atomic<int> connected{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            std::string version, error;
            if (sessions[i]->init(sim.Params(), ProbeLog, nullptr, version, error, &cs)) {
                ++connected;
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    threads.clear();
    ASSERT_EQ(connected.load(), kThreads);
    EXPECT_EQ(g_maxInside.load(), 1);
    EXPECT_EQ(sim.ActiveSessions(), kThreads);

    // Commands take no lock: they complete while another thread holds the connection section.
    cs.enter(true);
    std::atomic<int> ok{0};
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            for (int n = 0; n < 5; ++n) {
                char* out = nullptr;
                uint32_t size = 0;
                std::string error;
                if (sessions[i]->ExecuteCommand("show system general", &out, &size, error) && out &&
                    std::string(out).find("Product Version") != std::string::npos) {
                    ++ok;
                }
                CHuaweiCli::freeCommandOutput(&out);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    cs.leave();
    EXPECT_EQ(ok.load(), kThreads * 5);
    EXPECT_EQ(sim.CountCommand("show system general"), kThreads * 5);
    sessions.clear();  // disconnect on this thread while others are gone: libssh2 exit balanced
}

}  // namespace
