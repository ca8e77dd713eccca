#include "sim/CliServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/CliSession.h"
#include "sim/SshHandles.h"

namespace tavso::sim {

namespace {

// One host key per process: generating it costs more than starting an array should.
const std::string& processHostKey() {
    static const std::string key = [] {
        ssh_init();
        ssh_key raw = nullptr;
        if (ssh_pki_generate(SSH_KEYTYPE_ECDSA_P256, 0, &raw) != SSH_OK) {
            return std::string();
        }
        KeyPtr k(raw);
        char* b64 = nullptr;
        if (ssh_pki_export_privkey_base64(k.get(), nullptr, nullptr, nullptr, &b64) != SSH_OK) {
            return std::string();
        }
        std::string out = b64;
        ssh_string_free_char(b64);
        return out;
    }();
    return key;
}

}  // namespace

struct CliServer::Worker {
    std::thread thread;
    int fd = -1;
    bool done = false;  // under m_workersMutex; the socket stays open until it is set
};

CliServer::CliServer(CliBackend backend, CliOptions options)
    : m_backend(backend), m_options(std::move(options)) {}

CliServer::~CliServer() {
    stop();
}

bool CliServer::start(std::string& error) {
    m_hostKey = processHostKey();
    if (m_hostKey.empty()) {
        error = "cannot generate the SSH host key";
        return false;
    }
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(m_options.port);
    if (::inet_pton(AF_INET, m_options.address.c_str(), &addr.sin_addr) != 1) {
        error = "not an IPv4 address: " + m_options.address;
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    socklen_t len = sizeof addr;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listenFd, 64) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        error = "cannot listen on " + m_options.address + ":" + std::to_string(m_options.port) + ": " +
                std::strerror(errno);
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_port = ntohs(addr.sin_port);
    m_stopping = false;
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void CliServer::stop() {
    m_stopping = true;
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
    }
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard<std::mutex> lock(m_workersMutex);
        for (auto& w : m_workers) {
            if (!w->done) {
                ::shutdown(w->fd, SHUT_RDWR);  // wakes a session blocked on its client
            }
        }
        workers.swap(m_workers);
    }
    for (auto& w : workers) {
        w->thread.join();
    }
}

void CliServer::reapFinished() {
    std::list<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard<std::mutex> lock(m_workersMutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if ((*it)->done) {
                finished.push_back(std::move(*it));
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& w : finished) {
        w->thread.join();
    }
}

void CliServer::acceptLoop() {
    BindPtr bind(ssh_bind_new());
    ssh_key raw = nullptr;
    if (!bind ||
        ssh_pki_import_privkey_base64(m_hostKey.c_str(), nullptr, nullptr, nullptr, &raw) != SSH_OK) {
        return;
    }
    // The bind takes the key over.
    if (ssh_bind_options_set(bind.get(), SSH_BIND_OPTIONS_IMPORT_KEY, raw) != SSH_OK) {
        ssh_key_free(raw);
        return;
    }
    while (!m_stopping) {
        reapFinished();
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) {
            continue;
        }
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // prompts are small writes
        SessionPtr session(ssh_new());
        if (!session || ssh_bind_accept_fd(bind.get(), session.get(), fd) != SSH_OK) {
            ::close(fd);
            continue;
        }
        auto worker = std::make_unique<Worker>();
        Worker* w = worker.get();
        w->fd = fd;
        int number = ++m_sessionCounter;
        std::lock_guard<std::mutex> lock(m_workersMutex);
        w->thread = std::thread([this, w, number, s = session.release()]() mutable {
            auto cli = std::make_unique<CliSession>(m_backend, m_options, SessionPtr(s), number, m_stopping,
                                                    m_active);
            cli->run();
            {
                std::lock_guard<std::mutex> done(m_workersMutex);
                w->done = true;
            }
            cli.reset();
        });
        m_workers.push_back(std::move(worker));
    }
}

}  // namespace tavso::sim
