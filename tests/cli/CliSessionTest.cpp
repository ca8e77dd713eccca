// The CLI session and its SSH channel against the simulated array, under the fake clock.
#include <gtest/gtest.h>
#include <libssh2.h>
#include <openssl/evp.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "cli/HuaweiCli.h"
#include "cli/Ssh2Library.h"
#include "platform/TavClock.h"
#include "platform/UboNetwork.h"
#include "sim/ArrayModel.h"
#include "sim/FaultPlan.h"
#include "tests/cli/CliSimFixture.h"
#include "tests/cli/CliTestLog.h"

namespace {

using clitest::CaptureLog;
using clitest::SimCli;
using tavso::sim::CliFault;
using tavso::sim::Confirm;
using tavso::sim::FaultPlan;

class CliSession : public ::testing::Test {
  protected:
    void SetUp() override {
        clitest::NotePassword(clitest::kPassword);
        clitest::ClearLines();
    }

    bool Init(CHuaweiCli& cli, const _HuaweiCliParams& params) {
        bool ok = cli.init(params, CaptureLog, nullptr, m_version, m_error, &m_cs);
        clitest::NoteText(m_error);
        return ok;
    }
    // Runs a command; the result text ("" when none) goes to m_result.
    // A session whose array answers its next command with "cli exit.".
    bool ExitAfterOneCommand(SimCli& sim, CHuaweiCli& cli) {
        FaultPlan plan;
        plan.exitAfterCommands = 1;
        sim.SetPlan(plan);
        return Init(cli, sim.Params()) && Run(cli, "show system general");
    }
    bool Run(CHuaweiCli& cli, const std::string& command) {
        char* out = nullptr;
        uint32_t size = 0;
        m_error.clear();
        bool ok = cli.ExecuteCommand(command.c_str(), &out, &size, m_error);
        m_result = out ? out : "";
        if (out) {
            EXPECT_EQ(size, m_result.size() + 1);
        }
        CHuaweiCli::freeCommandOutput(&out);
        clitest::NoteText(m_error);
        return ok;
    }
    static FaultPlan Plan(CliFault fault) {
        FaultPlan plan;
        plan.rules.push_back(std::move(fault));
        return plan;
    }
    static CliFault Canned(const std::string& pattern, const std::string& text) {
        CliFault fault;
        fault.pattern = pattern;
        fault.canned = text;
        return fault;
    }

