// The simulator's REST resources for initiators, LUN groups and mapping views.
#include "sim/RestResources.h"

namespace tavso::sim {

std::optional<RestAnswer> handleMappingResource(ArrayModel&, const RestCall&) {
    return std::nullopt;
}

}  // namespace tavso::sim
