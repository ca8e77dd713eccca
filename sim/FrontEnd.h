// A server that serves an array's model to clients (the SSH CLI, the REST interface). The array
// owns its front ends and stops them before the model goes away.
#pragma once

#include <cstdint>
#include <string>

namespace tavso::sim {

class FrontEnd {
  public:
    virtual ~FrontEnd() = default;
    virtual std::string kind() const = 0;  // "cli", "rest"
    virtual uint16_t port() const = 0;
    virtual void stop() = 0;
};

}  // namespace tavso::sim