    tavso::FakeClock m_clock;
    tavso::ScopedClock m_useClock{m_clock};
    TavCriticalSection m_cs;
    std::string m_version, m_error, m_result;
};

TEST_F(CliSession, ConnectReadsWelcomeVersionAndSerial) {
    SimCli sim(clitest::Login::Password, "V300R006C00");
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    EXPECT_EQ(m_version, "V300R006C00");
    EXPECT_EQ(cli.SerialNumber(), sim.Model().system().serial);
    EXPECT_EQ(m_error, "");
    EXPECT_TRUE(clitest::AnyLineContains("CLI connected successfully] [Version - V300R006C00] [SN - " +
                                         sim.Model().system().serial + "]"));
    EXPECT_EQ(sim.ActiveSessions(), 1);
}

TEST_F(CliSession, LoginMethods) {
    struct Case {
        clitest::Login login;
        bool ok;
        const char* error;
    };
    const Case cases[] = {
        {clitest::Login::Password, true, ""},
        {clitest::Login::KbdLowerPrompt, true, ""},
        {clitest::Login::KbdUpperPrompt, false,
         "[Huawei-Array connection] Failed to authenticate with keyboard interaction. ["},
    };
    for (const Case& c : cases) {
        SimCli sim(c.login);
        CHuaweiCli cli;
        EXPECT_EQ(Init(cli, sim.Params()), c.ok) << m_error;
        EXPECT_EQ(m_error.rfind(c.error, 0), 0u) << m_error;
        if (c.ok) {
            EXPECT_EQ(sim.ActiveSessions(), 1);
        }
    }
    EXPECT_TRUE(
        clitest::AnyLineContains("[Error] unknown keyboard interactive authentication Propmpt - [Password:"));
}

TEST_F(CliSession, ServerOfferingBothMethodsIsTriedWithThePasswordOnly) {
    SimCli sim(clitest::Login::PasswordOrKbd);
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    EXPECT_EQ(sim.Logins(), std::vector<std::string>{"password"});
}

TEST_F(CliSession, ConfirmationInTheWelcomeTextFailsTheConnection) {
    SimCli sim(clitest::Login::Password, "V200R002C00", "Do you wish to continue?(y/n)");
    CHuaweiCli cli;
    EXPECT_FALSE(Init(cli, sim.Params()));
    EXPECT_NE(m_error.find("Unexpected message found while reading welcome message["), std::string::npos)
        << m_error;
    EXPECT_NE(m_error.find("Do you wish to continue?(y/n)"), std::string::npos) << m_error;
    // Nothing was answered on the administrator's behalf.
    EXPECT_TRUE(sim.Commands().empty());
}

TEST_F(CliSession, EchoMismatchFailsTheCommandButKeepsTheSession) {
    SimCli sim;
    CliFault odd;
    odd.pattern = "^show lun general";
    odd.echo = "show something else";
    sim.SetPlan(Plan(odd));
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    EXPECT_FALSE(Run(cli, "show lun general"));
    EXPECT_EQ(m_error.rfind("show lun general [ERROR output] show something else", 0), 0u) << m_error;
    EXPECT_TRUE(
        clitest::AnyLineContains("[Read ERROR2] [show lun general [ERROR output] show something else"));
    EXPECT_TRUE(Run(cli, "show system general")) << m_error;
    EXPECT_NE(m_result.find("Product Version"), std::string::npos);
}

TEST_F(CliSession, WrongPassword) {
    SimCli sim;
    auto params = sim.Params();
    params.password = "Wr0ng-Passw0rd";
    clitest::NotePassword(params.password);
    CHuaweiCli cli;
    EXPECT_FALSE(Init(cli, params));
    EXPECT_EQ(
        m_error.rfind("[Huawei-Array connection] Failed to authenticate with username and password. [", 0),
        0u)
        << m_error;
    EXPECT_TRUE(sim.Commands().empty());
}

TEST_F(CliSession, FailoverAddressIsTriedOnceWhenThePrimaryIsUnreachable) {
    SimCli sim;
    auto params = sim.Params();
    params.hostName = "127.0.0.2";  // loopback, but nothing listens there
    params.failoverHostName = "127.0.0.1";
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, params)) << m_error;
    EXPECT_EQ(m_error, "");
    EXPECT_TRUE(
        clitest::AnyLineContains("Connection attempt failed for [127.0.0.2]. [[Huawei-Array connection] "
                                 "Failed to connect to server [127.0.0.2:" +
                                 std::to_string(sim.Port()) + "]. "));
    EXPECT_EQ(sim.ActiveSessions(), 1);
    ASSERT_TRUE(Run(cli, "show system general"));
}

TEST_F(CliSession, UnreachablePrimaryWithoutFailoverIsOneAttempt) {
    SimCli sim;
    auto params = sim.Params();
    params.hostName = "127.0.0.2";
    CHuaweiCli cli;
    EXPECT_FALSE(Init(cli, params));
    EXPECT_EQ(m_error.rfind("[Huawei-Array connection] Failed to connect to server [127.0.0.2:", 0), 0u)
        << m_error;
    int attempts = 0;
    for (const auto& line : clitest::Lines()) {
        attempts += line.text.rfind("connecting...", 0) == 0;
    }
    EXPECT_EQ(attempts, 1);
    EXPECT_TRUE(clitest::AnyLineContains("[error] Connection attempt failed for [127.0.0.2]. Error ["));
    // init ran, so commands fail in the channel, not as an uninitialised session.
    EXPECT_FALSE(Run(cli, "show system general"));
    EXPECT_TRUE(clitest::AnyLineContains("[CLI found disconnected. ...]"));
}

