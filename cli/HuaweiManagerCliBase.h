// The common base of the CLI managers: a CLI session made ready for work (firmware and privilege
// checked, paging off, time-outs set) and the four ways operations query the array.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api/HuaweiArrayParams.h"
#include "api/HuaweiLog.h"
#include "api/TavCriticalSection.h"
#include "cli/HuaweiCli.h"

class CHuaweiManagerCliBase : public CHuaweiCli {
  public:
    CHuaweiManagerCliBase();
    ~CHuaweiManagerCliBase();

    bool Init(TavCriticalSection* criticalSection, const _HuaweiCliParams& params, HuaweiLogFunc log,
              void* logContext);
    void Uninitialize();
    const char* GetLastErrorString() const { return m_strLastError.c_str(); }
    std::string GetFirmwareVersion() const { return m_strFirmwareVersion; }
    void DumpLastCLIActivity() { CHuaweiCli::DumpLastCLIActivity(); }

    bool ExecuteCommandGeneral(const char* command);
    bool ExecuteCommandGeneral2(const char* command, const char* accepted);
    bool GetValueByCommand(const char* command, int keyColumn, const char* keyValue, int wantedColumn,
                           std::string& value, bool retry);
    bool GetValueListByCommand(const char* command, int column, std::vector<std::string>& list);
    bool GetColumnsOfaRow(const char* command, std::vector<std::vector<std::string>>& rows);

    static bool GetHWHostName(const char* lunId, const char* hostName, std::string& name);

    bool IsInitialized() const { return m_bInitialized; }
    bool IsNewFirmware() const { return m_bNewFirmware; }
    int WaitRepeatMs() const { return m_nWaitRepeatMs; }

  protected:
    // Runs the command; true when it passed (a result and no error text). On failure the session's
    // error text is the last error.
    bool RunCommand(const char* command, std::string& reply);
    // A reply holding "Error:" fails a query; the reply becomes the last error.
    bool ReplyHasError(const std::string& reply, const char* tag);
    void Fail(const char* tag, const std::string& error);
    // Missing data: the error text, logged with the command.
    void FailMissing(const char* tag, const char* error, const char* command);

    HuaweiLogFunc m_pfnMgrLog;
    void* m_pMgrLogContext;
    std::string m_strLastError;
    std::string m_strFirmwareVersion;
    _HuaweiCliParams m_Params;
    bool m_bInitialized;
    int32_t m_nWaitRepeatMs;
    bool m_bNewFirmware;
};
