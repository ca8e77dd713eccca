// Every CLI fault kind of the plan, and many sessions and arrays at once.
#include <gtest/gtest.h>

#include <thread>

#include "tests/sim/SimFixture.h"

namespace simtest {
namespace {

using namespace tavso::sim;

const std::string kBusy = "Error: The system is busy. Please try again later.\r\n";

class SimFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SimArrayOptions o;
        o.clock = &clock;
        array = std::make_unique<SimArray>(o);
        ASSERT_TRUE(array->start());
    }
    std::unique_ptr<SshTestClient> login() {
        auto c = std::make_unique<SshTestClient>();
        EXPECT_TRUE(c->open(array->cliPort(), "admin", kPassword));
        c->readUntil("admin:/>");
        return c;
    }
    tavso::FakeClock clock;
    std::unique_ptr<SimArray> array;
};

TEST_F(SimFaultTest, BusyTwiceThenTheCommandRuns) {
    FaultPlan plan;
    plan.rules.push_back(CliFault{});
    plan.rules[0].pattern = "^create lun_group";
    plan.rules[0].busy = 2;
    array->setFaultPlan(plan);
    auto c = login();
    EXPECT_EQ(body(c->command("create lun_group name=g")).rfind(kBusy, 0), 0u);
    EXPECT_EQ(body(c->command("show lun_group general")).find("Busy"), std::string::npos);
    EXPECT_EQ(body(c->command("create lun_group name=g")).rfind(kBusy, 0), 0u);
    EXPECT_EQ(body(c->command("create lun_group name=g")), "Command executed successfully.\r\n");
    EXPECT_EQ(array->model().copy().lunGroups.size(), 1u);
}

TEST_F(SimFaultTest, CannedReplyForcedPagingAndConfirmationsChanged) {
    FaultPlan plan;
    CliFault canned;
    canned.pattern = "^show system general$";
    canned.canned = "  SN              : WRONGSERIAL000000000";
    CliFault paged;
    paged.pattern = "^show lun general$";
    paged.forcePaging = true;
    CliFault noQuestions;
    noQuestions.pattern = "^delete lun ";
    noQuestions.confirm = Confirm::None;
    CliFault asked;
    asked.pattern = "^create lun_group";
    asked.confirm = Confirm::Caution;
    plan.rules = {canned, paged, noQuestions, asked};
    array->setFaultPlan(plan);
    for (int i = 0; i < 21; ++i) {
        array->model().addLun("l" + std::to_string(i), kSectorsPerGb);
    }
    auto c = login();
    c->command("change cli more_enabled=no");
    EXPECT_EQ(body(c->command("show system general")), "  SN              : WRONGSERIAL000000000\r\n");
    c->send("show lun general\n");
    EXPECT_NE(c->readUntil("--More--").find("l16"), std::string::npos);
    c->send(" ");
    EXPECT_NE(c->readUntil("admin:/>").find("l20"), std::string::npos);
    EXPECT_EQ(body(c->command("delete lun lun_id_list=1")), "Command executed successfully.\r\n");
    c->send("create lun_group name=g\n");
    c->readUntil("Do you wish to continue?(y/n)");
    c->send("y\n");
    EXPECT_EQ(c->readUntil("admin:/>"), "y\r\nCommand executed successfully.\r\nadmin:/>");
}

TEST_F(SimFaultTest, DelayAndChunksUseTheArraysClock) {
    FaultPlan plan;
    CliFault slow;
    slow.delayMs = 30000;
    slow.chunkSize = 5;
    slow.chunkPauseMs = 100;
    plan.rules = {slow};
    array->setFaultPlan(plan);
    auto c = login();
    EXPECT_EQ(body(c->command("show lun general")),
              "Command executed successfully.\r\nNo matching records.\r\n");
    // 62 bytes of reply and prompt in 13 pieces: 12 pauses
    EXPECT_EQ(clock.sleptMs(), 30000u + 12 * 100);
}

TEST_F(SimFaultTest, DropsCliExitAndRefusedLogins) {
    struct Case {
        const char* name;
        FaultPlan plan;
        std::string expected;  // what the client reads after sending the command
        size_t lungroups;
    };
    FaultPlan before, after, exitAfter;
    before.rules.push_back(CliFault{});
    before.rules[0].dropBeforeReply = true;
    after.rules.push_back(CliFault{});
    after.rules[0].dropAfterReply = true;
    exitAfter.exitAfterCommands = 1;
    Case cases[] = {
        {"drop before", before, "create lun_group name=g\r\n", 1},
        {"drop after", after, "create lun_group name=g\r\nCommand executed successfully.\r\nadmin:/>", 1},
        {"cli exit.", exitAfter, "create lun_group name=g\r\ncli exit.\r\n", 0}};
    for (auto& k : cases) {
        SetUp();
        array->setFaultPlan(k.plan);
        auto c = login();
        if (k.plan.exitAfterCommands) {
            c->command("show lun general");
        }
        c->send("create lun_group name=g\n");
        EXPECT_EQ(c->readToEnd(), k.expected) << k.name;
        EXPECT_TRUE(c->closed()) << k.name;
        EXPECT_EQ(array->model().copy().lunGroups.size(), k.lungroups) << k.name;
    }

    FaultPlan refuse;
    refuse.refuseLogins = 1;
    array->setFaultPlan(refuse);
    SshTestClient first, second;
    EXPECT_FALSE(first.open(array->cliPort(), "admin", kPassword));
    EXPECT_TRUE(second.open(array->cliPort(), "admin", kPassword));

    FaultPlan crowded;
    crowded.tooManySessions = true;
    array->setFaultPlan(crowded);
    SshTestClient third;
    ASSERT_TRUE(third.open(array->cliPort(), "admin", kPassword));
    EXPECT_EQ(third.readToEnd(), "Too many users have logged in. Please try again later.\r\n");
}

TEST(SimConcurrency, EightSessionsOnOneArrayAndSeveralArrays) {
    SimArray arrays[3];
    for (auto& a : arrays) {
        ASSERT_TRUE(a.start());
    }
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&, i] {
            SimArray& a = arrays[i % 3 == 0 ? 1 : 0];
            SshTestClient c;
            if (!c.open(a.cliPort(), "admin", kPassword)) {
                ++failures;
                return;
            }
            c.readUntil("admin:/>");
            for (int k = 0; k < 5; ++k) {
                std::string name = "l" + std::to_string(i) + "_" + std::to_string(k);
                if (c.command("create lun name=" + name +
                              " pool_id=0 capacity=1GB owner_controller=0A lun_type=thin")
                        .find("Command executed successfully.") == std::string::npos) {
                    ++failures;
                }
            }
        });
    }
    // A client that vanishes mid-session disturbs nobody.
    {
        SshTestClient gone;
        ASSERT_TRUE(gone.open(arrays[0].cliPort(), "admin", kPassword));
        gone.send("show lun general\n");
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    size_t luns = arrays[0].model().copy().luns.size() + arrays[1].model().copy().luns.size();
    EXPECT_EQ(luns, 40u);
    EXPECT_TRUE(arrays[2].model().copy().luns.empty());
    std::set<int> sessions;
    for (const auto& e : arrays[0].transcript().entries()) {
        sessions.insert(e.session);
    }
    EXPECT_GE(sessions.size(), 5u);
}

}  // namespace
}  // namespace simtest
