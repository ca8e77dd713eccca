#include "cli/HuaweiTavSsh2.h"

#include <openssl/evp.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "api/HuaweiSettings.h"
#include "cli/HuaeiParser.h"
#include "cli/Ssh2Library.h"
#include "platform/TavClock.h"
#include "platform/UboUtils.h"

namespace {

const char* const kTagConnect = "TavHuaweiSSHChannel::TavHuaweiSSHChannel";
const char* const kTagRead = "TavHuaweiSSHChannel::read";
const char* const kTagWrite = "TavHuaweiSSHChannel::write";
const char* const kTagExecute = "TavHuaweiSSHChannel::executeCommand";
const char* const kTagDisconnect = "TavHuaweiSSHChannel::Disconnect";
const char* const kTagKbd = "TavHuaweiSSHChannel::kbd_callback";

// Longest a single wait for the socket may take; the waited time is charged to the budget.
constexpr uint64_t kPollQuantumMs = 50;
constexpr size_t kChunk = 2048;
constexpr long kCloseTimeoutMs = 2000;
constexpr size_t kChunkBuffer = 2056;

void* my_libssh2_malloc(size_t count, void** /*abstract*/) {
    return std::malloc(count);
}
void* my_libssh2_realloc(void* ptr, size_t count, void** /*abstract*/) {
    return std::realloc(ptr, count);
}
void my_libssh2_free(void* ptr, void** /*abstract*/) {
    std::free(ptr);
}

bool endsWith(const std::string& text, const char* pattern) {
    size_t n = std::strlen(pattern);
    return text.size() >= n && text.compare(text.size() - n, n, pattern) == 0;
}

void logLine(HuaweiLogFunc log, void* context, const char* tag, TAVSO::LogLevel level, const char* format,
             ...) __attribute__((format(printf, 5, 6)));
void logLine(HuaweiLogFunc log, void* context, const char* tag, TAVSO::LogLevel level, const char* format,
             ...) {
    if (!log) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::string text = UboFormatV(format, args);
    va_end(args);
    log(tag, context, level, "%s", text.c_str());
}

std::string base64(const unsigned char* data, size_t length) {
    std::string out(4 * ((length + 2) / 3) + 1, '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]), data, static_cast<int>(length));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    while (!out.empty() && out.back() == '=') {
        out.pop_back();  // OpenSSH prints SHA256 fingerprints without padding
    }
    return out;
}

std::string printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 32 || c == 127) {
            out += UboFormat("\\x%02x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

TavHuaweiSSHChannel::TavHuaweiSSHChannel()
    : m_bConnected(false),
      m_pSession(nullptr),
      m_pChannel(nullptr),
      m_nTimeoutMs(0),
      m_bDisconnected(true),
      m_pfnLog(nullptr),
      m_pLogContext(nullptr),
      m_bChannelOpened(false),
      m_bSocketConnected(false) {}

TavHuaweiSSHChannel::~TavHuaweiSSHChannel() {
    Disconnect();
}

std::string TavHuaweiSSHChannel::SessionError() const {
    char* message = nullptr;
    int length = 0;
    int code = m_pSession ? libssh2_session_last_error(m_pSession, &message, &length, 0) : 0;
    return " [" + std::to_string(code) + ":" + Masked(message ? message : "") + "]";
}

bool TavHuaweiSSHChannel::HasControlCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 32 || c == 127) {
            return true;
        }
    }
    return false;
}

std::string TavHuaweiSSHChannel::Masked(const std::string& text) const {
    if (m_strPassword.empty()) {
        return text;
    }
    std::string out = text;
    size_t pos = 0;
    while ((pos = out.find(m_strPassword, pos)) != std::string::npos) {
        out.replace(pos, m_strPassword.size(), "******");
        pos += 6;
    }
    return out;
}

