// The simulator's REST resources for clones and storage pools.
#include "sim/RestResources.h"

namespace tavso::sim {

std::optional<RestAnswer> handleCloneResource(ArrayModel&, const RestCall&) {
    return std::nullopt;
}

}  // namespace tavso::sim
