// A plain libssh2 client for the simulator's own tests: one interactive shell session.
#pragma once

#include <libssh2.h>

#include <string>

namespace simtest {

class SshTestClient {
  public:
    SshTestClient() = default;
    ~SshTestClient();
    SshTestClient(const SshTestClient&) = delete;
    SshTestClient& operator=(const SshTestClient&) = delete;

    // Connects and logs in by password (or keyboard-interactive, answering every prompt with the
    // password); opens a vt100 pty and a shell. False when any step fails.
    bool open(int port, const std::string& user, const std::string& password, bool kbdint = false);
    // Reads until the text ends with `marker` (or contains it when `anywhere`); returns what came.
    std::string readUntil(const std::string& marker, int timeoutMs = 5000, bool anywhere = false);
    // Reads until the server closes the channel; returns what came.
    std::string readToEnd(int timeoutMs = 5000);
    bool send(const std::string& text);
    // Sends `line` + "\n" and reads to the next prompt; the echo included.
    std::string command(const std::string& line);
    bool closed() const { return m_eof; }
    const std::string& prompt() const { return m_prompt; }
    std::string kbdintPrompt() const { return m_kbdPrompt; }

  private:
    bool waitSocket(int timeoutMs);
    int m_fd = -1;
    LIBSSH2_SESSION* m_session = nullptr;
    LIBSSH2_CHANNEL* m_channel = nullptr;
    std::string m_prompt;
    std::string m_buffer;
    std::string m_kbdPrompt;
    bool m_eof = false;
};

}  // namespace simtest
