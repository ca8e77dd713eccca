#include "sim/ControlServer.h"

#include <httplib.h>

#include <thread>

#include "sim/Inquiry.h"
#include "sim/Presentation.h"

namespace tavso::sim {

nlohmann::json presentedJson(const std::vector<ControlArray>& arrays,
                             const std::vector<std::string>& initiators) {
    nlohmann::json out = {{"arrays", nlohmann::json::array()}};
    for (const auto& a : arrays) {
        a.model->with([&](const ArrayState& state) {
            nlohmann::json presented = nlohmann::json::array();
            for (const auto& o : presentedObjects(state, initiators)) {
                const InquiryPages p = renderInquiry(state.system.serial, o.id, o.wwn);
                presented.push_back(
                    {{"id", o.id},
                     {"kind", o.snapshot ? "snapshot" : "lun"},
                     {"wwn", o.wwn},
                     {"inquiry",
                      {{"std", hexText(p.standard)}, {"80", hexText(p.page80)}, {"83", hexText(p.page83)}}}});
            }
            out["arrays"].push_back(
                {{"name", a.name}, {"serial", state.system.serial}, {"presented", presented}});
        });
    }
    return out;
}

class ControlServer::Impl {
  public:
    Impl(std::vector<ControlArray> arrays, ControlOptions options)
        : m_arrays(std::move(arrays)), m_options(std::move(options)) {
        m_server.Get("/control/presented",
                     [this](const httplib::Request& req, httplib::Response& res) { presented(req, res); });
        m_server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
            if (res.body.empty()) {
                fail(res, res.status, "no such control resource");
            }
        });
    }

    bool start(std::string& error) {
        const std::string where = m_options.address + ":" + std::to_string(m_options.port);
        const int port = m_options.port == 0 ? m_server.bind_to_any_port(m_options.address)
                         : m_server.bind_to_port(m_options.address, m_options.port) ? m_options.port
                                                                                    : -1;
        if (port <= 0) {
            error = "cannot listen on " + where;
            return false;
        }
        m_port = static_cast<uint16_t>(port);
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // A stop before the loop runs would be lost; the loop is up within moments.
        while (!m_server.is_running()) {
            std::this_thread::yield();
        }
        return true;
    }

    void stop() {
        m_server.stop();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    uint16_t port() const { return m_port; }

  private:
    static void fail(httplib::Response& res, int status, const std::string& text) {
        res.status = status;
        res.set_content(nlohmann::json{{"error", text}}.dump(), "application/json");
    }

    void presented(const httplib::Request& req, httplib::Response& res) {
        std::vector<std::string> initiators;
        for (const auto& [key, value] : req.params) {
            if (key != "initiator") {
                return fail(res, 400, "unknown parameter \"" + key + "\"; only initiator is taken");
            }
            if (value.empty()) {
                return fail(res, 400, "an initiator is empty");
            }
            initiators.push_back(value);
        }
        res.set_content(presentedJson(m_arrays, initiators).dump(), "application/json");
    }

    std::vector<ControlArray> m_arrays;
    ControlOptions m_options;
    httplib::Server m_server;
    std::thread m_thread;
    uint16_t m_port = 0;
};

ControlServer::ControlServer(std::vector<ControlArray> arrays, ControlOptions options)
    : m_impl(std::make_unique<Impl>(std::move(arrays), std::move(options))) {}

ControlServer::~ControlServer() {
    stop();
}

bool ControlServer::start(std::string& error) {
    return m_impl->start(error);
}

void ControlServer::stop() {
    m_impl->stop();
}

uint16_t ControlServer::port() const {
    return m_impl->port();
}

bool ControlServer::fromJson(const nlohmann::json& config,
                             const std::vector<std::unique_ptr<SimArray>>& arrays,
                             std::unique_ptr<ControlServer>& out, std::string& error) {
    out.reset();
    if (!config.is_object() || !config.contains("control")) {
        return true;
    }
    const nlohmann::json& c = config["control"];
    ControlOptions options;
    if (!c.is_object() || (c.contains("port") && !c["port"].is_number_unsigned()) ||
        (c.contains("address") && !c["address"].is_string()) || c.value("port", 0u) > 65535) {
        error = "control: must be {\"port\": <0 to 65535>, \"address\": \"<IPv4 address>\"}";
        return false;
    }
    options.port = static_cast<uint16_t>(c.value("port", 0u));
    options.address = c.value("address", options.address);
    std::vector<ControlArray> served;
    for (const auto& a : arrays) {
        served.push_back({a->name(), &a->model()});
    }
    auto server = std::make_unique<ControlServer>(std::move(served), options);
    if (!server->start(error)) {
        error = "control: " + error;
        return false;
    }
    out = std::move(server);
    return true;
}

}  // namespace tavso::sim
