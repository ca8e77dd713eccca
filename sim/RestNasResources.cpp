// The simulator's REST resources for file systems, their snapshots, NFS and CIFS shares.
#include "sim/RestResources.h"

namespace tavso::sim {

std::optional<RestAnswer> handleNasResource(ArrayModel&, const RestCall&) {
    return std::nullopt;
}

}  // namespace tavso::sim
