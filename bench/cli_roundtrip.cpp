// One command round trip through CHuaweiCli::ExecuteCommand against the embedded simulator,
// beside a bare libssh2 request-reply loop on the same simulator in the same run.
#include <libssh2.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "api/TavCriticalSection.h"
#include "cli/HuaweiCli.h"
#include "platform/TavClock.h"
#include "platform/TavPlatformInfo.h"
#include "platform/UboNetwork.h"
#include "sim/ArrayModel.h"
#include "sim/CliServer.h"
#include "sim/FaultPlan.h"
#include "sim/Transcript.h"

namespace {

constexpr int kRounds = 400;
constexpr const char* kCommand = "show system general";
constexpr const char* kUser = "admin";
constexpr const char* kPassword = "bench-Passw0rd";

using Clock = std::chrono::steady_clock;

struct Stats {
    double median;
    double p95;
};

Stats Summarise(std::vector<double> us) {
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[(us.size() * 95) / 100]};
}

// The least a client can do: write the line, read until the prompt, waiting on the socket.
class BareLoop {
  public:
    bool Open(int port) {
        CUboIPAddr addr;
        CUboError error;
        if (!CUboIPAddr::GetByName("127.0.0.1", 0, addr, error) || !m_socket.Socket(addr, error)) {
            return false;
        }
        addr.SetPort(static_cast<uint16_t>(port));
        if (!m_socket.Connect(addr, 5000, error)) {
            return false;
        }
        libssh2_init(0);
        m_session = libssh2_session_init();
        if (libssh2_session_handshake(m_session, m_socket.GetDescriptor()) != 0 ||
            libssh2_userauth_password(m_session, kUser, kPassword) != 0) {
            return false;
        }
        m_channel = libssh2_channel_open_session(m_session);
        if (!m_channel || libssh2_channel_request_pty(m_channel, "vt100") != 0 ||
            libssh2_channel_shell(m_channel) != 0) {
            return false;
        }
        libssh2_session_set_blocking(m_session, 0);
        std::string welcome;
        return ReadToPrompt(welcome);
    }
    ~BareLoop() {
        if (m_channel) {
            libssh2_channel_free(m_channel);
        }
        if (m_session) {
            libssh2_session_disconnect(m_session, "bye");
            libssh2_session_free(m_session);
            libssh2_exit();
        }
    }
    // Returns whether the reply needed a wait (an empty read) before it was complete.
    bool RoundTrip(bool& waited) {
        std::string line = std::string(kCommand) + "\n";
        size_t sent = 0;
        while (sent < line.size()) {
            ssize_t n = libssh2_channel_write(m_channel, line.data() + sent, line.size() - sent);
            if (n == LIBSSH2_ERROR_EAGAIN) {
                Wait();
            } else if (n < 0) {
                return false;
            } else {
                sent += static_cast<size_t>(n);
            }
        }
        std::string reply;
        m_waits = 0;
        bool ok = ReadToPrompt(reply);
        waited = m_waits > 0;
        return ok;
    }

  private:
    void Wait() {
        ++m_waits;
        pollfd p{m_socket.GetDescriptor(), POLLIN, 0};
        ::poll(&p, 1, 1000);
    }
    bool ReadToPrompt(std::string& text) {
        const std::string prompt = std::string(kUser) + ":/>";
        char buffer[2048];
        for (;;) {
            ssize_t n = libssh2_channel_read(m_channel, buffer, sizeof buffer);
            if (n == LIBSSH2_ERROR_EAGAIN) {
                Wait();
                continue;
            }
            if (n <= 0) {
                return false;
            }
            text.append(buffer, static_cast<size_t>(n));
            // Same acknowledgement policy as the channel under test, so only the code differs.
            int one = 1;
            ::setsockopt(m_socket.GetDescriptor(), IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
            if (text.size() >= prompt.size() &&
                text.compare(text.size() - prompt.size(), prompt.size(), prompt) == 0) {
                return true;
            }
        }
    }
    CUboSocket m_socket;
    LIBSSH2_SESSION* m_session = nullptr;
    LIBSSH2_CHANNEL* m_channel = nullptr;
    int m_waits = 0;
};

}  // namespace

int main() {
    tavso::sim::ArrayModel model;
    model.addUser({kUser, kPassword, "Super_admin", "", ""});
    tavso::sim::FaultPlanState faults;
    tavso::sim::Transcript transcript;
    tavso::sim::CliServer server(tavso::sim::CliBackend{model, faults, transcript, tavso::clock()},
                                 tavso::sim::CliOptions{});
    std::string startError;
    if (!server.start(startError)) {
        std::fprintf(stderr, "simulator did not start: %s\n", startError.c_str());
        return 1;
    }
    ScopedSettings settings("[~Dravel]\nHW_CLI_PORT=" + std::to_string(server.port()) + "\n");

    BareLoop bare;
    if (!bare.Open(server.port())) {
        std::fprintf(stderr, "bare libssh2 session failed\n");
        return 1;
    }
    CHuaweiCli cli;
    _HuaweiCliParams params;
    params.hostName = "127.0.0.1";
    params.userName = kUser;
    params.password = kPassword;
    params.cliTimeoutMs = 20000;
    TavCriticalSection cs;
    std::string version, error;
    if (!cli.init(params, nullptr, nullptr, version, error, &cs)) {
        std::fprintf(stderr, "CLI session failed: %s\n", error.c_str());
        return 1;
    }

    std::vector<double> bareUs, cliUs;
    int waitedReplies = 0;
    // Interleaved, so both see the same machine load.
    for (int i = 0; i < kRounds; ++i) {
        bool waited = false;
        auto t0 = Clock::now();
        if (!bare.RoundTrip(waited)) {
            std::fprintf(stderr, "bare round trip failed\n");
            return 1;
        }
        auto t1 = Clock::now();
        char* out = nullptr;
        uint32_t size = 0;
        if (!cli.ExecuteCommand(kCommand, &out, &size, error)) {
            std::fprintf(stderr, "CLI round trip failed: %s\n", error.c_str());
            return 1;
        }
        CHuaweiCli::freeCommandOutput(&out);
        auto t2 = Clock::now();
        waitedReplies += waited;
        bareUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        cliUs.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    Stats b = Summarise(bareUs), c = Summarise(cliUs);
    std::printf("cli_roundtrip: %d rounds of \"%s\"\n", kRounds, kCommand);
    std::printf("  bare libssh2 loop        median %8.1f us   p95 %8.1f us\n", b.median, b.p95);
    std::printf("  CHuaweiCli::ExecuteCommand median %8.1f us   p95 %8.1f us\n", c.median, c.p95);
    std::printf("  ratio (median)           %.2f   (target <= 1.30)\n", c.median / b.median);
    std::printf("  ratio (p95)              %.2f\n", c.p95 / b.p95);
    // The original design slept a fixed 50 ms on every empty read; a reply that was not there on
    // the first read cost at least one such sleep.
    double fixedMs = waitedReplies * 50.0;
    std::printf(
        "  fixed 50 ms polling: %d of %d replies needed a wait -> at least %.0f ms "
        "(%.1f ms per command) vs %.1f ms measured here\n",
        waitedReplies, kRounds, fixedMs, fixedMs / kRounds, [&] {
            double sum = 0;
            for (double v : cliUs)
                sum += v;
            return sum / 1000.0;
        }());
    return 0;
}
