#include "cli/HuaweiManagerCliBase.h"

#include <cstring>

#include "api/HuaweiSettings.h"
#include "cli/HuaeiParser.h"
#include "platform/UboUtils.h"

namespace {
const char* const kTagInit = "Init";
const char* const kTagGeneral = "CHuaweiManager::ExecuteCommandGeneral";
const char* const kTagGeneral2 = "CHuaweiManager::ExecuteCommandGeneral2";
const char* const kTagValue = "CHuaweiManager::GetValueByCommand";
const char* const kTagValueList = "CHuaweiManager::GetValueListByCommand";
const char* const kTagColumns = "CHuaweiManager::GetColumnsOfaRow";

constexpr int32_t kDefaultWaitRepeatMs = 500;
constexpr int32_t kRetryPauseMs = 5;

bool hasSuccessSentence(const std::string& reply) {
    return reply.find("successfully.") != std::string::npos ||
           reply.find("has been added to") != std::string::npos ||
           reply.find("The pair is in the normal state.") != std::string::npos;
}

// Releases a session result buffer on every path.
class CommandOutput {
  public:
    CommandOutput() = default;
    ~CommandOutput() { CHuaweiCli::freeCommandOutput(&m_text); }
    CommandOutput(const CommandOutput&) = delete;
    CommandOutput& operator=(const CommandOutput&) = delete;
    char** Slot() {
        CHuaweiCli::freeCommandOutput(&m_text);
        return &m_text;
    }
    std::string Text() const { return m_text ? m_text : ""; }

  private:
    char* m_text = nullptr;
};
}  // namespace

CHuaweiManagerCliBase::CHuaweiManagerCliBase()
    : m_pfnMgrLog(nullptr),
      m_pMgrLogContext(nullptr),
      m_bInitialized(false),
      m_nWaitRepeatMs(kDefaultWaitRepeatMs),
      m_bNewFirmware(false) {}

CHuaweiManagerCliBase::~CHuaweiManagerCliBase() {
    Uninitialize();
}

void CHuaweiManagerCliBase::Uninitialize() {
    CHuaweiCli::Uninitialize();
}

void CHuaweiManagerCliBase::Fail(const char* tag, const std::string& error) {
    m_strLastError = error;
    if (m_pfnMgrLog) {
        m_pfnMgrLog(tag, m_pMgrLogContext, TAVSO::LOG_ERROR, "%s", Masked(error).c_str());
    }
}

bool CHuaweiManagerCliBase::Init(TavCriticalSection* criticalSection, const _HuaweiCliParams& params,
                                 HuaweiLogFunc log, void* logContext) {
    m_Params = params;
    m_pfnMgrLog = log;
    m_pMgrLogContext = logContext;
    m_bInitialized = false;
    m_nWaitRepeatMs = kDefaultWaitRepeatMs;
    m_bNewFirmware = false;

    if (!init(m_Params, log, logContext, m_strFirmwareVersion, m_strLastError, criticalSection)) {
        return false;
    }
    if (m_Params.ignoreFirmwareCheck) {
        if (log) {
            log("CHuaweiManager::Init", logContext, TAVSO::LOG_DETAIL, "Ingnoring firmware check [%s] ",
                m_strFirmwareVersion.c_str());
        }
    } else if (m_strFirmwareVersion != "V200R002C00") {
        Fail(kTagInit, "[ERROR] Unsupported Huawei Firmware version [ " + m_strFirmwareVersion + "]");
        Disconnect();
        return false;
    }
    if (m_strFirmwareVersion >= "V300R003C00") {
        m_bNewFirmware = true;
    }

    std::string level;
    std::string userQuery = "show user |filterRow column=Name predict=equal_to value=" + m_Params.userName;
    if (!GetValueByCommand(userQuery.c_str(), 0, m_Params.userName.c_str(), 1, level, false)) {
        Fail(kTagInit, m_strLastError);
        Disconnect();
        return false;
    }
    if (level == "Guest") {
        Fail(kTagInit, "[ERROR] User privileges insufficient [ " + m_Params.userName + "]");
        Disconnect();
        return false;
    }

    static const struct {
        const char* command;
        const char* error;
    } kSessionOptions[] = {
        {"change safe_strategy session_expired_time=100", "[ERROR] Changing Max-timeout"},
        {"change cli timeout=100", "[ERROR] Setting timeout"},
        {"change cli more_enabled=no", "[ERROR] Disabling 'more'."},
    };
    for (const auto& option : kSessionOptions) {
        if (!ExecuteCommandGeneral(option.command)) {
            Fail(kTagInit, option.error);
            Disconnect();
            return false;
        }
    }

    int waitRepeat = 0;
    if (GetRegInt(nullptr, "HW_WAIT_REPEAT_MS", &waitRepeat)) {
        m_nWaitRepeatMs = waitRepeat;
        if (log) {
            log(kTagInit, logContext, TAVSO::LOG_INFO, "found reg-key HW_WAIT_REPEAT_MS %d MS",
                m_nWaitRepeatMs);
        }
        if (m_nWaitRepeatMs < 0) {
            m_nWaitRepeatMs = kDefaultWaitRepeatMs;
            if (log) {
                log(kTagInit, logContext, TAVSO::LOG_INFO, "Invalid HW_WAIT_REPEAT_MS adjusted to %d",
                    m_nWaitRepeatMs);
            }
        }
    }
    m_bInitialized = true;
    return true;
}

