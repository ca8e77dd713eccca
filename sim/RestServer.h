// The simulator's REST front end: the array management interface over HTTPS, or plain HTTP on
// request (cpp-httplib), on the same ArrayModel as the CLI server, with session tokens that expire, vStore
// users, the array's error codes, a small fault plan and a transcript of the requests received.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/TavClock.h"
#include "sim/ArrayModel.h"
#include "sim/FrontEnd.h"
#include "sim/TestCertificate.h"

namespace tavso::sim {

struct RestOptions {
    uint16_t port = 0;                          // 0: any free port
    std::string address = "127.0.0.1";          // a loopback address of the array's own
    uint64_t sessionTtlMs = 30ull * 60 * 1000;  // idle time after which a token is refused
    bool plainHttp = false;                     // true: no TLS
    // PEM files of the server certificate (with any chain) and its key; both empty: a certificate
    // made at start by an authority of its own (certificate()).
    std::string certFile;
    std::string keyFile;
};

// An error code answered on requests whose "METHOD /resource" begins with `prefix`, `times` times.
struct RestFault {
    std::string prefix;  // for instance "GET /lun/"
    int64_t code = 0;
    std::string description;
    int times = 1;
};

class RestServer : public FrontEnd {
  public:
    RestServer(ArrayModel& model, Clock& clock, RestOptions options = {});
    ~RestServer() override;
    RestServer(const RestServer&) = delete;
    RestServer& operator=(const RestServer&) = delete;

    bool start(std::string& error);
    std::string kind() const override { return "rest"; }
    uint16_t port() const override;
    void stop() override;

    // Every session's token is refused from now on, as after a long pause.
    void expireSessions();
    void addFault(RestFault fault);
    // "METHOD /resource?query" of each request after login, in order (login shows as "POST /sessions").
    std::vector<std::string> requests() const;
    // The body of each request of requests(), "" when it had none (a login's is never kept).
    std::vector<std::string> requestBodies() const;
    void clearRequests();
    int logins() const;
    // The certificate made at start; null over plain HTTP or with given certificate files.
    const TestCertificate* certificate() const;

    class Impl;

  private:
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tavso::sim
