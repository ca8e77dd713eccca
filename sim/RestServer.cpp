#include "sim/RestServer.h"

#include <httplib.h>

#include <map>
#include <random>
#include <thread>

#include "sim/RestResources.h"

namespace tavso::sim {

namespace {

const char* kPrefix = "/deviceManager/rest/";

struct Session {
    std::string user;
    std::string vstoreId;
    uint64_t lastUseMs = 0;
};

std::string newToken() {
    static std::mutex mutex;
    static std::mt19937_64 rng(std::random_device{}());
    std::lock_guard<std::mutex> lock(mutex);
    char buf[33];
    snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(rng()),
             static_cast<unsigned long long>(rng()));
    return buf;
}

void reply(httplib::Response& res, const RestAnswer& a) {
    nlohmann::json j = {{"data", a.data}, {"error", {{"code", a.code}, {"description", a.description}}}};
    res.set_content(j.dump(), "application/json");
}

std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        if (slash > start) {
            out.push_back(path.substr(start, slash - start));
        }
        start = slash + 1;
    }
    return out;
}

}  // namespace

class RestServer::Impl {
  public:
    Impl(ArrayModel& model, Clock& clock, RestOptions options)
        : m_model(model), m_clock(clock), m_options(options) {
        // Headers and body go out as separate writes: without this each reply waits for a
        // delayed acknowledgement.
        m_server.set_tcp_nodelay(true);
        auto handler = [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); };
        const std::string pattern = std::string(kPrefix) + ".*";
        m_server.Get(pattern, handler);
        m_server.Post(pattern, handler);
        m_server.Put(pattern, handler);
        m_server.Delete(pattern, handler);
    }

    bool start(std::string& error) {
        if (m_options.port) {
            if (!m_server.bind_to_port(m_options.address, m_options.port)) {
                error = "Unable to listen on port " + std::to_string(m_options.port);
                return false;
            }
            m_port = m_options.port;
        } else {
            int p = m_server.bind_to_any_port(m_options.address);
            if (p <= 0) {
                error = "Unable to listen on a free port";
                return false;
            }
            m_port = static_cast<uint16_t>(p);
        }
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

    void expire() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sessions.clear();
    }
    void addFault(RestFault f) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_faults.push_back(std::move(f));
    }
    std::vector<std::string> requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    void clearRequests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.clear();
    }
    int logins() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_logins;
    }
    uint16_t port() const { return m_port; }

  private:
    void handle(const httplib::Request& req, httplib::Response& res) {
        std::vector<std::string> segments = split(req.path.substr(std::string(kPrefix).size()));
        if (segments.size() < 2) {
            reply(res, RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect."));
            return;
        }
        RestCall call;
        call.method = req.method;
        call.path.assign(segments.begin() + 1, segments.end());
        std::string query;
        for (const auto& [k, v] : req.params) {
            call.params[k] = v;
            query += (query.empty() ? "?" : "&") + k + "=" + v;
        }
        if (!req.body.empty()) {
            call.body = nlohmann::json::parse(req.body, nullptr, false);
            if (call.body.is_discarded()) {
                reply(res, RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect."));
                return;
            }
        }
        std::string resource = "/" + req.path.substr(req.path.find('/', std::string(kPrefix).size()) + 1);
        if (call.path.size() == 1 && call.path[0] == "sessions") {
            if (req.method == "POST") {
                login(call, res);
            } else {
                logout(req, res);
            }
            return;
        }
        std::string faultKey = req.method + " " + resource;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(faultKey + query);
            auto it = m_sessions.find(req.get_header_value("iBaseToken"));
            uint64_t now = m_clock.nowMs();
            if (it == m_sessions.end() || now - it->second.lastUseMs > m_options.sessionTtlMs) {
                if (it != m_sessions.end()) {
                    m_sessions.erase(it);
                }
                reply(res, RestAnswer::fail(restcode::kNotLoggedIn,
                                            "The user is not logged in or the session "
                                            "has expired."));
                return;
            }
            it->second.lastUseMs = now;
            call.sessionVStore = it->second.vstoreId;
            for (auto f = m_faults.begin(); f != m_faults.end(); ++f) {
                if (faultKey.compare(0, f->prefix.size(), f->prefix) == 0) {
                    RestAnswer a = RestAnswer::fail(f->code, f->description);
                    if (--f->times <= 0) {
                        m_faults.erase(f);
                    }
                    reply(res, a);
                    return;
                }
            }
        }
        reply(res, handleResource(m_model, call));
    }

    void login(const RestCall& call, httplib::Response& res) {
        std::string user = call.body.is_object() ? call.body.value("username", std::string()) : std::string();
        std::string password =
            call.body.is_object() ? call.body.value("password", std::string()) : std::string();
        std::lock_guard<std::mutex> lock(m_mutex);
        // The body is never kept: it holds the password.
        m_requests.push_back("POST /sessions");
        ++m_logins;
        if (!m_model.authenticate(user, password)) {
            reply(res, RestAnswer::fail(restcode::kWrongPassword, "The user name or password is incorrect."));
            return;
        }
        Session s{user, m_model.findUser(user)->vstoreId, m_clock.nowMs()};
        std::string token = newToken();
        m_sessions[token] = s;
        nlohmann::json data = {
            {"deviceid", m_model.system().serial}, {"iBaseToken", token}, {"username", user}};
        if (!s.vstoreId.empty()) {
            data["vstoreId"] = s.vstoreId;
            data["vstoreName"] = m_model.with([&](const ArrayState& st) {
                auto v = st.vstores.find(static_cast<uint32_t>(std::stoul(s.vstoreId)));
                return v == st.vstores.end() ? std::string() : v->second.name;
            });
        }
        reply(res, RestAnswer::ok(data));
    }

    void logout(const httplib::Request& req, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back("DELETE /sessions");
        m_sessions.erase(req.get_header_value("iBaseToken"));
        reply(res, RestAnswer::ok());
    }

    ArrayModel& m_model;
    Clock& m_clock;
    RestOptions m_options;
    httplib::Server m_server;
    std::thread m_thread;
    uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, Session> m_sessions;
    std::vector<RestFault> m_faults;
    std::vector<std::string> m_requests;
    int m_logins = 0;
};

RestServer::RestServer(ArrayModel& model, Clock& clock, RestOptions options)
    : m_impl(std::make_unique<Impl>(model, clock, options)) {}
RestServer::~RestServer() {
    stop();
}
bool RestServer::start(std::string& error) {
    return m_impl->start(error);
}
uint16_t RestServer::port() const {
    return m_impl->port();
}
void RestServer::stop() {
    m_impl->stop();
}
void RestServer::expireSessions() {
    m_impl->expire();
}
void RestServer::addFault(RestFault fault) {
    m_impl->addFault(std::move(fault));
}
std::vector<std::string> RestServer::requests() const {
    return m_impl->requests();
}
void RestServer::clearRequests() {
    m_impl->clearRequests();
}
int RestServer::logins() const {
    return m_impl->logins();
}

}  // namespace tavso::sim