bool TavHuaweiSSHChannel::Connect(HuaweiLogFunc log, void* logContext, const std::string& host,
                                  const std::string& user, const std::string& password, uint32_t timeoutMs,
                                  std::string& version, std::string& error) {
    m_pfnLog = log;
    m_pLogContext = logContext;
    m_nTimeoutMs = timeoutMs;
    m_strHost = host;
    m_strUser = user;
    m_strPassword = password;

    if (!m_bDisconnected) {
        error = "[Huawei-Array connection found alive] trying to reconnect";
        return false;
    }
    logLine(m_pfnLog, m_pLogContext, kTagConnect, TAVSO::LOG_DETAIL, "connecting...[this - %x]",
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)));

    CUboIPAddr addr;
    CUboError netError;
    if (!CUboIPAddr::GetByName(host, 0, addr, netError)) {
        error = "[Huawei-Array connection] Failed to get IP address for server [" + host + "]. " +
                netError.AsString();
        return false;
    }
    int port = 22;
    if (GetRegInt(nullptr, "HW_CLI_PORT", &port) && port > 0 && port < 65536) {
        m_nPort = static_cast<uint16_t>(port);
    } else {
        m_nPort = 22;
    }
    addr.SetPort(m_nPort);
    std::string printableAddr = addr.ToString();
    if (!Socket(addr, netError)) {
        error = "[Huawei-Array connection] Failed to get a socket." + netError.AsString();
        return false;
    }
    if (!CUboSocket::Connect(addr, m_nTimeoutMs, netError)) {
        error = "[Huawei-Array connection] Failed to connect to server [" + printableAddr + "]. " +
                netError.AsString();
        Clear();
        return false;
    }
    m_bSocketConnected = true;
    int fd = GetDescriptor();

    int rc = Ssh2Library::Init();
    if (rc != 0) {
        error = UboFormat("[Huawei-Array connection] Failed to Initialize libssh2. [errpr %d]", rc);
        Disconnect();
        return false;
    }
    m_bLibInit = true;

    m_pSession = libssh2_session_init_ex(my_libssh2_malloc, my_libssh2_free, my_libssh2_realloc, this);
    if (!m_pSession) {
        error = "[Huawei-Array connection] Failed to start ssh2 session. [0:session could not be allocated]";
        Disconnect();
        return false;
    }
    m_bNonBlocking = false;
    m_bPeerClosed = false;
    m_nPeerErrno = 0;
    libssh2_session_callback_set(m_pSession, LIBSSH2_CALLBACK_RECV, reinterpret_cast<void*>(&ReceiveHook));
    if (libssh2_session_handshake(m_pSession, fd) != 0) {
        error = "[Huawei-Array connection] Failed to start ssh2 session." + SessionError();
        Disconnect();
        return false;
    }
    if (!CheckHostKey(error)) {
        Disconnect();
        return false;
    }

    char* methods = libssh2_userauth_list(m_pSession, user.c_str(), static_cast<unsigned>(user.size()));
    if (!methods) {
        // The server accepted the user without authentication, or refused to list methods.
        if (!libssh2_userauth_authenticated(m_pSession)) {
            error =
                "[Huawei-Array connection] Couldnt find suitable authentication methods. []" + SessionError();
            Disconnect();
            return false;
        }
    } else if (std::strstr(methods, "password")) {
        if (libssh2_userauth_password_ex(m_pSession, user.c_str(), static_cast<unsigned>(user.size()),
                                         password.c_str(), static_cast<unsigned>(password.size()),
                                         nullptr) != 0) {
            error = "[Huawei-Array connection] Failed to authenticate with username and password." +
                    SessionError();
            Disconnect();
            return false;
        }
    } else if (std::strstr(methods, "keyboard-interactive")) {
        if (libssh2_userauth_keyboard_interactive_ex(m_pSession, user.c_str(),
                                                     static_cast<unsigned>(user.size()), kbd_callback) != 0) {
            error = "[Huawei-Array connection] Failed to authenticate with keyboard interaction." +
                    SessionError();
            Disconnect();
            return false;
        }
    } else {
        error = "[Huawei-Array connection] Couldnt find suitable authentication methods. [" +
                std::string(methods) + "]";
        Disconnect();
        return false;
    }

    m_pChannel =
        libssh2_channel_open_ex(m_pSession, "session", sizeof("session") - 1, 2097152, 32768, nullptr, 0);
    if (!m_pChannel) {
        error = "[Huawei-Array connection] Failed to open channel." + SessionError();
        Disconnect();
        return false;
    }
    m_bChannelOpened = true;
    rc = libssh2_channel_request_pty_ex(m_pChannel, "vt100", 5, nullptr, 0, 80, 24, 0, 0);
    if (rc != 0) {
        error = "[Huawei-Array connection] REQUEST_PTY_FAILED: [" + std::to_string(rc) + "]";
        Disconnect();
        return false;
    }
    rc = libssh2_channel_process_startup(m_pChannel, "shell", 5, nullptr, 0);
    if (rc != 0) {
        error = "[Huawei-Array connection] SSH_REQUEST_SHELL_FAILED: [" + std::to_string(rc) + "]";
        Disconnect();
        return false;
    }
    libssh2_session_set_blocking(m_pSession, 0);
    m_bNonBlocking = true;
    m_strPrompt = user + ":/>";

    std::string welcome;
    if (!Read(welcome, error, true)) {
        Disconnect();
        return false;
    }
    m_bConnected = true;
    error.clear();
    m_bDisconnected = false;
    std::vector<_ObjectProp> props;
    if (HuaeiParser::ParseObjectProps(welcome.c_str(), props)) {
        HuaeiParser::GetObjProp(props, "Product Version", version);
        HuaeiParser::GetObjProp(props, "SN", m_strSerial);
    }
    logLine(m_pfnLog, m_pLogContext, kTagConnect, TAVSO::LOG_DETAIL,
            "[ %s - CLI connected successfully] [Version - %s] [SN - %s]", host.c_str(), version.c_str(),
            m_strSerial.c_str());
    return true;
}

