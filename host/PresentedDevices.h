// What the simulated arrays present to the mount host's initiators, as the simulator's control
// endpoint describes it (sim/ControlServer.h), whether the arrays run in this process or in
// arraysim.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/InquiryImageFile.h"
#include "sim/ArrayModel.h"

namespace tavso::host {

struct PresentedDevice {
    uint32_t id = 0;  // LUN or snapshot ID on its array
    InquiryPages pages;
};

struct PresentedArray {
    std::string serial;
    std::vector<PresentedDevice> devices;
};

class PresentationError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws PresentationError when the answer is not of that form: a device file is never written
// from half an answer.
std::vector<PresentedArray> parsePresented(const nlohmann::json& answer);

// The same for arrays embedded in this process; each is named by its serial.
std::vector<PresentedArray> presentedBy(const std::vector<sim::ArrayModel*>& arrays,
                                        const std::vector<std::string>& initiators);

}  // namespace tavso::host
