#include "sim/CliSession.h"

#include <chrono>
#include <sstream>

#include "sim/CliInterpreter.h"

namespace tavso::sim {

namespace {

constexpr size_t kMaxPending = 65536;
constexpr int kPollMs = 20;
constexpr int kCloseWaitMs = 2000;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) {
        return {};
    }
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// What the shell echoes of a line: its printable characters.
std::string echoOf(const std::string& line) {
    std::string out;
    for (unsigned char c : line) {
        if (c >= 0x20 && c != 0x7f) {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') {
            l.pop_back();
        }
        out.push_back(l);
    }
    return out;
}

// Counts this session among the array's open shells while it lives.
class ActiveCount {
  public:
    explicit ActiveCount(std::atomic<int>& n) : m_n(n), m_value(++n) {}
    ~ActiveCount() { --m_n; }
    int value() const { return m_value; }
    ActiveCount(const ActiveCount&) = delete;
    ActiveCount& operator=(const ActiveCount&) = delete;

  private:
    std::atomic<int>& m_n;
    int m_value;
};

}  // namespace

CliSession::CliSession(CliBackend backend, const CliOptions& options, SessionPtr session, int number,
                       const std::atomic<bool>& stopping, std::atomic<int>& active)
    : m_backend(backend),
      m_options(options),
      m_session(std::move(session)),
      m_number(number),
      m_stopping(stopping),
      m_active(active) {}

void CliSession::run() {
    try {
        if (ssh_handle_key_exchange(m_session.get()) != SSH_OK) {
            return;
        }
        if (authenticate() && openShell()) {
            shell();
        }
        if (m_channel && !m_closed) {
            closeChannel();
        }
        // libssh frees a session's channels on disconnect: let go of ours first.
        m_channel.reset();
        ssh_disconnect(m_session.get());
    } catch (...) {
        // A session's failure must not take the server down.
    }
}

void CliSession::closeChannel() {
    // Send end of file, then let the client close its side before the connection goes: a client
    // that sees the connection drop may lose the last reply it had not read yet.
    ssh_channel c = m_channel.get();
    ssh_channel_send_eof(c);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseWaitMs);
    char buf[256];
    while (!m_stopping && ssh_channel_is_open(c) && !ssh_channel_is_eof(c) &&
           std::chrono::steady_clock::now() < deadline) {
        if (ssh_channel_read_timeout(c, buf, sizeof buf, 0, kPollMs) < 0) {
            break;
        }
    }
    ssh_channel_close(c);
}

bool CliSession::authenticate() {
    ssh_session s = m_session.get();
    const int methods =
        m_options.keyboardInteractive ? SSH_AUTH_METHOD_INTERACTIVE : SSH_AUTH_METHOD_PASSWORD;
    ssh_set_auth_methods(s, methods);
    std::string kbdUser;
    for (int attempts = 0; attempts < 20 && !m_stopping;) {
        MessagePtr msg(ssh_message_get(s));
        if (!msg) {
            return false;
        }
        if (ssh_message_type(msg.get()) != SSH_REQUEST_AUTH) {
            ssh_message_reply_default(msg.get());
            continue;
        }
        const char* userText = ssh_message_auth_user(msg.get());
        std::string user = userText ? userText : "";
        std::string password;
        bool answered = false;
        int sub = ssh_message_subtype(msg.get());
        if (!m_options.keyboardInteractive && sub == SSH_AUTH_METHOD_PASSWORD) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
            const char* pw = ssh_message_auth_password(msg.get());
#pragma GCC diagnostic pop
            password = pw ? pw : "";
            answered = true;
        } else if (m_options.keyboardInteractive && sub == SSH_AUTH_METHOD_INTERACTIVE) {
            if (!ssh_message_auth_kbdint_is_response(msg.get())) {
                const char* prompts[] = {m_options.kbdintPrompt.c_str()};
                char echo[] = {0};
                kbdUser = user;
                ssh_message_auth_interactive_request(msg.get(), "", "", 1, prompts, echo);
                continue;
            }
            user = kbdUser;
            if (ssh_userauth_kbdint_getnanswers(s) == 1) {
                const char* a = ssh_userauth_kbdint_getanswer(s, 0);
                password = a ? a : "";
                answered = true;
            }
        }
        if (answered && m_backend.model.authenticate(user, password) &&
            !m_backend.faults.takeRefusedLogin()) {
            m_settings.user = user;
            ssh_message_auth_reply_success(msg.get(), 0);
            return true;
        }
        attempts += answered ? 1 : 0;
        ssh_message_auth_set_methods(msg.get(), methods);
        ssh_message_reply_default(msg.get());
    }
    return false;
}