bool TavHuaweiSSHChannel::CheckHostKey(std::string& error) {
    const char* hash = libssh2_hostkey_hash(m_pSession, LIBSSH2_HOSTKEY_HASH_SHA256);
    std::string fingerprint = hash ? "SHA256:" + base64(reinterpret_cast<const unsigned char*>(hash), 32)
                                   : std::string("SHA256:unknown");
    logLine(m_pfnLog, m_pLogContext, kTagConnect, TAVSO::LOG_INFO, "[%s] host key fingerprint [%s]",
            m_strHost.c_str(), fingerprint.c_str());

    std::string file;
    if (!GetRegString(nullptr, "HW_SSH_KNOWN_HOSTS", &file) || file.empty()) {
        return true;
    }
    size_t keyLength = 0;
    int keyType = 0;
    const char* key = libssh2_session_hostkey(m_pSession, &keyLength, &keyType);
    std::unique_ptr<LIBSSH2_KNOWNHOSTS, decltype(&libssh2_knownhost_free)> known(
        libssh2_knownhost_init(m_pSession), libssh2_knownhost_free);
    if (!known || libssh2_knownhost_readfile(known.get(), file.c_str(), LIBSSH2_KNOWNHOST_FILE_OPENSSH) < 0) {
        error = "[Huawei-Array connection] Failed to read known hosts file [" + file + "]." + SessionError();
        return false;
    }
    libssh2_knownhost* found = nullptr;
    int check =
        key ? libssh2_knownhost_checkp(known.get(), m_strHost.c_str(), m_nPort, key, keyLength,
                                       LIBSSH2_KNOWNHOST_TYPE_PLAIN | LIBSSH2_KNOWNHOST_KEYENC_RAW, &found)
            : LIBSSH2_KNOWNHOST_CHECK_FAILURE;
    if (check == LIBSSH2_KNOWNHOST_CHECK_MATCH) {
        return true;
    }
    error = "[Huawei-Array connection] Host key of server [" + m_strHost + "] " +
            (check == LIBSSH2_KNOWNHOST_CHECK_MISMATCH ? "does not match" : "is not listed in") +
            " known hosts file [" + file + "]. [" + fingerprint + "]";
    logLine(m_pfnLog, m_pLogContext, kTagConnect, TAVSO::LOG_ERROR, "%s", error.c_str());
    return false;
}

ssize_t TavHuaweiSSHChannel::ReceiveHook(libssh2_socket_t socket, void* buffer, size_t length, int flags,
                                         void** abstract) {
    auto* self = abstract ? static_cast<TavHuaweiSSHChannel*>(*abstract) : nullptr;
    ssize_t n = ::recv(socket, buffer, length, flags);
    if (n > 0) {
        // The shell echoes a command before it answers; a delayed acknowledgement of the echo
        // would hold the answer back at a sender that batches small segments.
        int one = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
        return n;
    }
    int err = n == 0 ? 0 : errno;
    if (n < 0 && (err == EAGAIN || err == EWOULDBLOCK || err == EINTR)) {
        return -EAGAIN;
    }
    if (!self || !self->m_bNonBlocking) {
        return n == 0 ? 0 : -err;  // while blocking, libssh2 must see the close to stop waiting
    }
    self->m_bPeerClosed = true;
    self->m_nPeerErrno = err;
    return -EAGAIN;
}

