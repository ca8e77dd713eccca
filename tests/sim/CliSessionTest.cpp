// Login, welcome text, echo, prompt, exit, session limit, paging and confirmations.
#include <gtest/gtest.h>

#include "tests/sim/SimFixture.h"

namespace simtest {
namespace {

using namespace tavso::sim;

TEST_F(SimTest, WelcomeTextThenPromptAndEcho) {
    auto c = login();
    EXPECT_EQ(
        welcome.rfind("WARNING: You have accessed a system operated by Example Corp. Unauthorized access is "
                      "prohibited.\r\n\r\nSystem Name     : Huawei.Storage\r\n",
                      0),
        0u)
        << welcome;
    EXPECT_NE(welcome.find("\r\nSN              : 2102351234ABCD000001\r\n"), std::string::npos);
    EXPECT_NE(welcome.find("\r\nLocation        :\r\nProduct Model   : 5500 V3\r\n"
                           "Product Version : V300R006C00\r\nTime            : "),
              std::string::npos);
    std::string reply = c->command("change cli more_enabled=no");
    EXPECT_EQ(reply, "change cli more_enabled=no\r\nCommand executed successfully.\r\nadmin:/>");
    EXPECT_EQ(c->command(""), "\r\nadmin:/>");
    c->send("exit\n");
    EXPECT_EQ(c->readToEnd(), "exit\r\ncli exit.\r\n");
    EXPECT_TRUE(c->closed());
    EXPECT_EQ(array.transcript().commands(),
              (std::vector<std::string>{"change cli more_enabled=no", "exit"}));
}

TEST_F(SimTest, WrongPasswordIsRefused) {
    SshTestClient c;
    EXPECT_FALSE(c.open(array.cliPort(), "admin", "wrong"));
}

TEST(SimKbdint, KeyboardInteractiveWithTheConfiguredPrompt) {
    for (const char* prompt : {"password: ", "Password:"}) {
        SimArrayOptions o;
        o.cli.keyboardInteractive = true;
        o.cli.kbdintPrompt = prompt;
        SimArray array(o);
        ASSERT_TRUE(array.start());
        SshTestClient c;
        ASSERT_TRUE(c.open(array.cliPort(), "admin", kPassword, true));
        EXPECT_EQ(c.kbdintPrompt(), prompt);
        SshTestClient byPassword;
        EXPECT_FALSE(byPassword.open(array.cliPort(), "admin", kPassword, false));
    }
}

TEST_F(SimTest, GarbageOverlongAndBinaryLinesGetAnErrorAndTheSessionGoesOn) {
    auto c = login();
    const std::string invalid =
        "Error: Invalid command.\r\nSuggestion: Enter a correct command. Enter \"help\" to view the command "
        "list.\r\n";
    EXPECT_EQ(body(c->command("frobnicate the array")), invalid);
    EXPECT_EQ(body(c->command(std::string(70000, 'x'))), invalid);
    EXPECT_EQ(body(c->command(std::string("show \x01\x02\xff lun", 12))), invalid);
    EXPECT_EQ(body(c->command("show lun general lun_id=abc")),
              "Error: Invalid parameter: lun_id.\r\nSuggestion: Enter a correct parameter.\r\n");
    EXPECT_EQ(body(c->command("show lun general bogus=1")),
              "Error: Invalid parameter: bogus.\r\nSuggestion: Enter a correct parameter.\r\n");
    EXPECT_EQ(body(c->command("create lun name=a pool_id=0 capacity=1GB owner_controller=0A")),
              "Error: Invalid parameter: lun_type.\r\nSuggestion: Enter a correct parameter.\r\n");
    EXPECT_EQ(body(c->command("show system general")).substr(0, 36),
              "  System Name     : Huawei.Storage\r\n");
}

TEST_F(SimTest, PagingStopsEveryTwentyLinesUntilASpace) {
    for (int i = 0; i < 25; ++i) {
        array.model().addLun("lun" + std::to_string(i), kSectorsPerGb);
    }
    auto c = login();
    c->send("show lun general\n");
    std::string first = c->readUntil("--More--");
    // echo, empty line, header, dashes and 17 rows make 20 lines of the reply
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 21) << first;
    c->send(" ");
    std::string rest = c->readUntil("admin:/>");
    EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 8) << rest;
    EXPECT_EQ(rest.find("--More--"), std::string::npos);
    c->command("change cli more_enabled=no");
    EXPECT_EQ(c->command("show lun general").find("--More--"), std::string::npos);
}

TEST_F(SimTest, ConfirmationFormsAndCancel) {
    uint32_t lun = array.model().addLun("lun_a", kSectorsPerGb);
    auto c = login();
    c->send("delete lun lun_id_list=" + std::to_string(lun) + "\n");
    EXPECT_NE(c->readUntil("Have you read warning message carefully?(y/n)").find("WARNING: "),
              std::string::npos);
    c->send("y\n");
    EXPECT_EQ(c->readUntil("Are you sure you really want to perform the operation?(y/n)"),
              "y\r\n"
              "Are you sure you really want to perform the operation?(y/n)");
    c->send("n\n");
    EXPECT_EQ(c->readUntil("admin:/>"), "n\r\nCommand canceled.\r\nadmin:/>");
    EXPECT_EQ(array.model().copy().luns.size(), 1u);

    c->send("create host name=h1 operating_system=Linux   \n");
    EXPECT_NE(c->readUntil("Do you wish to continue?(y/n)").find("CAUTION: "), std::string::npos);
    c->send("y\n");
    EXPECT_EQ(c->readUntil("admin:/>"), "y\r\nCommand executed successfully.\r\nadmin:/>");
    EXPECT_EQ(array.model().copy().hosts.at(1).operatingSystem, "Linux");

    c->command("change cli silent_enabled=yes");
    EXPECT_EQ(body(c->command("delete lun lun_id_list=" + std::to_string(lun))),
              "Command executed successfully.\r\n");
    EXPECT_TRUE(array.model().copy().luns.empty());
    auto entries = array.transcript().entries();
    ASSERT_GE(entries.size(), 4u);
    EXPECT_TRUE(entries[1].answer);
    EXPECT_EQ(entries[2].line, "n");
}

TEST_F(SimTest, SessionLimitAnswersTooManyUsers) {
    array.stop();
    SimArrayOptions o;
    o.cli.sessionLimit = 1;
    SimArray limited(o);
    ASSERT_TRUE(limited.start());
    SshTestClient first;
    ASSERT_TRUE(first.open(limited.cliPort(), "admin", kPassword));
    first.readUntil("admin:/>");
    SshTestClient second;
    ASSERT_TRUE(second.open(limited.cliPort(), "admin", kPassword));
    EXPECT_EQ(second.readToEnd(), "Too many users have logged in. Please try again later.\r\n");
}

TEST(SimIdle, IdleSessionClosesOnTheArraysClock) {
    tavso::FakeClock clock;
    SimArrayOptions o;
    o.clock = &clock;
    o.cli.idleTimeoutMs = 60000;
    SimArray array(o);
    ASSERT_TRUE(array.start());
    SshTestClient c;
    ASSERT_TRUE(c.open(array.cliPort(), "admin", kPassword));
    c.readUntil("admin:/>");
    clock.advance(59000);
    EXPECT_NE(c.command("show system general").find("SN"), std::string::npos);
    clock.advance(60000);
    EXPECT_EQ(c.readToEnd(), "cli exit.\r\n");
}

}  // namespace
}  // namespace simtest
