#include "host/SimulatorControl.h"

#include <httplib.h>

namespace tavso::host {

SimulatorControl::SimulatorControl(std::string address, uint16_t port)
    : m_address(std::move(address)), m_port(port) {}

std::vector<PresentedArray> SimulatorControl::presented(const std::vector<std::string>& initiators) const {
    const std::string where = "the simulator's control endpoint " + m_address + ":" + std::to_string(m_port);
    httplib::Client client(m_address, m_port);
    client.set_connection_timeout(5);
    client.set_read_timeout(30);
    httplib::Params params;
    for (const auto& i : initiators) {
        params.emplace("initiator", i);
    }
    auto res = client.Get("/control/presented", params, httplib::Headers{});
    if (!res) {
        throw PresentationError("cannot reach " + where + ": " + httplib::to_string(res.error()));
    }
    const auto body = nlohmann::json::parse(res->body, nullptr, false);
    if (res->status != 200) {
        const std::string why = body.is_object() && body.contains("error") && body["error"].is_string()
                                    ? body["error"].get<std::string>()
                                    : res->body.substr(0, 200);
        throw PresentationError(where + " answered " + std::to_string(res->status) + ": " + why);
    }
    if (body.is_discarded()) {
        throw PresentationError(where + " answered no JSON");
    }
    return parsePresented(body);
}

}  // namespace tavso::host
