// A simulated mount host: its initiators come from the configuration and its devices are
// inquiry-image files in a device folder, one for each LUN or snapshot that a simulated array
// presents to those initiators, rewritten on every bus rescan. The arrays run in this process or
// in arraysim, which tells the host over its control endpoint.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/HostOsUtil.h"
#include "host/PresentedDevices.h"
#include "sim/ArrayModel.h"

namespace tavso::host {

// What the arrays present to these initiators; throws PresentationError when it cannot be told.
using PresentationSource =
    std::function<std::vector<PresentedArray>(const std::vector<std::string>& initiators)>;

class SimulatedHost final : public HostOsUtil {
  public:
    // `arrays` are the embedded arrays whose presentation this host follows; without any, a rescan
    // only removes what it is asked to remove.
    SimulatedHost(const HostConfig& config, uint64_t jobId, std::vector<sim::ArrayModel*> arrays = {});
    SimulatedHost(const HostConfig& config, uint64_t jobId, PresentationSource source);

    std::vector<HostDevice> devices() override;
    std::vector<InitiatorConfig> initiators() override;

    // The device file an array object appears as.
    std::string devicePath(const std::string& serial, uint32_t objectId) const;
    // Brings the device folder in line with what the arrays present; throws PresentationError
    // (and leaves the folder as it was) when the arrays cannot be asked.
    void sync();

  protected:
    void rescan(const std::vector<std::string>& initiators, const std::vector<std::string>& remove) override;

  private:
    std::string m_dir;
    PresentationSource m_source;
};

}  // namespace tavso::host
