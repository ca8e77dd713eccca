#include "tests/sim/SshTestClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>

namespace simtest {

namespace {

struct KbdContext {
    std::string password;
    std::string prompt;
};

void kbdCallback(const char*, int, const char*, int, int numPrompts,
                 const LIBSSH2_USERAUTH_KBDINT_PROMPT* prompts, LIBSSH2_USERAUTH_KBDINT_RESPONSE* responses,
                 void** abstract) {
    auto* ctx = static_cast<KbdContext*>(*abstract);
    for (int i = 0; i < numPrompts; ++i) {
        ctx->prompt.assign(reinterpret_cast<const char*>(prompts[i].text), prompts[i].length);
        responses[i].text = strdup(ctx->password.c_str());
        responses[i].length = static_cast<unsigned>(ctx->password.size());
    }
}

uint64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

SshTestClient::~SshTestClient() {
    if (m_channel) {
        libssh2_session_set_blocking(m_session, 1);
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

bool SshTestClient::open(int port, const std::string& user, const std::string& password, bool kbdint) {
    static std::once_flag once;
    std::call_once(once, [] { libssh2_init(0); });
    m_prompt = user + ":/>";
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        return false;
    }
    KbdContext ctx{password, {}};
    m_session = libssh2_session_init_ex(nullptr, nullptr, nullptr, &ctx);
    libssh2_session_set_timeout(m_session, 5000);
    if (libssh2_session_handshake(m_session, m_fd) != 0) {
        return false;
    }
    int rc = kbdint ? libssh2_userauth_keyboard_interactive(m_session, user.c_str(), kbdCallback)
                    : libssh2_userauth_password(m_session, user.c_str(), password.c_str());
    m_kbdPrompt = ctx.prompt;
    if (rc != 0) {
        return false;
    }
    m_channel = libssh2_channel_open_session(m_session);
    if (!m_channel || libssh2_channel_request_pty(m_channel, "vt100") != 0 ||
        libssh2_channel_shell(m_channel) != 0) {
        return false;
    }
    libssh2_session_set_blocking(m_session, 0);
    return true;
}

bool SshTestClient::waitSocket(int timeoutMs) {
    pollfd p{m_fd, POLLIN, 0};
    int dir = libssh2_session_block_directions(m_session);
    if (dir & LIBSSH2_SESSION_BLOCK_OUTBOUND) {
        p.events |= POLLOUT;
    }
    return ::poll(&p, 1, timeoutMs) > 0;
}

std::string SshTestClient::readUntil(const std::string& marker, int timeoutMs, bool anywhere) {
    uint64_t deadline = nowMs() + static_cast<uint64_t>(timeoutMs);
    auto found = [&] {
        if (anywhere) {
            return m_buffer.find(marker) != std::string::npos;
        }
        return m_buffer.size() >= marker.size() &&
               m_buffer.compare(m_buffer.size() - marker.size(), marker.size(), marker) == 0;
    };
    while (!found() && !m_eof) {
        char buf[4096];
        ssize_t n = libssh2_channel_read(m_channel, buf, sizeof buf);
        if (n > 0) {
            m_buffer.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == LIBSSH2_ERROR_EAGAIN) {
            if (libssh2_channel_eof(m_channel)) {
                m_eof = true;
                break;
            }
            uint64_t now = nowMs();
            if (now >= deadline) {
                break;
            }
            waitSocket(static_cast<int>(deadline - now));
            continue;
        }
        m_eof = true;  // 0 at end of stream, or an error
    }
    std::string out;
    if (anywhere) {
        size_t at = m_buffer.find(marker);
        size_t cut = at == std::string::npos ? m_buffer.size() : at + marker.size();
        out = m_buffer.substr(0, cut);
        m_buffer.erase(0, cut);
    } else {
        out.swap(m_buffer);
    }
    return out;
}

std::string SshTestClient::readToEnd(int timeoutMs) {
    std::string out = readUntil("\x01\x02never", timeoutMs, true);
    return out;
}

bool SshTestClient::send(const std::string& text) {
    size_t done = 0;
    uint64_t deadline = nowMs() + 5000;
    while (done < text.size()) {
        ssize_t n = libssh2_channel_write(m_channel, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n == LIBSSH2_ERROR_EAGAIN && nowMs() < deadline) {
            waitSocket(50);
        } else {
            return false;
        }
    }
    return true;
}

std::string SshTestClient::command(const std::string& line) {
    if (!send(line + "\n")) {
        return {};
    }
    return readUntil(m_prompt);
}

}  // namespace simtest
