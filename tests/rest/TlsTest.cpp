#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "sim/TestCertificate.h"
#include "tests/rest/RestFixture.h"
#include "tests/support/InquiryImage.h"

using namespace resttest;
using tavso::sim::RestOptions;
using tavso::sim::TestCertificate;

namespace {

TestCertificate generated() {
    TestCertificate c;
    std::string error;
    EXPECT_TRUE(TestCertificate::generate(c, error)) << error;
    return c;
}

// A simulated array serving REST over HTTPS, and the settings that point the client at it.
class TlsTest : public ::testing::Test {
  protected:
    void startServer(RestOptions options = {}) {
        auto server = std::make_unique<tavso::sim::RestServer>(array.model(), array.clock(), options);
        std::string error;
        ASSERT_TRUE(server->start(error)) << error;
        rest = server.get();
        array.addFrontEnd(std::move(server));
    }
    // The authority of the server's own certificate, as a file.
    std::string ownCaFile() {
        std::string path = dir.file("own-ca.pem"), error;
        EXPECT_TRUE(rest->certificate() && rest->certificate()->writeCaPem(path, error)) << error;
        return path;
    }
    std::string otherCaFile() { return dir.write("other-ca.pem", generated().caPem()); }
    void use(const std::string& lines, uint16_t port = 0) {
        settings.reset();
        settings = std::make_unique<ScopedSettings>(
            "[~Dravel]\nHW_REST_PORT=" + std::to_string(port ? port : rest->port()) + "\n" + lines);
    }