TEST_F(CliSession, CommandResultIsExactWithoutEchoAndPrompt) {
    SimCli sim;
    sim.SetPlan(Plan(Canned("^show lun general$", "  ID  Name\n  --  ----\n  17  lun_a")));
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    ASSERT_TRUE(Run(cli, "show lun general")) << m_error;
    EXPECT_EQ(m_result, "  ID  Name\r\n  --  ----\r\n  17  lun_a\r\n");
    EXPECT_EQ(cli.LastResult(), m_result);
    EXPECT_TRUE(clitest::AnyLineContains("[CLICOMMAND] show lun general"));
}

TEST_F(CliSession, EmptyResultFailsTheSessionCommandButNotTheChannel) {
    SimCli sim;
    sim.SetPlan(Plan(Canned("^noop", "")));
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    EXPECT_FALSE(Run(cli, "noop"));
    EXPECT_EQ(m_result, "");
    std::string result = "x", error;
    EXPECT_TRUE(cli.TavHuaweiSSHChannel::ExecuteCommand("noop", result, error)) << error;
    EXPECT_EQ(result, "");
}

TEST_F(CliSession, BusyArrayIsRetriedFiveTimesWithOneSecondPauses) {
    struct Case {
        int busy;
        bool ok;
        uint64_t sleptMs;
        int runs;
    };
    for (const Case& c : {Case{2, true, 2000, 3}, Case{5, false, 5000, 5}}) {
        SimCli sim;
        CliFault busy;
        busy.pattern = "^show system general$";
        busy.busy = c.busy;
        sim.SetPlan(Plan(busy));
        CHuaweiCli cli;
        ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
        uint64_t before = m_clock.sleptMs();
        EXPECT_EQ(Run(cli, "show system general"), c.ok) << m_error;
        EXPECT_EQ(m_clock.sleptMs() - before, c.sleptMs);
        EXPECT_EQ(sim.CountCommand("show system general"), c.runs);
        if (c.ok) {
            EXPECT_NE(cli.LastResult().find("Product Version"), std::string::npos);
        } else {
            EXPECT_EQ(m_error, "Error: The system is busy. Please try again later");
        }
    }
}

TEST_F(CliSession, PagingIsAnsweredWithOneSpace) {
    SimCli sim;
    std::string text;
    for (int i = 0; i < 45; ++i) {
        text += "line " + std::to_string(i) + "\n";
    }
    CliFault paged = Canned("^show long$", text);
    paged.forcePaging = true;
    sim.SetPlan(Plan(paged));
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    ASSERT_TRUE(Run(cli, "show long")) << m_error;
    EXPECT_EQ(m_result.find("--More--"), std::string::npos);
    EXPECT_EQ(m_result.rfind("line 0\r\nline 1\r\n", 0), 0u);
    EXPECT_NE(m_result.find("line 19\r\nline 20\r\n"), std::string::npos);
    EXPECT_NE(m_result.find("line 44\r\n"), std::string::npos);
}

TEST_F(CliSession, ConfirmationsAreAnsweredAndTheReplyStartsAfterThem) {
    for (Confirm form : {Confirm::Caution, Confirm::Warning}) {
        SimCli sim;
        CliFault confirm;
        confirm.pattern = "^change cli timeout=100$";
        confirm.confirm = form;
        sim.SetPlan(Plan(confirm));
        CHuaweiCli cli;
        ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
        ASSERT_TRUE(Run(cli, "change cli timeout=100")) << m_error;
        EXPECT_EQ(m_result, "Command executed successfully.\r\n");
    }
}