bool CHuaweiManagerCliBase::RunCommand(const char* command, std::string& reply) {
    CommandOutput output;
    uint32_t size = 0;
    std::string error;
    bool ok = ExecuteCommand(command, output.Slot(), &size, error);
    reply = output.Text();
    if (!ok || reply.empty() || !error.empty()) {
        m_strLastError = error;
        return false;
    }
    return true;
}

void CHuaweiManagerCliBase::FailMissing(const char* tag, const char* error, const char* command) {
    m_strLastError = error;
    if (m_pfnMgrLog) {
        m_pfnMgrLog(tag, m_pMgrLogContext, TAVSO::LOG_ERROR, "[%s] [%s]", error, Masked(command).c_str());
    }
}

bool CHuaweiManagerCliBase::ReplyHasError(const std::string& reply, const char* tag) {
    if (reply.find("Error:") == std::string::npos) {
        return false;
    }
    Fail(tag, "[ERROR]" + reply);
    return true;
}

bool CHuaweiManagerCliBase::ExecuteCommandGeneral(const char* command) {
    return ExecuteCommandGeneral2(command, nullptr);
}

bool CHuaweiManagerCliBase::ExecuteCommandGeneral2(const char* command, const char* accepted) {
    std::string reply;
    if (!RunCommand(command, reply)) {
        return false;
    }
    if (hasSuccessSentence(reply) || (accepted && reply.find(accepted) != std::string::npos)) {
        return true;
    }
    Fail(accepted ? kTagGeneral2 : kTagGeneral, "[ERROR]" + reply);
    return false;
}

bool CHuaweiManagerCliBase::GetValueByCommand(const char* command, int keyColumn, const char* keyValue,
                                              int wantedColumn, std::string& value, bool retry) {
    if (m_pfnMgrLog) {
        m_pfnMgrLog(kTagValue, m_pMgrLogContext, TAVSO::LOG_DETAIL,
                    "[%s] [Key-column - %u] [Key-Cal - %s] [req-Column - %u]", Masked(command).c_str(),
                    static_cast<unsigned>(keyColumn), keyValue ? keyValue : "",
                    static_cast<unsigned>(wantedColumn));
    }
    int32_t waited = 0;
    for (;;) {
        std::string reply;
        if (!RunCommand(command, reply)) {
            return false;
        }
        if (ReplyHasError(reply, kTagValue)) {
            return false;
        }
        value.clear();
        if (HuaeiParser::GetValue(reply.c_str(), keyColumn, keyValue ? keyValue : "", wantedColumn, value) &&
            !value.empty()) {
            return true;
        }
        if (!retry || waited > m_nWaitRepeatMs) {
            FailMissing(kTagValue, " Unable to find value", command);
            return false;
        }
        waited += kRetryPauseMs;
        UboSleepMs(kRetryPauseMs);
    }
}

bool CHuaweiManagerCliBase::GetValueListByCommand(const char* command, int column,
                                                  std::vector<std::string>& list) {
    std::string reply;
    if (!RunCommand(command, reply) || ReplyHasError(reply, kTagValueList)) {
        return false;
    }
    list.clear();
    HuaeiParser::GetValueList(reply.c_str(), column, list);
    if (list.empty()) {
        FailMissing(kTagValueList, " Unable to find value", command);
        return false;
    }
    return true;
}

bool CHuaweiManagerCliBase::GetColumnsOfaRow(const char* command,
                                             std::vector<std::vector<std::string>>& rows) {
    std::string reply;
    if (!RunCommand(command, reply) || ReplyHasError(reply, kTagColumns)) {
        return false;
    }
    rows.clear();
    HuaeiParser::GetClumns(reply.c_str(), rows);
    if (rows.empty()) {
        FailMissing(kTagColumns, "No Rows matched. Unable find the record", command);
        return false;
    }
    return true;
}

bool CHuaweiManagerCliBase::GetHWHostName(const char* lunId, const char* hostName, std::string& name) {
    std::string host = hostName ? hostName : "";
    size_t idLength = lunId ? std::strlen(lunId) : 0;
    size_t keep = idLength < 28 ? 28 - idLength : 0;
    name = host.substr(0, keep);
    return true;
}