    tavso::FakeClock arrayClock;
    tavso::sim::SimArray array{restOnly(&arrayClock)};
    tavso::sim::RestServer* rest = nullptr;
    tavso::test::TempDir dir;
    std::unique_ptr<ScopedSettings> settings;
    TavManageHuawei client{0};
};

TEST_F(TlsTest, HttpsSessionsSucceedWithoutVerificationAndWithTheServersAuthority) {
    startServer();
    uint32_t lun = array.model().addLun("lun_a", 10 * tavso::sim::kSectorsPerGb);
    struct Case {
        const char* what;
        bool trustOwnCa;
        const char* host;
    } cases[] = {
        {"no CA setting: the peer is not verified", false, "127.0.0.1"},
        {"the server's CA, by address", true, "127.0.0.1"},
        {"the server's CA, by name", true, "localhost"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        use(c.trustOwnCa ? "HW_REST_CA_FILE=" + ownCaFile() + "\n" : "");
        TavManageHuawei session(0);
        ASSERT_TRUE(session.createSession(kUser, kPassword, c.host)) << session.lastSessionError();
        _HuaweiLUNInfo info;
        ASSERT_FALSE(session.getLUNInfo(info, std::to_string(lun), kNoVStore).IsError());
        EXPECT_EQ(info.name, "lun_a");
        session.closeSession();
    }
}

TEST_F(TlsTest, ConcurrentVerifiedCallsShareOneClient) {
    // Each thread's call takes a pooled handle with a TLS connection of its own.
    startServer();
    uint32_t lun = array.model().addLun("lun_a", 10 * tavso::sim::kSectorsPerGb);
    use("HW_REST_CA_FILE=" + ownCaFile() + "\n");
    ASSERT_TRUE(client.createSession(kUser, kPassword, "127.0.0.1")) << client.lastSessionError();
    constexpr int kThreads = 8;
    std::vector<std::string> errors(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5 && errors[i].empty(); ++round) {
                _HuaweiLUNInfo info;
                HuaweiApi::ResultStatus st = client.getLUNInfo(info, std::to_string(lun), kNoVStore);
                if (st.IsError() || info.name != "lun_a") {
                    errors[i] = st.GetErrorString() + " [" + info.name + "]";
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(errors[i], "") << i;
    }
}

TEST_F(TlsTest, GivenCertificateFilesAreServed) {
    TestCertificate files = generated();
    RestOptions options;
    options.certFile = dir.write("server.pem", files.certPem());
    options.keyFile = dir.write("server.key", files.keyPem());
    startServer(options);
    EXPECT_EQ(rest->certificate(), nullptr);
    use("HW_REST_CA_FILE=" + dir.write("ca.pem", files.caPem()) + "\n");
    EXPECT_TRUE(client.createSession(kUser, kPassword, "127.0.0.1")) << client.lastSessionError();
}

TEST_F(TlsTest, UnusableCertificateFilesFailTheStartClearly) {
    TestCertificate files = generated(), other = generated();
    struct Case {
        const char* what;
        std::string cert, key, expected;
    } cases[] = {
        {"no such file", dir.file("missing.pem"), dir.write("a.key", files.keyPem()),
         "Unable to use the certificate"},
        {"a key of another certificate", dir.write("b.pem", files.certPem()),
         dir.write("b.key", other.keyPem()), "Unable to use the certificate"},
        {"a key without its certificate", "", dir.write("c.key", files.keyPem()), "needs its key file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RestOptions options;
        options.certFile = c.cert;
        options.keyFile = c.key;
        tavso::sim::RestServer server(array.model(), array.clock(), options);
        std::string error;
        EXPECT_FALSE(server.start(error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST_F(TlsTest, UntrustedOrMismatchedTransportFailsTheLoginWithCurlsReason) {
    struct Case {
        const char* what;
        bool plainServer;
        std::string lines;
        const char* expected;  // part of curl's own text
    } cases[] = {
        {"another authority", false, "HW_REST_CA_FILE=" + otherCaFile() + "\n",
         "unable to get local issuer certificate"},
        {"a CA file that is not there", false, "HW_REST_CA_FILE=" + dir.file("none.pem") + "\n", "CA cert"},
        {"HTTPS to a plain HTTP server", true, "", "SSL connect error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tavso::sim::SimArray other{restOnly(&arrayClock)};
        RestOptions options;
        options.plainHttp = c.plainServer;
        auto server = std::make_unique<tavso::sim::RestServer>(other.model(), other.clock(), options);
        std::string error;
        ASSERT_TRUE(server->start(error)) << error;
        use(c.lines, server->port());
        TavManageHuawei session(0);
        EXPECT_FALSE(session.createSession(kUser, kPassword, "127.0.0.1"));
        EXPECT_NE(session.lastSessionError().find("REST call failed: "), std::string::npos)
            << session.lastSessionError();
        EXPECT_NE(session.lastSessionError().find(c.expected), std::string::npos)
            << session.lastSessionError();
        EXPECT_EQ(server->logins(), 0);
    }
}

TEST_F(TlsTest, ACaSetMidSessionIsHonouredOnTheNextCall) {
    // The open connection was never verified; it must not carry a call that now asks for it.
    startServer();
    use("");
    ASSERT_TRUE(client.createSession(kUser, kPassword, "127.0.0.1")) << client.lastSessionError();
    use("HW_REST_CA_FILE=" + otherCaFile() + "\n");
    _HuaweiSystemInformation info;
    HuaweiApi::ResultStatus st = client.getSystemInformation(info);
    ASSERT_TRUE(st.IsError());
    EXPECT_NE(st.GetErrorString().find("certificate"), std::string::npos) << st.GetErrorString();
    use("HW_REST_CA_FILE=" + ownCaFile() + "\n");
    EXPECT_FALSE(client.getSystemInformation(info).IsError());
}

TEST_F(TlsTest, RefusedPortFailsAtOnce) {
    // Bound but not listening: the port is closed and no one else can take it meanwhile.
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    use("", ntohs(addr.sin_port));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.createSession(kUser, kPassword, "127.0.0.1"));
    auto spent = std::chrono::steady_clock::now() - t0;
    ::close(fd);
    EXPECT_NE(client.lastSessionError().find("REST call failed: "), std::string::npos);
    EXPECT_NE(client.lastSessionError().find("connect"), std::string::npos) << client.lastSessionError();
    // Far below the 10-second connect limit: a refusal is not waited out.
    EXPECT_LT(spent, std::chrono::seconds(3));
}

}  // namespace
