// One volume of a job as the plug-in sees it (TAVSO::SnapInfo). The plug-in's workers call it
// from several threads: every operation takes the volume's lock, and log lines go to the shared
// JobLog. The record is written back to the job store after the step.
#pragma once

#include <mutex>
#include <string>

#include "host/HostConfig.h"
#include "host/JobLog.h"
#include "host/JobStore.h"
#include "platform/TavsoHost.h"

namespace tavso::host {

// Key:value texts of the access details the plug-in asks for. The password is followed at once
// by "engineName" in the second: the plug-in masks what lies between the two when it logs it.
std::string loginCredentialsText(const ArrayConfig& array);
std::string arrayLoginCredentialsText(const ArrayConfig& array);

class HostVolume final : public TAVSO::SnapInfo {
  public:
    HostVolume(VolumeRecord record, const HostConfig& config, JobLog& log, std::string hostId);
    HostVolume(const HostVolume&) = delete;
    HostVolume& operator=(const HostVolume&) = delete;
    virtual ~HostVolume() = default;

    VolumeRecord record() const;

    void getSnapName(char* buffer, short* length) override;
    void setSnapName(const char* name) override;
    int getLoginCredentials(char* buffer, short* length) override;
    int setLoginCredentials(const char* arrayId) override;
    int getHostId(char* buffer, short* length) override;
    bool isFlagSet(uint64_t flag) override;
    void setSnapFlag(int flag) override;
    int getStatus() override;
    void setStatus(int status) override;
    void getSourceDevice(char* buffer, short* length) override;
    void getSnapDevice(char* buffer, short* length) override;
    void setSnapDevice(const char* device) override;
    int getMetadata(int id, char* buffer, short* length) override;
    int setMetadata(int id, const char* text) override;
    void reportError(int code, const char* text) override;
    void log(int level, const char* tag, const char* text) override;
    void setSourceLunId(int lunId) override;
    unsigned getNumericId() override;
    void getConfigInt(const char* key, int* value) override;
    void getConfigString(const char* key, char* buffer, int* length) override;
    void setTransientMetadata(int id, const char* text) override;
    int getValueInt(int key, int* value) override;
    int getValueString(int key, char* buffer, short* length) override;
    void addVolumeFlag(uint64_t flag) override;
    bool getTransientMetadata(short id, std::string& text) override;

  private:
    mutable std::mutex m_mutex;
    VolumeRecord m_record;
    const HostConfig& m_config;
    JobLog& m_log;
    const std::string m_hostId;
    const ArrayConfig* m_loginArray = nullptr;
};

}  // namespace tavso::host