void TavHuaweiSSHChannel::WaitSocket(bool defaultWrite) {
    int fd = GetDescriptor();
    if (fd < 0 || m_bPeerClosed) {
        return;
    }
    int directions = m_pSession ? libssh2_session_block_directions(m_pSession) : 0;
    bool forWrite = defaultWrite;
    if (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) {
        forWrite = true;
    } else if (directions & LIBSSH2_SESSION_BLOCK_INBOUND) {
        forWrite = false;
    }
    tavso::clock().waitReadyMs(fd, forWrite, kPollQuantumMs);
}

void TavHuaweiSSHChannel::kbd_callback(const char* /*name*/, int /*nameLength*/, const char* /*instruction*/,
                                       int /*instructionLength*/, int numPrompts,
                                       const LIBSSH2_USERAUTH_KBDINT_PROMPT* prompts,
                                       LIBSSH2_USERAUTH_KBDINT_RESPONSE* responses, void** abstract) {
    auto* self = abstract ? static_cast<TavHuaweiSSHChannel*>(*abstract) : nullptr;
    if (!self || numPrompts <= 0) {
        return;
    }
    if (numPrompts > 1) {
        logLine(
            self->m_pfnLog, self->m_pLogContext, kTagKbd, TAVSO::LOG_INFO,
            "[Error] Encountered more than one challange for Keryboard interactive authentication [prompt "
            "count - %u]",
            static_cast<unsigned>(numPrompts));
        return;
    }
    const char* text = reinterpret_cast<const char*>(prompts[0].text);
    size_t length = prompts[0].length;
    if (text && length >= 9 && std::strncmp(text, "password:", 9) == 0) {
        const std::string& password = self->m_strPassword;
        char* answer = static_cast<char*>(std::malloc(password.size() + 1));
        if (!answer) {
            return;
        }
        std::memcpy(answer, password.data(), password.size());
        answer[password.size()] = '\0';
        responses[0].text = answer;
        responses[0].length = static_cast<unsigned>(password.size());
        return;
    }
    char shown[128] = {};
    if (text) {
        std::memcpy(shown, text, length < 127 ? length : 127);
    }
    logLine(self->m_pfnLog, self->m_pLogContext, kTagKbd, TAVSO::LOG_INFO,
            "[Error] unknown keyboard interactive authentication Propmpt - [%s]", shown);
}

