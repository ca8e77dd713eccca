// A throw-away certificate authority and a server certificate it signed for 127.0.0.1 and
// localhost, made in memory with OpenSSL, so that the simulator speaks HTTPS like an array and a
// client can be told to trust exactly this authority.
#pragma once

#include <string>

namespace tavso::sim {

class TestCertificate {
  public:
    // A new authority (its own key and name) and a server certificate signed by it; false with
    // `error` set when OpenSSL refuses.
    static bool generate(TestCertificate& out, std::string& error);

    const std::string& caPem() const { return m_caPem; }
    const std::string& certPem() const { return m_certPem; }
    const std::string& keyPem() const { return m_keyPem; }

    // The authority's certificate as a PEM file, for a client's CA setting.
    bool writeCaPem(const std::string& path, std::string& error) const;

  private:
    std::string m_caPem;
    std::string m_certPem;
    std::string m_keyPem;
};

// The first queued OpenSSL error as text ("unknown" when the queue is empty); empties the queue.
std::string openSslError();

}  // namespace tavso::sim
