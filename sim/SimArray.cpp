#include "sim/SimArray.h"

namespace tavso::sim {

SimArray::SimArray(SimArrayOptions options)
    : m_options(std::move(options)), m_clock(m_options.clock ? m_options.clock : &m_systemClock) {
    if (m_options.seedDefaults) {
        m_model.addUser({"admin", "Admin@123", "Super_admin", "", ""});
        m_model.addPool("StoragePool001", 100ull * 1024 * kSectorsPerGb, 90ull * 1024 * kSectorsPerGb);
    }
}

SimArray::~SimArray() {
    stop();
}

bool SimArray::start(std::string* error) {
    if (!m_options.startCli || frontEnd("cli")) {
        return true;
    }
    auto cli = std::make_unique<CliServer>(cliBackend(), m_options.cli);
    std::string why;
    if (!cli->start(why)) {
        if (error) {
            *error = why;
        }
        return false;
    }
    m_frontEnds.push_back(std::move(cli));
    return true;
}

void SimArray::stop() {
    for (auto& f : m_frontEnds) {
        f->stop();
    }
    m_frontEnds.clear();
}

uint16_t SimArray::cliPort() const {
    FrontEnd* f = frontEnd("cli");
    return f ? f->port() : 0;
}

RestServer* SimArray::startRest(const RestOptions& options, std::string* error) {
    if (RestServer* running = rest()) {
        return running;
    }
    auto server = std::make_unique<RestServer>(m_model, *m_clock, options);
    std::string why;
    if (!server->start(why)) {
        if (error) {
            *error = why;
        }
        return nullptr;
    }
    RestServer* started = server.get();
    m_frontEnds.push_back(std::move(server));
    return started;
}

RestServer* SimArray::rest() const {
    return dynamic_cast<RestServer*>(frontEnd("rest"));
}

uint16_t SimArray::restPort() const {
    RestServer* r = rest();
    return r ? r->port() : 0;
}

void SimArray::addFrontEnd(std::unique_ptr<FrontEnd> frontEnd) {
    m_frontEnds.push_back(std::move(frontEnd));
}

FrontEnd* SimArray::frontEnd(const std::string& kind) const {
    for (const auto& f : m_frontEnds) {
        if (f->kind() == kind) {
            return f.get();
        }
    }
    return nullptr;
}

}  // namespace tavso::sim
