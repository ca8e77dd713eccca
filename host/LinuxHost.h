// The real Linux mount host: SCSI rescans and device removal through sysfs, FC port names from
// the fc_host class, the iSCSI name from open-iscsi's file, block devices and their vendors from
// sysfs. The sysfs root is configurable so that it runs on a fake tree.
#pragma once

#include "host/HostOsUtil.h"

namespace tavso::host {

class LinuxHost final : public HostOsUtil {
  public:
    LinuxHost(const HostConfig& config, uint64_t jobId);

    std::vector<HostDevice> devices() override;
    std::vector<InitiatorConfig> initiators() override;

  protected:
    void rescan(const std::vector<std::string>& initiators, const std::vector<std::string>& remove) override;

  private:
    std::string m_sys;
};

}  // namespace tavso::host
