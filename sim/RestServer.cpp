#include "sim/RestServer.h"

#include <httplib.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <map>
#include <random>
#include <thread>

#include "sim/OpenSslHandles.h"
#include "sim/RestResources.h"

namespace tavso::sim {

namespace {

const char* kPrefix = "/deviceManager/rest/";
// cpp-httplib reads no body on GET; the array's file-system and share resources carry their vStore
// scope there. Such a GET is routed as a POST that remembers its method in this header.
const char* kMethodHeader = "X-Sim-Method";

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

// An array keeps a management connection open for many calls; cpp-httplib's default of 5 would
// make every fifth call pay for a new TLS handshake.
constexpr size_t kKeepAliveCalls = 1000;
// Each open connection holds a worker; with fewer workers than a client's concurrent connections
// (the clone workers share one client) the rest would wait for an idle one to time out.
constexpr size_t kWorkers = 32;

bool usePem(SSL_CTX& ctx, const TestCertificate& c) {
    BioPtr certBio(BIO_new_mem_buf(c.certPem().data(), static_cast<int>(c.certPem().size())));
    BioPtr keyBio(BIO_new_mem_buf(c.keyPem().data(), static_cast<int>(c.keyPem().size())));
    if (!certBio || !keyBio) {
        return false;
    }
    X509Ptr cert(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
    PKeyPtr key(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
    // The context takes its own references.
    return cert && key && SSL_CTX_use_certificate(&ctx, cert.get()) == 1 &&
           SSL_CTX_use_PrivateKey(&ctx, key.get()) == 1;
}

bool useFiles(SSL_CTX& ctx, const RestOptions& o) {
    return SSL_CTX_use_certificate_chain_file(&ctx, o.certFile.c_str()) == 1 &&
           SSL_CTX_use_PrivateKey_file(&ctx, o.keyFile.c_str(), SSL_FILETYPE_PEM) == 1;
}

}  // namespace

class RestServer::Impl {
  public:
    Impl(ArrayModel& model, Clock& clock, RestOptions options)
        : m_model(model), m_clock(clock), m_options(std::move(options)) {}

    // One start per server; a second call does nothing.
    bool start(std::string& error) {
        if (m_server) {
            return true;
        }
        std::unique_ptr<httplib::Server> server = makeServer(error);
        if (!server) {
            return false;
        }
        int p = m_options.port
                    ? (server->bind_to_port(m_options.address, m_options.port) ? m_options.port : -1)
                    : server->bind_to_any_port(m_options.address);
        if (p <= 0) {
            error = m_options.port ? "Unable to listen on port " + std::to_string(m_options.port)
                                   : "Unable to listen on a free port";
            return false;
        }
        m_port = static_cast<uint16_t>(p);
        m_server = std::move(server);
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
        // A stop before the loop runs would be lost; the loop is up within moments.
        while (!m_server->is_running()) {
            std::this_thread::yield();
        }
        return true;
    }

    void stop() {
        if (m_server) {
            m_server->stop();
        }
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
    std::vector<std::string> bodies() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bodies;
    }
    void clearRequests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.clear();
        m_bodies.clear();
    }
    int logins() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_logins;
    }
    uint16_t port() const { return m_port; }
    const TestCertificate* certificate() const { return m_generated ? &m_certificate : nullptr; }

  private:
    std::unique_ptr<httplib::Server> makeServer(std::string& error) {
        std::unique_ptr<httplib::Server> server =
            m_options.plainHttp ? std::make_unique<httplib::Server>() : makeTlsServer(error);
        if (!server) {
            return nullptr;
        }
        auto handler = [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); };
        const std::string pattern = std::string(kPrefix) + ".*";
        server->Get(pattern, handler);
        server->Post(pattern, handler);
        server->Put(pattern, handler);
        server->Delete(pattern, handler);
        server->set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
            if (req.method == "GET" && req.get_header_value<uint64_t>("Content-Length") > 0) {
                // cpp-httplib drops a GET's body: pass it on as a POST that remembers its method.
                // The request object is the server's own, not a constant one.
                auto& r = const_cast<httplib::Request&>(req);
                r.method = "POST";
                r.headers.emplace(kMethodHeader, "GET");
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        server->set_keep_alive_max_count(kKeepAliveCalls);
        // A reply leaves as header and body in two writes; Nagle would hold the body back until
        // the client's delayed acknowledgement, some 40 ms on every call.
        server->set_tcp_nodelay(true);
        // cpp-httplib takes the queue and deletes it when the server stops.
        server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
        return server;
    }

    std::unique_ptr<httplib::Server> makeTlsServer(std::string& error) {
        bool given = !m_options.certFile.empty() || !m_options.keyFile.empty();
        if (given && (m_options.certFile.empty() || m_options.keyFile.empty())) {
            error = "A certificate file needs its key file, and a key file its certificate file";
            return nullptr;
        }
        if (!given && !TestCertificate::generate(m_certificate, error)) {
            return nullptr;
        }
        m_generated = !given;
        auto setup = [&](SSL_CTX& ctx) {
            SSL_CTX_set_min_proto_version(&ctx, TLS1_2_VERSION);
            SSL_CTX_set_options(&ctx, SSL_OP_NO_COMPRESSION);
            bool loaded = given ? useFiles(ctx, m_options) : usePem(ctx, m_certificate);
            return loaded && SSL_CTX_check_private_key(&ctx) == 1;
        };
        auto server = std::make_unique<httplib::SSLServer>(setup);
        if (!server->is_valid()) {
            error = given ? "Unable to use the certificate " + m_options.certFile + " with the key " +
                                m_options.keyFile + ": " + openSslError()
                          : "Unable to use the generated certificate: " + openSslError();
            return nullptr;
        }
        return server;
    }

    void handle(const httplib::Request& req, httplib::Response& res) {
        std::vector<std::string> segments = split(req.path.substr(std::string(kPrefix).size()));
        if (segments.size() < 2) {
            reply(res, RestAnswer::fail(restcode::kParameterIncorrect, "The parameter is incorrect."));
            return;
        }
        RestCall call;
        call.method = req.has_header(kMethodHeader) ? req.get_header_value(kMethodHeader) : req.method;
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
        std::string faultKey = call.method + " " + resource;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(faultKey + query);
            m_bodies.push_back(req.body);
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
        m_bodies.emplace_back();
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
        m_bodies.emplace_back();
        m_sessions.erase(req.get_header_value("iBaseToken"));
        reply(res, RestAnswer::ok());
    }

    ArrayModel& m_model;
    Clock& m_clock;
    RestOptions m_options;
    TestCertificate m_certificate;
    bool m_generated = false;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, Session> m_sessions;
    std::vector<RestFault> m_faults;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_bodies;  // beside m_requests
    int m_logins = 0;
};

RestServer::RestServer(ArrayModel& model, Clock& clock, RestOptions options)
    : m_impl(std::make_unique<Impl>(model, clock, std::move(options))) {}
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
std::vector<std::string> RestServer::requestBodies() const {
    return m_impl->bodies();
}
void RestServer::clearRequests() {
    m_impl->clearRequests();
}
int RestServer::logins() const {
    return m_impl->logins();
}
const TestCertificate* RestServer::certificate() const {
    return m_impl->certificate();
}

}  // namespace tavso::sim