TEST_F(CliSession, PausesBetweenChunksAddUpPastTheBudget) {
    SimCli sim;
    CliFault slow;
    slow.pattern = "^show system general$";
    slow.chunkSize = 16;
    slow.chunkPauseMs = 400;
    sim.SetPlan(Plan(slow));
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params(1000))) << m_error;
    EXPECT_FALSE(Run(cli, "show system general"));
    EXPECT_EQ(m_error, "Error Timeout reading.");
    EXPECT_TRUE(clitest::AnyLineContains("[Error timeout][elapsed - "));
    EXPECT_FALSE(Run(cli, "show system general"));  // the failed read disconnected the session
    EXPECT_EQ(sim.CountCommand("show system general"), 1);
}

TEST_F(CliSession, DroppedConnectionEndsTheReadAtOnce) {
    SimCli sim;
    CliFault drop;
    drop.pattern = "^show system general$";
    drop.dropBeforeReply = true;
    sim.SetPlan(Plan(drop));
    CHuaweiCli cli;
    auto params = sim.Params(60000);
    ASSERT_TRUE(Init(cli, params)) << m_error;
    uint64_t start = m_clock.nowMs();
    EXPECT_FALSE(Run(cli, "show system general"));
    EXPECT_EQ(m_error.rfind("Error reading stdout channel.", 0), 0u) << m_error;
    EXPECT_LT(m_clock.nowMs() - start, params.cliTimeoutMs);
}

TEST_F(CliSession, CliExitEndsTheSession) {
    SimCli sim;
    CHuaweiCli cli;
    ASSERT_TRUE(ExitAfterOneCommand(sim, cli));
    std::string result, error;
    EXPECT_TRUE(cli.TavHuaweiSSHChannel::ExecuteCommand("show lun general", result, error)) << error;
    EXPECT_EQ(result, "");
    clitest::ClearLines();
    EXPECT_FALSE(Run(cli, "show lun general"));
    EXPECT_EQ(m_error, "The CLI session to the array is closed");
    EXPECT_TRUE(clitest::AnyLineContains("[CLI found disconnected. ...]"));
    EXPECT_EQ(sim.CountCommand("show lun general"), 1);
}

// The operations report the session's error text to the host: a "cli exit." in place of the
// answer must give one.
TEST_F(CliSession, CliExitInsteadOfAnAnswerFailsWithAReason) {
    SimCli sim;
    CHuaweiCli cli;
    ASSERT_TRUE(ExitAfterOneCommand(sim, cli));
    EXPECT_FALSE(Run(cli, "show lun general"));
    EXPECT_EQ(m_error, "The array closed the CLI session (cli exit.) instead of answering");
}

TEST_F(CliSession, TooManySessionsAtLogin) {
    SimCli sim;
    FaultPlan plan;
    plan.tooManySessions = true;
    sim.SetPlan(plan);
    CHuaweiCli cli;
    EXPECT_FALSE(Init(cli, sim.Params()));
    EXPECT_EQ(m_error, "Too many connections found . Unable to process the request now.");
}

TEST_F(CliSession, CommandWithControlCharacterIsRefusedBeforeSending) {
    SimCli sim;
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    for (const char* bad : {"show lun general\ndelete lun lun_id_list=1", "show lun\tgeneral", "show\r"}) {
        EXPECT_FALSE(Run(cli, bad));
        EXPECT_NE(m_error.find("line break or another control character"), std::string::npos) << m_error;
    }
    EXPECT_TRUE(sim.Commands().empty());
    EXPECT_TRUE(Run(cli, "show system general")) << m_error;  // still connected
}

TEST_F(CliSession, UninitialisedSessionAndNullResult) {
    CHuaweiCli cli;
    EXPECT_FALSE(Run(cli, "show system general"));
    EXPECT_EQ(m_error, "CHuaweiCli::ExecuteCommand [ERROR] uninitialized object");
    char* none = nullptr;
    CHuaweiCli::freeCommandOutput(&none);
    EXPECT_EQ(none, nullptr);
}

