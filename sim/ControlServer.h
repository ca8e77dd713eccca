// A small HTTP control endpoint beside the simulated arrays, for a simulated host that runs in
// another process: it tells the host what the arrays present to its initiators, with the INQUIRY
// data the host's device files need.
//
//   GET /control/presented?initiator=<WWN or IQN>[&initiator=...]
//   200 {"arrays": [{"name": "a1", "serial": "2102...",
//                    "presented": [{"id": 1, "kind": "lun" | "snapshot", "wwn": "6...",
//                                   "inquiry": {"std": "<hex>", "80": "<hex>", "83": "<hex>"}}]}]}
//
// Every array is listed, also one that presents nothing, so that the host can drop its devices.
// An unknown query parameter or an empty initiator is a 400 with {"error": "<text>"}.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/ArrayModel.h"
#include "sim/SimArray.h"

namespace tavso::sim {

struct ControlArray {
    std::string name;
    ArrayModel* model = nullptr;
};

struct ControlOptions {
    uint16_t port = 0;  // 0: any free port
    std::string address = "127.0.0.1";
};

// The body of a presented answer.
nlohmann::json presentedJson(const std::vector<ControlArray>& arrays,
                             const std::vector<std::string>& initiators);

class ControlServer {
  public:
    explicit ControlServer(std::vector<ControlArray> arrays, ControlOptions options = {});
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Binds and serves; false with `error` set when the address or port cannot be had.
    bool start(std::string& error);
    void stop();
    uint16_t port() const;

    // {"control": {"port": 0, "address": "127.0.0.1"}} of an arraysim description: a started
    // server over those arrays, or none when the description asks for no control endpoint.
    // False with `error` set when it is malformed or cannot be started.
    static bool fromJson(const nlohmann::json& config, const std::vector<std::unique_ptr<SimArray>>& arrays,
                         std::unique_ptr<ControlServer>& out, std::string& error);

  private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tavso::sim