bool TavHuaweiSSHChannel::Read(std::string& text, std::string& error, bool welcome) {
    text.clear();
    error.clear();
    // The budget is the time this read has taken on the installed clock: data that arrives does
    // not reset it, and every wait for the socket is charged as it happens.
    const uint64_t startMs = tavso::clock().nowMs();
    uint64_t idleMs = 0;
    if (!m_pChannel) {
        error = "Error reading stdout channel. [no channel]";
        return false;
    }
    for (;;) {
        char buffer[kChunkBuffer] = {};
        ssize_t n = libssh2_channel_read_ex(m_pChannel, 0, buffer, kChunk);
        if (n < 0 && n != LIBSSH2_ERROR_EAGAIN) {
            char* message = nullptr;
            int length = 0;
            int code = libssh2_session_last_error(m_pSession, &message, &length, 0);
            std::string detail = UboFormat("[bytes - %lld ] [error - %d] [%s]", static_cast<long long>(n),
                                           code, Masked(text).c_str());
            error = "Error reading stdout channel. [" + detail + ":" + (message ? message : "") + "]";
            return false;
        }
        bool atEof = false;
        if (n == LIBSSH2_ERROR_EAGAIN) {
            WaitSocket(false);
        } else if (n == 0) {
            atEof = libssh2_channel_eof(m_pChannel) != 0;
            if (!atEof) {
                WaitSocket(false);
            }
        }
        idleMs = tavso::clock().nowMs() - startMs;
        if (idleMs > m_nTimeoutMs) {
            error = "Error Timeout reading.";
            logLine(m_pfnLog, m_pLogContext, kTagRead, TAVSO::LOG_ERROR,
                    "[Error timeout][elapsed - %d] [ time-out - %d] %s", static_cast<int>(idleMs),
                    static_cast<int>(m_nTimeoutMs), Masked(text).c_str());
            return false;
        }
        if (n > 0) {
            text.append(buffer, ::strnlen(buffer, static_cast<size_t>(n)));
        }
        if (endsWith(text, m_strPrompt.c_str())) {
            break;
        }
        if (endsWith(text, "cli exit.\n") || endsWith(text, "cli exit.\r\n")) {
            Disconnect();
            break;
        }
        if (endsWith(text, "--More--")) {
            if (!Write(" ", error)) {
                return false;
            }
            text.resize(text.size() - 8);
        } else if (endsWith(text, "?(y/n)")) {
            if (welcome) {
                error = "Unexpected message found while reading welcome message[" + Masked(text) + "]";
                logLine(m_pfnLog, m_pLogContext, kTagRead, TAVSO::LOG_ERROR, "[Error - %s]", error.c_str());
                return false;
            }
            if (!Write("y\n", error)) {
                return false;
            }
            text.clear();
        } else if (endsWith(text, "try again later.\r\n")) {
            error = "Too many connections found . Unable to process the request now.";
            logLine(m_pfnLog, m_pLogContext, kTagRead, TAVSO::LOG_ERROR, "[Error - %s] %s", error.c_str(),
                    Masked(text).c_str());
            return false;
        }
        if (!atEof && n == LIBSSH2_ERROR_EAGAIN && m_bPeerClosed) {
            // Everything queued has been handed out and the connection is gone.
            error = "Error reading stdout channel. [connection closed by the array before the prompt" +
                    (m_nPeerErrno ? std::string(": ") + std::strerror(m_nPeerErrno) : std::string()) + "] [" +
                    Masked(text) + "]";
            logLine(m_pfnLog, m_pLogContext, kTagRead, TAVSO::LOG_ERROR, "[Error - %s]", error.c_str());
            return false;
        }
        if (atEof) {
            // The array closed the shell without a prompt: nothing more will come.
            error = "Error reading stdout channel. [end of stream reached before the prompt] [" +
                    Masked(text) + "]";
            logLine(m_pfnLog, m_pLogContext, kTagRead, TAVSO::LOG_ERROR, "[Error - %s]", error.c_str());
            return false;
        }
    }
    if (!NormalizeResultString(text, error)) {
        return false;
    }
    if (m_pChannel) {
        char discard[kChunkBuffer];
        libssh2_channel_read_ex(m_pChannel, 1, discard, sizeof discard);
    }
    return true;
}

bool TavHuaweiSSHChannel::NormalizeResultString(std::string& text, std::string& error) {
    if (text.empty()) {
        return true;
    }
    std::string out;
    try {
        out.reserve(text.size() + 1);
    } catch (const std::bad_alloc&) {
        error =
            "TavHuaweiSSHChannel::NormalizeResultString" + std::string("[ERROR] memory allocation failure");
        return false;
    }
    for (unsigned char c : text) {
        if (c == 8) {
            if (!out.empty() && out.back() != '\r' && out.back() != '\n') {
                out.pop_back();
            }
        } else if ((c >= 32 && c <= 126) || c == '\r' || c == '\n') {
            out += static_cast<char>(c);
        }
    }
    text.swap(out);
    return true;
}

bool TavHuaweiSSHChannel::Write(const std::string& data, std::string& error) {
    if (!m_pChannel) {
        error = "Error writing stdin channel. [no channel]";
        return false;
    }
    size_t length = ::strnlen(data.c_str(), data.size());
    size_t sent = 0;
    const uint64_t startMs = tavso::clock().nowMs();
    while (sent < length) {
        ssize_t n = libssh2_channel_write_ex(m_pChannel, 0, data.c_str() + sent, length - sent);
        if (n == LIBSSH2_ERROR_EAGAIN || n == 0) {
            WaitSocket(true);
        } else if (n < 0) {
            // A broken channel will not recover: waiting out the budget would only hide it.
            error = "Error writing stdin channel." + SessionError();
            logLine(m_pfnLog, m_pLogContext, kTagWrite, TAVSO::LOG_ERROR, "[Error] %s", Masked(data).c_str());
            return false;
        }
        if (tavso::clock().nowMs() - startMs > m_nTimeoutMs) {
            error = "Error Timeout reading.";
            logLine(m_pfnLog, m_pLogContext, kTagWrite, TAVSO::LOG_ERROR, "[Error timeout] %s",
                    Masked(data).c_str());
            return false;
        }
        if (n > 0) {
            sent += static_cast<size_t>(n);
        }
    }
    return true;
}