bool CliSession::openShell() {
    ssh_session s = m_session.get();
    while (!m_stopping) {
        MessagePtr msg(ssh_message_get(s));
        if (!msg) {
            return false;
        }
        int type = ssh_message_type(msg.get());
        int sub = ssh_message_subtype(msg.get());
        if (type == SSH_REQUEST_CHANNEL_OPEN && sub == SSH_CHANNEL_SESSION && !m_channel) {
            m_channel.reset(ssh_message_channel_request_open_reply_accept(msg.get()));
            continue;
        }
        if (type == SSH_REQUEST_CHANNEL && m_channel &&
            (sub == SSH_CHANNEL_REQUEST_PTY || sub == SSH_CHANNEL_REQUEST_ENV ||
             sub == SSH_CHANNEL_REQUEST_WINDOW_CHANGE || sub == SSH_CHANNEL_REQUEST_SHELL)) {
            ssh_message_channel_request_reply_success(msg.get());
            if (sub == SSH_CHANNEL_REQUEST_SHELL) {
                return true;
            }
            continue;
        }
        ssh_message_reply_default(msg.get());
    }
    return false;
}

uint64_t CliSession::idleTimeout() const {
    return m_settings.idleTimeoutMs < 0 ? m_options.idleTimeoutMs
                                        : static_cast<uint64_t>(m_settings.idleTimeoutMs);
}

CliSession::Input CliSession::read(std::string& buffer) {
    char buf[4096];
    while (!m_stopping && !m_closed) {
        uint64_t timeout = idleTimeout();
        if (timeout > 0 && m_backend.clock.nowMs() - m_lastInput >= timeout) {
            write("cli exit.\r\n");
            return Input::Closed;
        }
        int n = ssh_channel_read_timeout(m_channel.get(), buf, sizeof buf, 0, kPollMs);
        if (n > 0) {
            buffer.append(buf, static_cast<size_t>(n));
            m_lastInput = m_backend.clock.nowMs();
            return Input::Data;
        }
        if (n < 0 || ssh_channel_is_eof(m_channel.get()) || !ssh_channel_is_open(m_channel.get())) {
            m_closed = true;
        }
    }
    return Input::Closed;
}

bool CliSession::readLine(std::string& line) {
    bool discarding = false;
    for (;;) {
        size_t end = m_pending.find_first_of("\r\n");
        if (end != std::string::npos) {
            if (!discarding) {
                line += m_pending.substr(0, end);
            }
            // "\r\n" is one line end.
            size_t skip =
                m_pending[end] == '\r' && end + 1 < m_pending.size() && m_pending[end + 1] == '\n' ? 2 : 1;
            m_pending.erase(0, end + skip);
            return true;
        }
        if (!discarding && line.size() + m_pending.size() > kMaxPending) {
            // Keep enough to be refused as overlong; drop the rest of the line.
            line += m_pending.substr(0, kMaxCommandLine + 1 - std::min(line.size(), kMaxCommandLine + 1));
            discarding = true;
        } else if (!discarding) {
            line += m_pending;
        }
        m_pending.clear();
        if (read(m_pending) != Input::Data) {
            return false;
        }
    }
}

bool CliSession::write(const std::string& text, const CliFault* fault) {
    size_t chunk = fault && fault->chunkSize > 0 ? fault->chunkSize : text.size();
    for (size_t pos = 0; pos < text.size(); pos += chunk) {
        if (pos > 0 && fault->chunkPauseMs > 0) {
            m_backend.clock.sleepMs(fault->chunkPauseMs);
        }
        size_t n = std::min(chunk, text.size() - pos);
        if (ssh_channel_write(m_channel.get(), text.data() + pos, static_cast<uint32_t>(n)) !=
            static_cast<int>(n)) {
            m_closed = true;
            return false;
        }
    }
    return true;
}

