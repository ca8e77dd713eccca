// The array's command-line interface over SSH (libssh server API): listens on 127.0.0.1, one
// thread per session.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/TavClock.h"
#include "sim/ArrayModel.h"
#include "sim/FaultPlan.h"
#include "sim/FrontEnd.h"
#include "sim/Transcript.h"

namespace tavso::sim {

struct CliOptions {
    uint16_t port = 0;  // 0: any free port
    // A loopback address of its own lets several arrays share one CLI port, as real arrays do.
    std::string address = "127.0.0.1";
    bool keyboardInteractive = false;         // offer only keyboard-interactive login ...
    std::string kbdintPrompt = "password: ";  // ... with this prompt
    bool alsoPassword = false;                // with keyboardInteractive: offer password login too
    std::string welcomeQuestion;              // a confirmation question ending the welcome text
    int sessionLimit = 16;
    uint64_t idleTimeoutMs = 30ull * 60 * 1000;
    int pageLines = 20;
    std::string warning =
        "WARNING: You have accessed a system operated by Example Corp. Unauthorized access is prohibited.";
};

// What a session needs of its array.
struct CliBackend {
    ArrayModel& model;
    FaultPlanState& faults;
    Transcript& transcript;
    Clock& clock;
};

class CliServer : public FrontEnd {
  public:
    CliServer(CliBackend backend, CliOptions options);
    ~CliServer() override;
    CliServer(const CliServer&) = delete;
    CliServer& operator=(const CliServer&) = delete;

    // Binds and starts accepting; false with `error` set when the port cannot be had.
    bool start(std::string& error);
    void stop() override;
    std::string kind() const override { return "cli"; }
    uint16_t port() const override { return m_port; }
    int activeSessions() const { return m_active.load(); }

  private:
    struct Worker;
    void acceptLoop();
    void reapFinished();

    CliBackend m_backend;
    CliOptions m_options;
    int m_listenFd = -1;
    uint16_t m_port = 0;
    std::string m_hostKey;  // private key, base64, imported into each session
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_active{0};
    std::atomic<int> m_sessionCounter{0};
    std::thread m_acceptThread;
    std::mutex m_workersMutex;
    std::list<std::unique_ptr<Worker>> m_workers;
};

}  // namespace tavso::sim
