// One CLI session with one array: connects (with failover) under the connection critical section,
// runs commands with a busy retry and remembers the last exchange for dumps.
#pragma once

#include <cstdint>
#include <string>

#include "api/HuaweiArrayParams.h"
#include "api/HuaweiLog.h"
#include "api/TavCriticalSection.h"
#include "cli/HuaweiTavSsh2.h"

class CHuaweiCli : public TavHuaweiSSHChannel {
  public:
    CHuaweiCli();
    ~CHuaweiCli();

    bool init(const _HuaweiCliParams& params, HuaweiLogFunc log, void* logContext, std::string& version,
              std::string& error, TavCriticalSection* criticalSection);
    bool ExecuteCommand(const char* command, char** result, uint32_t* size, std::string& error);
    bool ExecuteCommandSSH(const char* command, char** result, uint32_t* size, std::string& error);
    static void freeCommandOutput(char** result);
    void DumpLastCLIActivity();
    void Uninitialize();

    const std::string& LastResult() const { return m_strLastResult; }

  protected:
    _HuaweiCliParams m_CliParams;
    HuaweiLogFunc m_pfnCliLog;
    void* m_pCliLogContext;
    bool m_bCliInitialized;
    std::string m_strLastCommand;
    std::string m_strLastResult;
};
