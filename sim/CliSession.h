// One SSH connection to the array CLI: login, the shell dialogue, paging, confirmations and the
// fault plan's misbehaviour. Runs on its own thread; never throws.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "sim/CliCommands.h"
#include "sim/CliServer.h"
#include "sim/SshHandles.h"

namespace tavso::sim {

class CliSession {
  public:
    CliSession(CliBackend backend, const CliOptions& options, SessionPtr session, int number,
               const std::atomic<bool>& stopping, std::atomic<int>& active);
    void run();

  private:
    enum class Input { Data, Closed };
    bool authenticate();
    void closeChannel();
    bool openShell();
    void shell();
    // Waits for input; Closed on end of stream, error, stop or idle time-out (the latter prints
    // "cli exit.").
    Input read(std::string& buffer);
    bool readLine(std::string& line);
    bool write(const std::string& text, const CliFault* fault = nullptr);
    bool writeReply(const std::vector<std::string>& lines, const CliFault* fault);
    // Asks the questions of `form`; false when an answer is not "y" or the session ends.
    bool confirm(Confirm form, bool& sessionOpen);
    uint64_t idleTimeout() const;

    CliBackend m_backend;
    const CliOptions& m_options;
    SessionPtr m_session;
    ChannelPtr m_channel;
    int m_number;
    const std::atomic<bool>& m_stopping;
    std::atomic<int>& m_active;
    CliSessionSettings m_settings;
    std::string m_pending;  // received but not yet consumed
    uint64_t m_lastInput = 0;
    bool m_closed = false;
};

}  // namespace tavso::sim
