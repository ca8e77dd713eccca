// The SSH shell channel to an array's CLI: one interactive shell, played like a person at a vt100.
#pragma once

#include <libssh2.h>

#include <cstdint>
#include <string>

#include "api/HuaweiLog.h"
#include "platform/UboNetwork.h"

class TavHuaweiSSHChannel : public CUboSocket {
  public:
    TavHuaweiSSHChannel();
    ~TavHuaweiSSHChannel();
    TavHuaweiSSHChannel(const TavHuaweiSSHChannel&) = delete;
    TavHuaweiSSHChannel& operator=(const TavHuaweiSSHChannel&) = delete;

    bool Connect(HuaweiLogFunc log, void* logContext, const std::string& host, const std::string& user,
                 const std::string& password, uint32_t timeoutMs, std::string& version, std::string& error);
    bool ExecuteCommand(const std::string& command, std::string& result, std::string& error);
    bool Read(std::string& text, std::string& error, bool welcome);
    bool Write(const std::string& data, std::string& error);
    static bool NormalizeResultString(std::string& text, std::string& error);
    bool Disconnect();
    bool Reconnect(std::string& error);
    bool SendEOF();

    static void kbd_callback(const char* name, int nameLength, const char* instruction, int instructionLength,
                             int numPrompts, const LIBSSH2_USERAUTH_KBDINT_PROMPT* prompts,
                             LIBSSH2_USERAUTH_KBDINT_RESPONSE* responses, void** abstract);

    // A command line must not carry a line end or another control byte: one would run a second
    // command on the array.
    static bool HasControlCharacter(const std::string& text);
    // The text with every occurrence of the password replaced, for logs and error texts.
    std::string Masked(const std::string& text) const;
    // Serial number read from the welcome text.
    const std::string& SerialNumber() const { return m_strSerial; }

  protected:
    bool m_bConnected;
    LIBSSH2_SESSION* m_pSession;
    LIBSSH2_CHANNEL* m_pChannel;
    uint32_t m_nTimeoutMs;
    std::string m_strPrompt;
    bool m_bDisconnected;
    std::string m_strHost;
    std::string m_strUser;
    std::string m_strPassword;
    HuaweiLogFunc m_pfnLog;
    void* m_pLogContext;
    bool m_bChannelOpened;
    bool m_bSocketConnected;

  private:
    bool CheckHostKey(std::string& error);
    // Waits at most one polling quantum for the socket, in the direction libssh2 is blocked on.
    void WaitSocket(bool defaultWrite);
    std::string SessionError() const;

    // libssh2 reports a closed socket before it hands out data it has already queued, so the
    // receive hook turns the close into "nothing yet" once the shell runs and remembers it.
    static ssize_t ReceiveHook(libssh2_socket_t socket, void* buffer, size_t length, int flags,
                               void** abstract);
    bool m_bNonBlocking = false;
    bool m_bPeerClosed = false;
    int m_nPeerErrno = 0;

    bool m_bLibInit = false;
    std::string m_strSerial;
    uint16_t m_nPort = 22;
};
