// What a simulated array presents to a host: the LUNs and snapshots in the LUN groups of the
// mapping views that hold a host group of a host owning one of the host's initiators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/InquiryImageFile.h"
#include "sim/ArrayModel.h"

namespace tavso::host {

struct PresentedObject {
    uint32_t id = 0;  // LUN and snapshot IDs share one space
    std::string wwn;
    bool snapshot = false;
};

std::vector<PresentedObject> presentedObjects(const sim::ArrayState& state,
                                              const std::vector<std::string>& initiators);

// The INQUIRY replies of a presented object, as the array's target port answers them.
InquiryPages inquiryPagesOf(const sim::ArrayState& state, const PresentedObject& object);

}  // namespace tavso::host
