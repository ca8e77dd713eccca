#include "tests/sim/SshTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>

namespace simtest {

namespace {
std::once_flag g_init;
}

SshTestClient::~SshTestClient() {
    if (m_channel) {
        libssh2_channel_free(m_channel);
    }
    if (m_session) {
        libssh2_session_disconnect(m_session, "bye");
        libssh2_session_free(m_session);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool SshTestClient::open(uint16_t port, const std::string& user, const std::string& password) {
    std::call_once(g_init, [] { libssh2_init(0); });
    m_user = user;
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        m_error = "connect failed";
        return false;
    }
    m_session = libssh2_session_init();
    libssh2_session_set_blocking(m_session, 1);
    if (libssh2_session_handshake(m_session, m_fd) != 0) {
        m_error = "handshake failed";
        return false;
    }
    if (libssh2_userauth_password(m_session, user.c_str(), password.c_str()) != 0) {
        char* msg = nullptr;
        libssh2_session_last_error(m_session, &msg, nullptr, 0);
        m_error = std::string("login failed: ") + (msg ? msg : "");
        return false;
    }
    m_channel = libssh2_channel_open_session(m_session);
    if (!m_channel || libssh2_channel_request_pty(m_channel, "vt100") != 0 ||
        libssh2_channel_shell(m_channel) != 0) {
        m_error = "shell failed";
        return false;
    }
    libssh2_session_set_blocking(m_session, 0);
    m_welcome = readUntil(prompt());
    return m_welcome.find(prompt()) != std::string::npos;
}

bool SshTestClient::send(const std::string& bytes) {
    size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < bytes.size() && std::chrono::steady_clock::now() < deadline) {
        ssize_t n = libssh2_channel_write(m_channel, bytes.data() + done, bytes.size() - done);
        if (n == LIBSSH2_ERROR_EAGAIN) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
            continue;
        }
        if (n < 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return done == bytes.size();
}

std::string SshTestClient::readUntil(const std::string& marker, int timeoutMs) {
    std::string out;
    char buf[4096];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        ssize_t n = libssh2_channel_read(m_channel, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            if (!marker.empty() && out.find(marker) != std::string::npos) {
                break;
            }
            continue;
        }
        if (n == LIBSSH2_ERROR_EAGAIN || n == 0) {
            if (libssh2_channel_eof(m_channel)) {
                m_eof = true;
                break;
            }
            pollfd p{m_fd, POLLIN, 0};
            ::poll(&p, 1, 20);
            continue;
        }
        m_eof = true;
        break;
    }
    return out;
}

std::string SshTestClient::run(const std::string& line) {
    if (!send(line + "\n")) {
        return std::string();
    }
    // The echo carries the line itself; the reply ends at the next prompt after it.
    std::string out = readUntil(prompt());
    while (!m_eof && out.rfind(prompt()) < line.size()) {
        out += readUntil(prompt());
    }
    return out;
}

}  // namespace simtest