TEST_F(CliSession, PasswordNeverInDumpOrCommandLogs) {
    SimCli sim;
    CHuaweiCli cli;
    ASSERT_TRUE(Init(cli, sim.Params())) << m_error;
    std::string command = std::string("change user name=admin password=") + clitest::kPassword;
    Run(cli, command);
    cli.DumpLastCLIActivity();
    EXPECT_TRUE(clitest::AnyLineContains("[Command] -[change user name=admin password=******]"));
    EXPECT_FALSE(clitest::AnyLineContains(clitest::kPassword));
}

}  // namespace

namespace {

// The simulator's host key as an OpenSSH known-hosts line for 127.0.0.1 on its port.
std::string KnownHostsLine(int port) {
    CUboIPAddr addr;
    CUboError error;
    CUboSocket socket;
    if (!CUboIPAddr::GetByName("127.0.0.1", 0, addr, error) || !socket.Socket(addr, error)) {
        return "";
    }
    addr.SetPort(static_cast<uint16_t>(port));
    if (!socket.Connect(addr, 5000, error)) {
        return "";
    }
    Ssh2Library::Init();
    LIBSSH2_SESSION* session = libssh2_session_init();
    std::string line;
    if (libssh2_session_handshake(session, socket.GetDescriptor()) == 0) {
        size_t length = 0;
        int type = 0;
        const char* key = libssh2_session_hostkey(session, &length, &type);
        const char* name = type == LIBSSH2_HOSTKEY_TYPE_ED25519     ? "ssh-ed25519"
                           : type == LIBSSH2_HOSTKEY_TYPE_ECDSA_256 ? "ecdsa-sha2-nistp256"
                                                                    : "ssh-rsa";
        std::string b64(4 * ((length + 2) / 3) + 1, '\0');
        int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&b64[0]),
                                reinterpret_cast<const unsigned char*>(key), static_cast<int>(length));
        b64.resize(static_cast<size_t>(n));
        line = "[127.0.0.1]:" + std::to_string(port) + " " + name + " " + b64 + "\n";
    }
    libssh2_session_disconnect(session, "bye");
    libssh2_session_free(session);
    Ssh2Library::Exit();
    return line;
}

class TempFile {
  public:
    explicit TempFile(const std::string& text) {
        char name[] = "/tmp/tavso-known-hosts-XXXXXX";
        int fd = ::mkstemp(name);
        m_path = name;
        if (fd >= 0) {
            ssize_t written = ::write(fd, text.data(), text.size());
            (void)written;
            ::close(fd);
        }
    }
    ~TempFile() { ::unlink(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

TEST_F(CliSession, HostKeyIsLoggedAndCheckedAgainstKnownHosts) {
    SimCli sim;
    int port = sim.Port();
    std::string listed = KnownHostsLine(port);
    ASSERT_FALSE(listed.empty());
    const std::string other =
        "[127.0.0.1]:" + std::to_string(port) +
        " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIGGxQhUwXeGA6V57qD5DS76SxOjxwf4R3fyxOG1E57kq\n";
    struct Case {
        std::string file;
        bool ok;
        const char* error;
    };
    const Case cases[] = {
        {listed, true, ""},
        {other, false, "] does not match known hosts file ["},
        {"[10.0.0.1]:22 " + listed.substr(listed.find(' ') + 1), false,
         "] is not listed in known hosts file ["},
    };
    for (const Case& c : cases) {
        TempFile known(c.file);
        sim.SetSettings("HW_SSH_KNOWN_HOSTS=" + known.Path() + "\n");
        CHuaweiCli cli;
        EXPECT_EQ(Init(cli, sim.Params()), c.ok) << m_error;
        EXPECT_NE(m_error.find(c.error), std::string::npos) << m_error;
    }
    EXPECT_TRUE(clitest::AnyLineContains("host key fingerprint [SHA256:"));
}

}  // namespace
