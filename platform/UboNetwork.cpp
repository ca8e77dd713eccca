#include "platform/UboNetwork.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/TavClock.h"

namespace {
// A connect waits in slices, so a time limit holds on whatever clock is installed.
constexpr uint64_t kConnectSliceMs = 50;

CUboError sysError(const char* what, int err) {
    return CUboError(err ? err : -1, std::string(what) + ": " + std::strerror(err));
}
}  // namespace

bool CUboIPAddr::GetByName(const std::string& host, int family, CUboIPAddr& addr, CUboError& error) {
    addrinfo hints{};
    hints.ai_family = family == 0 ? AF_UNSPEC : family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        error = CUboError(rc ? rc : -1, std::string("name resolution failed: ") + ::gai_strerror(rc));
        return false;
    }
    std::memcpy(&addr.m_storage, found->ai_addr, found->ai_addrlen);
    addr.m_length = found->ai_addrlen;
    ::freeaddrinfo(found);
    error.Clear();
    return true;
}

void CUboIPAddr::SetPort(uint16_t port) {
    if (m_storage.ss_family == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&m_storage)->sin_port = htons(port);
    } else if (m_storage.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&m_storage)->sin6_port = htons(port);
    }
}

uint16_t CUboIPAddr::GetPort() const {
    if (m_storage.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in*>(&m_storage)->sin_port);
    }
    if (m_storage.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&m_storage)->sin6_port);
    }
    return 0;
}

std::string CUboIPAddr::ToString() const {
    char text[INET6_ADDRSTRLEN] = "";
    if (m_storage.ss_family == AF_INET) {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&m_storage)->sin_addr, text, sizeof text);
        return std::string(text) + ":" + std::to_string(GetPort());
    }
    if (m_storage.ss_family == AF_INET6) {
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&m_storage)->sin6_addr, text,
                    sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(GetPort());
    }
    return "";
}

CUboSocket::~CUboSocket() {
    Close();
}

bool CUboSocket::Socket(const CUboIPAddr& addr, CUboError& error) {
    Close();
    m_fd = ::socket(addr.Family(), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        error = sysError("socket", errno);
        return false;
    }
    int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    error.Clear();
    return true;
}

bool CUboSocket::Connect(const CUboIPAddr& addr, uint32_t timeoutMs, CUboError& error) {
    if (m_fd < 0) {
        error = CUboError(EBADF, "connect: no socket");
        return false;
    }
    int flags = ::fcntl(m_fd, F_GETFL, 0);
    ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(m_fd, addr.Raw(), addr.RawLength());
    int err = rc == 0 ? 0 : errno;
    if (rc != 0 && err == EINPROGRESS) {
        uint64_t waited = 0;
        err = ETIMEDOUT;
        while (waited <= timeoutMs) {
            waited += tavso::clock().waitReadyMs(m_fd, true, kConnectSliceMs);
            int soError = 0;
            socklen_t len = sizeof soError;
            // Completed (either way) once the socket reports writable.
            if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &soError, &len) == 0 && soError != 0) {
                err = soError;
                break;
            }
            sockaddr_storage peer{};
            socklen_t peerLen = sizeof peer;
            if (::getpeername(m_fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) == 0) {
                err = 0;
                break;
            }
        }
    }
    ::fcntl(m_fd, F_SETFL, flags);
    if (err != 0) {
        error = sysError("connect", err);
        return false;
    }
    error.Clear();
    return true;
}

void CUboSocket::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void CUboSocket::Clear() {
    Close();
}
