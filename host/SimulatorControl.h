// The client side of arraysim's control endpoint (sim/ControlServer.h): a simulated mount host in
// its own process learns there what the arrays present to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/PresentedDevices.h"

namespace tavso::host {

class SimulatorControl {
  public:
    SimulatorControl(std::string address, uint16_t port);
    // Throws PresentationError when the endpoint cannot be reached or answers anything else.
    std::vector<PresentedArray> presented(const std::vector<std::string>& initiators) const;

  private:
    std::string m_address;
    uint16_t m_port;
};

}  // namespace tavso::host
