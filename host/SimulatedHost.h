// A simulated mount host: its initiators come from the configuration and its devices are
// inquiry-image files in a device folder, one for each LUN or snapshot that an attached simulated
// array presents to those initiators, rewritten on every bus rescan.
#pragma once

#include <string>
#include <vector>

#include "host/HostOsUtil.h"
#include "sim/ArrayModel.h"

namespace tavso::host {

class SimulatedHost final : public HostOsUtil {
  public:
    // `arrays` are the embedded arrays whose presentation this host follows; without any, a rescan
    // only removes what it is asked to remove.
    SimulatedHost(const HostConfig& config, uint64_t jobId, std::vector<sim::ArrayModel*> arrays = {});

    std::vector<HostDevice> devices() override;
    std::vector<InitiatorConfig> initiators() override;

    // The device file an array object appears as.
    std::string devicePath(const std::string& serial, uint32_t objectId) const;
    // Brings the device folder in line with what the arrays present.
    void sync();

  protected:
    void rescan(const std::vector<std::string>& initiators, const std::vector<std::string>& remove) override;

  private:
    std::string m_dir;
    std::vector<sim::ArrayModel*> m_arrays;
};

}  // namespace tavso::host
