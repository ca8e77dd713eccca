// The network library: name resolution and TCP sockets with a connect time limit.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <string>

#include "platform/UboError.h"

// One resolved IPv4 or IPv6 address with a port.
class CUboIPAddr {
  public:
    CUboIPAddr() = default;

    // Resolves a host name or numeric address; family 0 takes the first address of any family.
    static bool GetByName(const std::string& host, int family, CUboIPAddr& addr, CUboError& error);

    void SetPort(uint16_t port);
    uint16_t GetPort() const;
    // "a.b.c.d:port" or "[v6]:port".
    std::string ToString() const;

    int Family() const { return m_storage.ss_family; }
    const sockaddr* Raw() const { return reinterpret_cast<const sockaddr*>(&m_storage); }
    socklen_t RawLength() const { return m_length; }

  private:
    sockaddr_storage m_storage{};
    socklen_t m_length = 0;
};

// A TCP socket; the descriptor is closed by Close, Clear or the destructor.
class CUboSocket {
  public:
    CUboSocket() = default;
    ~CUboSocket();
    CUboSocket(const CUboSocket&) = delete;
    CUboSocket& operator=(const CUboSocket&) = delete;

    bool Socket(const CUboIPAddr& addr, CUboError& error);
    // Connects within timeoutMs (counted on the platform clock); the socket stays blocking.
    bool Connect(const CUboIPAddr& addr, uint32_t timeoutMs, CUboError& error);
    void Close();
    void Clear();
    int GetDescriptor() const { return m_fd; }

  private:
    int m_fd = -1;
};
