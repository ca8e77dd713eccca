// What a simulated array presents to a host: the LUNs and snapshots in the LUN groups of the
// mapping views that hold a host group of a host owning one of the host's initiators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/ArrayModel.h"

namespace tavso::sim {

struct PresentedObject {
    uint32_t id = 0;  // LUN and snapshot IDs share one space
    std::string wwn;
    bool snapshot = false;
};

std::vector<PresentedObject> presentedObjects(const ArrayState& state,
                                              const std::vector<std::string>& initiators);

}  // namespace tavso::sim
