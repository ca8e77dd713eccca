// The operating-system services the plug-in asks of its host (TAVSO::TAVOSUtil), shared by the
// simulated and the real Linux mount host: they differ only in how the bus is rescanned, which
// devices are seen and which initiators the machine has. Safe for concurrent calls.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "host/HostConfig.h"
#include "platform/TavsoHost.h"

namespace tavso::host {

struct HostDevice {
    std::string path;
    std::string vendor;  // INQUIRY vendor, trailing blanks removed
};

class HostOsUtil : public TAVSO::TAVOSUtil {
  public:
    HostOsUtil(const HostConfig& config, uint64_t jobId);
    HostOsUtil(const HostOsUtil&) = delete;
    HostOsUtil& operator=(const HostOsUtil&) = delete;
    virtual ~HostOsUtil() = default;

    void rescanBus(const char* host, const char** initiators, const char** devicesToRemove) override;
    int listDevices(const char* host, const char* vendor, char separator, int length, char* buffer) override;
    bool getInitiators(const char* host, const char* arrayId, char* names, short* namesLength, char* kinds,
                       short* kindsLength, short* count) override;
    int getArrayLoginCredentials(const char* arrayName, char* buffer, short* length) override;
    uint64_t getJobId() override { return m_jobId; }
    int getVMwareDevicePage(const char* sourcePath, const char* device, const char* pageKind, int appId,
                            int arg1, int arg2, char separator, int length, char* buffer) override;
    bool getESXInitiators(const char* host, const char* arrayId, char* names, short* namesLength, char* kinds,
                          short* kindsLength, short* count) override;

    virtual std::vector<HostDevice> devices() = 0;
    virtual std::vector<InitiatorConfig> initiators() = 0;

  protected:
    virtual void rescan(const std::vector<std::string>& initiators,
                        const std::vector<std::string>& remove) = 0;
    const HostConfig& config() const { return m_config; }

  private:
    const HostConfig& m_config;
    const uint64_t m_jobId;
    std::mutex m_mutex;  // one rescan or listing at a time, as the bus would have it
};

// The device list text: paths of the devices whose vendor begins with `vendor` (any case),
// joined with the separator.
std::string deviceListText(const std::vector<HostDevice>& devices, const std::string& vendor, char separator);

}  // namespace tavso::host
