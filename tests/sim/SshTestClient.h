// A plain libssh2 shell client for the simulator's own tests: independent of the plug-in's
// transport, so a fault in one cannot hide a fault in the other.
#pragma once

#include <libssh2.h>

#include <cstdint>
#include <string>

namespace simtest {

class SshTestClient {
  public:
    SshTestClient() = default;
    ~SshTestClient();
    SshTestClient(const SshTestClient&) = delete;
    SshTestClient& operator=(const SshTestClient&) = delete;

    // Connects, logs in with the password and opens a pty shell; the welcome text up to the
    // first prompt is kept in welcome(). False with error() set on failure.
    bool open(uint16_t port, const std::string& user, const std::string& password);
    // Sends one line and returns everything up to the next prompt (echo included).
    std::string run(const std::string& line);
    // Sends raw bytes without waiting.
    bool send(const std::string& bytes);
    // Reads until `marker` appears or the peer closes; returns what was read.
    std::string readUntil(const std::string& marker, int timeoutMs = 5000);
    bool closedByPeer() const { return m_eof; }
    const std::string& welcome() const { return m_welcome; }
    const std::string& error() const { return m_error; }
    std::string prompt() const { return m_user + ":/>"; }

  private:
    int m_fd = -1;
    LIBSSH2_SESSION* m_session = nullptr;
    LIBSSH2_CHANNEL* m_channel = nullptr;
    std::string m_user;
    std::string m_welcome;
    std::string m_error;
    bool m_eof = false;
};

}  // namespace simtest
