// The CLI manager base against the simulated array, under the fake clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/HuaweiManagerCliBase.h"
#include "platform/TavClock.h"
#include "sim/ArrayModel.h"
#include "sim/FaultPlan.h"
#include "tests/cli/CliSimFixture.h"
#include "tests/cli/CliTestLog.h"

namespace {

using clitest::CaptureLog;
using clitest::SimCli;
using tavso::sim::CliFault;
using tavso::sim::FaultPlan;

class ManagerCliBase : public ::testing::Test {
  protected:
    void SetUp() override {
        clitest::NotePassword(clitest::kPassword);
        clitest::ClearLines();
    }
    bool Init(CHuaweiManagerCliBase& manager, const _HuaweiCliParams& params) {
        bool ok = manager.Init(&m_cs, params, CaptureLog, nullptr);
        clitest::NoteText(manager.GetLastErrorString());
        return ok;
    }
    static FaultPlan Canned(const std::string& pattern, const std::string& text) {
        CliFault fault;
        fault.pattern = pattern;
        fault.canned = text;
        FaultPlan plan;
        plan.rules.push_back(fault);
        return plan;
    }

    tavso::FakeClock m_clock;
    tavso::ScopedClock m_useClock{m_clock};
    TavCriticalSection m_cs;
};

TEST_F(ManagerCliBase, FirmwareCheck) {
    struct Case {
        const char* version;
        bool ignore;
        bool ok;
        bool newFirmware;
    };
    const Case cases[] = {
        {"V200R002C00", false, true, false}, {"V300R006C20", false, false, false},
        {"V300R006C20", true, true, true},   {"V300R003C00", true, true, true},
        {"V300R002C10", true, true, false},
    };
    for (const Case& c : cases) {
        SimCli sim(clitest::Login::Password, c.version);
        auto params = sim.Params();
        params.ignoreFirmwareCheck = c.ignore;
        CHuaweiManagerCliBase manager;
        EXPECT_EQ(Init(manager, params), c.ok) << c.version << " " << manager.GetLastErrorString();
        EXPECT_EQ(manager.IsInitialized(), c.ok);
        EXPECT_EQ(manager.GetFirmwareVersion(), c.version);
        if (c.ok) {
            EXPECT_EQ(manager.IsNewFirmware(), c.newFirmware) << c.version;
            // Paging off and both time-outs set, in this order, after the user check.
            std::vector<std::string> expected = {
                "show user |filterRow column=Name predict=equal_to value=admin",
                "change safe_strategy session_expired_time=100", "change cli timeout=100",
                "change cli more_enabled=no"};
            EXPECT_EQ(sim.Commands(), expected);
        } else {
            EXPECT_EQ(std::string(manager.GetLastErrorString()),
                      std::string("[ERROR] Unsupported Huawei Firmware version [ ") + c.version + "]");
            EXPECT_TRUE(sim.Commands().empty());
        }
    }
}

TEST_F(ManagerCliBase, UserLevel) {
    for (const char* level : {"Guest", "Read_only", "Admin"}) {
        SimCli sim;
        sim.AddUser("operator", level);
        auto params = sim.Params();
        params.userName = "operator";
        CHuaweiManagerCliBase manager;
        bool guest = std::string(level) == "Guest";
        EXPECT_EQ(Init(manager, params), !guest) << level << " " << manager.GetLastErrorString();
        if (guest) {
            EXPECT_STREQ(manager.GetLastErrorString(), "[ERROR] User privileges insufficient [ operator]");
        }
    }
}

TEST_F(ManagerCliBase, SessionSettingFailures) {
    struct Case {
        const char* command;
        const char* error;
    };
    const Case cases[] = {
        {"change safe_strategy session_expired_time=100", "[ERROR] Changing Max-timeout"},
        {"change cli timeout=100", "[ERROR] Setting timeout"},
        {"change cli more_enabled=no", "[ERROR] Disabling 'more'."},
    };
    for (const Case& c : cases) {
        SimCli sim;
        sim.SetPlan(Canned(std::string("^") + c.command + "$", "Error: The operation failed."));
        CHuaweiManagerCliBase manager;
        EXPECT_FALSE(Init(manager, sim.Params()));
        EXPECT_STREQ(manager.GetLastErrorString(), c.error);
        EXPECT_FALSE(manager.IsInitialized());
    }
}

TEST_F(ManagerCliBase, WaitRepeatSettingBoundsTheRunsOfAValueQuery) {
    struct Case {
        const char* settings;
        int waitRepeatMs;
        int runs;
    };
    const Case cases[] = {
        {"", 500, 102},
        {"HW_WAIT_REPEAT_MS=0\n", 0, 2},
        {"HW_WAIT_REPEAT_MS=-20\n", 500, 102},
        {"HW_WAIT_REPEAT_MS=12\n", 12, 4},
    };
    for (const Case& c : cases) {
        SimCli sim;
        sim.SetSettings(c.settings);
        CHuaweiManagerCliBase manager;
        ASSERT_TRUE(Init(manager, sim.Params())) << manager.GetLastErrorString();
        EXPECT_EQ(manager.WaitRepeatMs(), c.waitRepeatMs);
        std::string value = "stale";
        const char* query = "show lun general|filterRow column=Name predict=equal_to value=missing";
        EXPECT_FALSE(manager.GetValueByCommand(query, 1, "missing", 0, value, true));
        EXPECT_STREQ(manager.GetLastErrorString(), " Unable to find value");
        EXPECT_EQ(sim.CountCommand(query), c.runs) << c.settings;
        EXPECT_FALSE(manager.GetValueByCommand(query, 1, "missing", 0, value, false));
        EXPECT_EQ(sim.CountCommand(query), c.runs + 1);
    }
    EXPECT_TRUE(clitest::AnyLineContains("Invalid HW_WAIT_REPEAT_MS adjusted to 500"));
    EXPECT_TRUE(clitest::AnyLineContains("found reg-key HW_WAIT_REPEAT_MS 12 MS"));
}

class ManagerQueries : public ManagerCliBase {
  protected:
    void SetUp() override {
        ManagerCliBase::SetUp();
        ASSERT_TRUE(Init(m_manager, m_sim.Params())) << m_manager.GetLastErrorString();
    }
    SimCli m_sim;
    CHuaweiManagerCliBase m_manager;
};

TEST_F(ManagerQueries, ErrorAnywhereInAReplyFailsAtOnce) {
    const std::string reply = "Something went wrong. Error: The specified LUN is unavailable.";
    m_sim.SetPlan(Canned("^show lun general lun_id=99$", reply));
    std::string value;
    std::vector<std::string> list;
    std::vector<std::vector<std::string>> rows;
    EXPECT_FALSE(m_manager.GetValueByCommand("show lun general lun_id=99", 0, "99", 1, value, true));
    EXPECT_EQ(std::string(m_manager.GetLastErrorString()), "[ERROR]" + reply + "\r\n");
    EXPECT_FALSE(m_manager.GetValueListByCommand("show lun general lun_id=99", 0, list));
    EXPECT_FALSE(m_manager.GetColumnsOfaRow("show lun general lun_id=99", rows));
    EXPECT_EQ(m_sim.CountCommand("show lun general lun_id=99"), 3);  // no retry
}

TEST_F(ManagerQueries, TheThreeQueryForms) {
    const std::string table =
        "\n  ID  Name    Pool ID\n  --  ------  -------\n  17  lun_a   0\n  18  lun_b1  1";
    m_sim.SetPlan(Canned("^show lun general$", table));
    std::string value;
    ASSERT_TRUE(m_manager.GetValueByCommand("show lun general", 1, "lun_b1", 0, value, false))
        << m_manager.GetLastErrorString();
    EXPECT_EQ(value, "18");
    std::vector<std::string> list;
    ASSERT_TRUE(m_manager.GetValueListByCommand("show lun general", 1, list));
    EXPECT_EQ(list, (std::vector<std::string>{"lun_a", "lun_b1"}));
    std::vector<std::vector<std::string>> rows;
    ASSERT_TRUE(m_manager.GetColumnsOfaRow("show lun general", rows));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"18", "lun_b1", "1"}));
}

