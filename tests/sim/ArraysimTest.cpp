// The arraysim program: the CLI and the REST interface of each array on one model.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/TavManageHuawei.h"
#include "platform/TavPlatformInfo.h"
#include "tests/sim/SimFixture.h"
#include "tests/support/InquiryImage.h"

extern char** environ;

namespace simtest {
namespace {

// arraysim as a child process, its standard output read line by line; killed if still running.
class Arraysim {
  public:
    explicit Arraysim(std::vector<std::string> args) {
        args.insert(args.begin(), TAVSO_ARRAYSIM_EXE);
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_out = fds[0];
    }
    ~Arraysim() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0) {
            ::close(m_out);
        }
    }
    Arraysim(const Arraysim&) = delete;
    Arraysim& operator=(const Arraysim&) = delete;

    // The next line of output; empty at its end or when none comes within the limit.
    std::string line(int timeoutMs = 10000) {
        for (;;) {
            size_t eol = m_buffer.find('\n');
            if (eol != std::string::npos) {
                std::string l = m_buffer.substr(0, eol);
                m_buffer.erase(0, eol + 1);
                return l;
            }
            pollfd p{m_out, POLLIN, 0};
            char chunk[256];
            ssize_t n = 0;
            if (::poll(&p, 1, timeoutMs) <= 0 || (n = ::read(m_out, chunk, sizeof chunk)) <= 0) {
                return {};
            }
            m_buffer.append(chunk, static_cast<size_t>(n));
        }
    }
    // "<name> <kind>" -> port, from the start-up lines of `arrays` arrays.
    std::map<std::string, int> ports(int arrays) {
        std::map<std::string, int> out;
        for (int i = 0; i < 2 * arrays; ++i) {
            std::istringstream words(line());
            std::string name, kind;
            int port = 0;
            if (words >> name >> kind >> port) {
                out[name + " " + kind] = port;
            }
        }
        return out;
    }
    // The exit status after SIGTERM (or the run's own end); -1 when it did not exit normally.
    int stop(bool signal = true) {
        if (signal) {
            ::kill(m_pid, SIGTERM);
        }
        int status = 0;
        pid_t done = ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
};

constexpr const char* kConfig = R"({"arrays": [
    {"name": "a1", "system": {"serial": "2102351234ABCD000001"},
     "users": [{"name": "backup", "password": "Backup@123", "level": "Admin"}],
     "luns": [{"name": "lun_a", "capacity_gb": 10}]},
    {"name": "a2", "system": {"serial": "2102351234ABCD000002"}}]})";

std::string serialOver(int port, const std::string& lines, const std::string& user,
                       const std::string& password) {
    ScopedSettings settings("[~Dravel]\nHW_REST_PORT=" + std::to_string(port) + "\n" + lines);
    TavManageHuawei client(0);
    if (!client.createSession(user, password, "127.0.0.1")) {
        return "login failed: " + client.lastSessionError();
    }
    _HuaweiSystemInformation info;
    client.getSystemInformation(info);
    client.closeSession();
    return info.serialNumber;
}

TEST(Arraysim, ServesRestOverHttpsBesideTheCliOnOneModel) {
    tavso::test::TempDir dir;
    std::string ca = dir.file("ca.pem"), state = dir.file("state.json");
    Arraysim sim({dir.write("arrays.json", kConfig), "--rest-ca-out", ca, "--state-out", state});
    auto ports = sim.ports(2);
    ASSERT_EQ(ports.size(), 4u);
    ASSERT_GT(ports["a1 rest"], 0);

    // The one CA file vouches for both arrays.
    std::string trust = "HW_REST_CA_FILE=" + ca + "\n";
    EXPECT_EQ(serialOver(ports["a1 rest"], trust, "backup", "Backup@123"), "2102351234ABCD000001");
    EXPECT_EQ(serialOver(ports["a2 rest"], trust, "admin", kPassword), "2102351234ABCD000002");
    {
        ScopedSettings settings("[~Dravel]\nHW_REST_PORT=" + std::to_string(ports["a1 rest"]) + "\n" + trust);
        TavManageHuawei client(0);
        ASSERT_TRUE(client.createSession("backup", "Backup@123", "127.0.0.1")) << client.lastSessionError();
        _HuaweiLUNInfo wanted;
        wanted.name = "made_over_rest";
        wanted.storagePoolId = "0";
        wanted.capacity = std::to_string(tavso::sim::kSectorsPerGb);
        std::string id;
        ASSERT_FALSE(client.createLUN(id, wanted).IsError());
    }
    SshTestClient cli;
    ASSERT_TRUE(cli.open(ports["a1 cli"], "backup", "Backup@123"));
    cli.readUntil("backup:/>");
    EXPECT_NE(cli.command("show lun general").find("made_over_rest"), std::string::npos);

    ASSERT_EQ(sim.stop(), 0);
    nlohmann::json written = nlohmann::json::parse(std::ifstream(state));
    ASSERT_EQ(written["a1"]["luns"].size(), 2u);
    EXPECT_EQ(written["a1"]["luns"][1]["name"], "made_over_rest");
}

TEST(Arraysim, PlainHttpOnRequestAndUsageErrors) {
    tavso::test::TempDir dir;
    std::string config = dir.write("arrays.json", kConfig);
    {
        Arraysim sim({config, "--rest-http"});
        auto ports = sim.ports(2);
        EXPECT_EQ(serialOver(ports["a2 rest"], "HW_REST_SCHEME=http\n", "admin", kPassword),
                  "2102351234ABCD000002");
        EXPECT_EQ(sim.stop(), 0);
    }
    // A CA file only exists for certificates the arrays made themselves.
    const std::vector<std::vector<std::string>> refused = {
        {config, "--rest-http", "--rest-ca-out", dir.file("ca.pem")},
        {config, "--rest-port", "70000"},
        {config, "--rest-cert"},
    };
    for (const auto& args : refused) {
        Arraysim sim(args);
        EXPECT_EQ(sim.stop(false), 2) << args[1];
    }
}

}  // namespace
}  // namespace simtest
