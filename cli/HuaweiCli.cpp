#include "cli/HuaweiCli.h"

#include <openssl/crypto.h>

#include <cstdlib>
#include <cstring>

#include "cli/SSLCryptoThrd.h"
#include "platform/TavNamedMutex.h"
#include "platform/UboUtils.h"

namespace {
const char* const kBusy = "Error: The system is busy. Please try again later";
constexpr int kBusyAttempts = 5;
constexpr uint64_t kBusyPauseMs = 1000;
}  // namespace

CHuaweiCli::CHuaweiCli() : m_pfnCliLog(nullptr), m_pCliLogContext(nullptr), m_bCliInitialized(false) {}

CHuaweiCli::~CHuaweiCli() {
    Uninitialize();
}

bool CHuaweiCli::init(const _HuaweiCliParams& params, HuaweiLogFunc log, void* logContext,
                      std::string& version, std::string& error, TavCriticalSection* criticalSection) {
    const char* tag = "CHuaweiCli::init";
    m_CliParams = params;
    m_pfnCliLog = log;
    m_pCliLogContext = logContext;
    m_bCliInitialized = true;
    // Held for the whole set-up, as the platform expects of every SSH user in the process.
    CUboError mutexError;
    TavNamedMutex sshMutex("TAV_SSH2_Snap_Mutex", &mutexError, false);

    if (!CRYPTO_get_locking_callback() || !CRYPTO_get_id_callback()) {
        if (log) {
            log(tag, logContext, TAVSO::LOG_ERROR, "[Open SSL Crypto lib Lock-callback found NULL...] ");
        }
        g_HuaweiCryptoThread.MultiThreadSetup();
    } else if (log) {
        log(tag, logContext, TAVSO::LOG_DETAIL, "Open SSL Crypto lib [Lock-callback - %x] [id-callback - %x]",
            static_cast<unsigned>((uintptr_t)(CRYPTO_get_locking_callback())),
            static_cast<unsigned>((uintptr_t)(CRYPTO_get_id_callback())));
    }

    bool connected;
    {
        TavCriticalSectionLock lock(criticalSection);
        connected = Connect(log, logContext, m_CliParams.hostName, m_CliParams.userName, m_CliParams.password,
                            m_CliParams.cliTimeoutMs, version, error);
        if (!connected && !m_CliParams.failoverHostName.empty()) {
            if (log) {
                log(tag, logContext, TAVSO::LOG_ERROR,
                    "Connection attempt failed for [%s]. [%s] trying with failover [%s] ",
                    m_CliParams.hostName.c_str(), error.c_str(), m_CliParams.failoverHostName.c_str());
            }
            connected = Connect(log, logContext, m_CliParams.failoverHostName, m_CliParams.userName,
                                m_CliParams.password, m_CliParams.cliTimeoutMs, version, error);
        }
    }
    if (!connected && log) {
        log(tag, logContext, TAVSO::LOG_ERROR, "[error] Connection attempt failed for [%s]. Error [%s] ",
            m_CliParams.hostName.c_str(), error.c_str());
    }
    return connected;
}

bool CHuaweiCli::ExecuteCommand(const char* command, char** result, uint32_t* size, std::string& error) {
    if (!m_bCliInitialized) {
        error = "CHuaweiCli::ExecuteCommand [ERROR] uninitialized object";
        return false;
    }
    return ExecuteCommandSSH(command, result, size, error);
}

bool CHuaweiCli::ExecuteCommandSSH(const char* command, char** result, uint32_t* size, std::string& error) {
    if (result) {
        *result = nullptr;
    }
    if (!command || !result || !size) {
        error = "CHuaweiCli::ExecuteCommand [ERROR] invalid argument";
        return false;
    }
    m_strLastCommand = command;
    bool busy = false;
    for (int attempts = 0; attempts < kBusyAttempts;) {
        m_strLastResult.clear();
        const bool wasDisconnected = m_bDisconnected;
        if (!TavHuaweiSSHChannel::ExecuteCommand(m_strLastCommand, m_strLastResult, error) ||
            m_strLastResult.empty()) {
            // Every failure carries a reason: the operations hand it to the host as the error text.
            if (error.empty()) {
                error = wasDisconnected ? "The CLI session to the array is closed"
                        : m_bDisconnected
                            ? "The array closed the CLI session (cli exit.) instead of answering"
                            : "The array sent no reply to the command";
            }
            return false;
        }
        busy = m_strLastResult.find(kBusy) != std::string::npos;
        if (!busy) {
            break;
        }
        UboSleepMs(kBusyPauseMs);
        ++attempts;
    }
    if (busy) {
        error = kBusy;
        return false;
    }
    *size = static_cast<uint32_t>(m_strLastResult.size() + 1);
    char* copy = static_cast<char*>(std::calloc(*size, 1));
    if (!copy) {
        error = "Memory allocation error";
        return false;
    }
    std::memcpy(copy, m_strLastResult.data(), m_strLastResult.size());
    *result = copy;
    return true;
}

void CHuaweiCli::freeCommandOutput(char** result) {
    if (result && *result) {
        std::free(*result);
        *result = nullptr;
    }
}

void CHuaweiCli::DumpLastCLIActivity() {
    if (!m_pfnCliLog) {
        return;
    }
    m_pfnCliLog("CHuaweiCli", m_pCliLogContext, TAVSO::LOG_ERROR, "[Command] -[%s] ",
                Masked(m_strLastCommand).c_str());
    m_pfnCliLog("CHuaweiCli", m_pCliLogContext, TAVSO::LOG_ERROR, "[Result] -[%s] ",
                Masked(m_strLastResult).c_str());
}

void CHuaweiCli::Uninitialize() {
    Disconnect();
}