bool CliSession::writeReply(const std::vector<std::string>& lines, const CliFault* fault) {
    const size_t page = static_cast<size_t>(std::max(1, m_options.pageLines));
    bool paging = (m_settings.moreEnabled || (fault && fault->forcePaging)) && lines.size() > page;
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += lines[i] + "\r\n";
        if (paging && (i + 1) % page == 0 && i + 1 < lines.size()) {
            if (!write(text + "--More--", fault)) {
                return false;
            }
            text.clear();
            char key = 0;
            while (key != ' ' && key != 'q') {
                if (m_pending.empty() && read(m_pending) != Input::Data) {
                    return false;
                }
                key = m_pending[0];
                m_pending.erase(0, 1);
            }
            if (key == 'q') {
                text = "\r\n";
                break;
            }
        }
    }
    return write(text + m_settings.user + ":/>", fault);
}

bool CliSession::confirm(Confirm form, bool& sessionOpen) {
    std::vector<std::string> questions;
    std::string warning;
    if (form == Confirm::Caution) {
        warning = "CAUTION: You are about to perform this operation.";
        questions = {"Do you wish to continue?(y/n)"};
    } else {
        warning = "WARNING: This operation may cause data loss or service interruption.";
        questions = {"Have you read warning message carefully?(y/n)",
                     "Are you sure you really want to perform the operation?(y/n)"};
    }
    std::string text = warning + "\r\n";
    for (const auto& q : questions) {
        std::string answer;
        if (!write(text + q) || !readLine(answer)) {
            sessionOpen = false;
            return false;
        }
        m_backend.transcript.add(m_number, answer, true);
        text.clear();
        if (!write(echoOf(answer) + "\r\n")) {
            sessionOpen = false;
            return false;
        }
        if (trim(answer) != "y") {
            return false;
        }
    }
    return true;
}

void CliSession::shell() {
    ActiveCount active(m_active);
    if (m_backend.faults.tooManySessions() || active.value() > m_options.sessionLimit) {
        write("Too many users have logged in. Please try again later.\r\n");
        return;
    }
    m_lastInput = m_backend.clock.nowMs();
    std::string welcome = m_options.warning + "\r\n\r\n";
    for (const auto& l : renderProperties(systemProperties(m_backend.model.system()), false)) {
        welcome += l + "\r\n";
    }
    if (!write(welcome + m_settings.user + ":/>")) {
        return;
    }
    int commands = 0;
    for (;;) {
        std::string line;
        if (!readLine(line) || !write(echoOf(line) + "\r\n")) {
            return;
        }
        std::string cmd = trim(line);
        if (cmd.empty()) {
            if (!write(m_settings.user + ":/>")) {
                return;
            }
            continue;
        }
        m_backend.transcript.add(m_number, line);
        int exitAfter = m_backend.faults.exitAfterCommands();
        if (cmd == "exit" || (exitAfter > 0 && ++commands > exitAfter)) {
            write("cli exit.\r\n");
            return;
        }
        std::optional<CliFault> fault = m_backend.faults.match(cmd);
        std::vector<std::string> reply;
        if (fault && fault->busy) {
            reply = errorReply("The system is busy. Please try again later.", "Wait a moment and try again.")
                        .lines;
        } else if (fault && fault->canned) {
            reply = splitLines(*fault->canned);
        } else {
            ParsedCommand parsed = parseCommand(line.size() > kMaxCommandLine ? line : cmd);
            Confirm form = parsed.def ? parsed.def->confirm : Confirm::None;
            if (parsed.def && fault && fault->confirm) {
                form = *fault->confirm;
            }
            bool open = true;
            if (form != Confirm::None && !m_settings.silent && !confirm(form, open)) {
                if (!open) {
                    return;
                }
                reply = {"Command canceled."};
            } else {
                reply = runCommand(parsed, m_backend.model, m_settings);
            }
        }
        if (fault && fault->delayMs > 0) {
            m_backend.clock.sleepMs(fault->delayMs);
        }
        if (fault && fault->dropBeforeReply) {
            return;
        }
        if (!writeReply(reply, fault ? &*fault : nullptr) || (fault && fault->dropAfterReply)) {
            return;
        }
    }
}

}  // namespace tavso::sim