TEST_F(ManagerQueries, EmptyTablesGiveTheMissingDataTexts) {
    m_sim.SetPlan(Canned("^show lun general$", "Command executed successfully.\nNo matching records."));
    std::vector<std::string> list;
    EXPECT_FALSE(m_manager.GetValueListByCommand("show lun general", 0, list));
    EXPECT_STREQ(m_manager.GetLastErrorString(), " Unable to find value");
    std::vector<std::vector<std::string>> rows;
    EXPECT_FALSE(m_manager.GetColumnsOfaRow("show lun general", rows));
    EXPECT_STREQ(m_manager.GetLastErrorString(), "No Rows matched. Unable find the record");
}

TEST_F(ManagerQueries, SuccessSentencesAndAcceptedTexts) {
    FaultPlan plan;
    for (auto [pattern, text] :
         {std::pair<const char*, const char*>{"^cmd ok$", "Command executed successfully."},
          {"^cmd added$", "The host has been added to the host group."},
          {"^cmd exists$", "Error: The LUN group already exists in the mapping view."}}) {
        CliFault fault;
        fault.pattern = pattern;
        fault.canned = text;
        plan.rules.push_back(fault);
    }
    m_sim.SetPlan(plan);
    EXPECT_TRUE(m_manager.ExecuteCommandGeneral("cmd ok"));
    EXPECT_TRUE(m_manager.ExecuteCommandGeneral("cmd added"));
    EXPECT_FALSE(m_manager.ExecuteCommandGeneral("cmd exists"));
    EXPECT_EQ(std::string(m_manager.GetLastErrorString()),
              "[ERROR]Error: The LUN group already exists in the mapping view.\r\n");
    EXPECT_TRUE(m_manager.ExecuteCommandGeneral2("cmd exists", "LUN group already"));
    EXPECT_FALSE(m_manager.ExecuteCommandGeneral2("cmd exists", "The object name already exists."));
    EXPECT_FALSE(m_manager.ExecuteCommandGeneral2("cmd exists", nullptr));
}

TEST(ManagerHostName, CutsToKeepTheMappingViewNameShort) {
    struct Case {
        const char* lunId;
        std::string host;
        std::string name;
    };
    const std::string forty(40, 'h');
    const Case cases[] = {
        {"12", forty, forty.substr(0, 26)},
        {"1", forty, forty.substr(0, 27)},
        {"12345", "short", "short"},
        {"", forty, forty.substr(0, 28)},
    };
    for (const Case& c : cases) {
        std::string name = "old";
        EXPECT_TRUE(CHuaweiManagerCliBase::GetHWHostName(c.lunId, c.host.c_str(), name));
        EXPECT_EQ(name, c.name);
        EXPECT_LE((std::string(c.lunId) + "_" + name + "VU").size(), 31u);
    }
}

}  // namespace