bool TavHuaweiSSHChannel::ExecuteCommand(const std::string& command, std::string& result,
                                         std::string& error) {
    if (m_bDisconnected) {
        logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_INFO, "[CLI found disconnected. ...]");
        return false;
    }
    if (HasControlCharacter(command)) {
        error = "[ERROR] Command refused: it holds a line break or another control character [" +
                printable(Masked(command)) + "]";
        logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_ERROR, "%s", error.c_str());
        return false;
    }
    std::string shown = Masked(command);
    logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_DETAIL, "[CLICOMMAND] %s", shown.c_str());
    if (!Write(command + "\n", error)) {
        logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_ERROR, "[Write ERROR] %s [%s]",
                shown.c_str(), error.c_str());
        Disconnect();
        return false;
    }
    std::string raw;
    if (!Read(raw, error, false)) {
        logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_ERROR, "[Read ERROR] %s [%s]", shown.c_str(),
                error.c_str());
        Disconnect();
        return false;
    }
    size_t start;
    if (raw.compare(0, command.size(), command) == 0) {
        start = command.size();
    } else if (!raw.empty() && raw[0] == 'y') {
        start = 1;
    } else {
        error = shown + " [ERROR output] " + Masked(raw);
        logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_ERROR, "[Read ERROR2] [%s]", error.c_str());
        return false;
    }
    while (start < raw.size() && (raw[start] == '\r' || raw[start] == '\n')) {
        ++start;
    }
    // The reply ends with the prompt, or with "cli exit." when the array closed the CLI; cutting the
    // prompt's length off the latter would eat the end of the reply.
    size_t tail = m_strPrompt.size();
    if (endsWith(raw, "cli exit.\r\n")) {
        tail = 11;
    } else if (endsWith(raw, "cli exit.\n")) {
        tail = 10;
    }
    size_t end = raw.size() >= tail ? raw.size() - tail : 0;
    result = end > start ? raw.substr(start, end - start) : std::string();
    if (command.find("user") == std::string::npos) {
        logLine(m_pfnLog, m_pLogContext, kTagExecute, TAVSO::LOG_DETAIL, "[CLIOUTPUT] %s",
                Masked(result).c_str());
    }
    return true;
}

bool TavHuaweiSSHChannel::Disconnect() {
    logLine(m_pfnLog, m_pLogContext, kTagDisconnect, TAVSO::LOG_DETAIL, "disconnecting [this - %x]...",
            static_cast<unsigned>(reinterpret_cast<uintptr_t>(this)));
    if (m_pSession) {
        // In non-blocking mode the frees below may answer "try again" and keep their memory;
        // closing runs blocking, bounded so that a stalled array cannot hold us.
        m_bNonBlocking = false;
        libssh2_session_set_timeout(m_pSession, kCloseTimeoutMs);
        libssh2_session_set_blocking(m_pSession, 1);
    }
    if (m_pChannel) {
        libssh2_channel_free(m_pChannel);
    }
    if (m_pSession) {
        if (m_bChannelOpened) {
            libssh2_session_disconnect_ex(m_pSession, SSH_DISCONNECT_BY_APPLICATION, "Good Bye", "");
            m_bChannelOpened = false;
        }
        libssh2_session_free(m_pSession);
    }
    if (m_bLibInit) {
        Ssh2Library::Exit();
        m_bLibInit = false;
    }
    if (m_bSocketConnected) {
        Close();
        m_bSocketConnected = false;
    }
    Clear();
    m_bConnected = false;
    m_pChannel = nullptr;
    m_pSession = nullptr;
    m_bDisconnected = true;
    return true;
}

bool TavHuaweiSSHChannel::Reconnect(std::string& error) {
    std::string version;
    std::string host = m_strHost, user = m_strUser, password = m_strPassword;
    return Connect(m_pfnLog, m_pLogContext, host, user, password, m_nTimeoutMs, version, error);
}

bool TavHuaweiSSHChannel::SendEOF() {
    if (!m_pChannel) {
        return true;
    }
    while (libssh2_channel_send_eof(m_pChannel) == LIBSSH2_ERROR_EAGAIN) {
        UboSleepMs(10);
    }
    return true;
}
