// LUN snapshots over the CLI against the simulated array, under the fake clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/HuaweiManager.h"
#include "platform/TavClock.h"
#include "sim/ArrayModel.h"
#include "tests/cli/CliSimFixture.h"
#include "tests/cli/CliTestLog.h"

namespace {

using clitest::CaptureLog;
using clitest::SimCli;
using tavso::sim::LunSpec;
using tavso::sim::ModelFaults;

class HuaweiManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clitest::NotePassword(clitest::kPassword);
        clitest::ClearLines();
        for (const char* name : {"lun_a", "lun_b", "lun_c"}) {
            LunSpec spec;
            spec.name = name;
            spec.capacity = 20971520;  // 10 GB
            spec.thin = false;
            m_luns.push_back(m_sim.Model().addLun(spec));
        }
    }
    bool Init(_HuaweiCliParams params) {
        bool ok = m_manager.Init(&m_cs, params, CaptureLog, nullptr);
        clitest::NoteText(m_manager.GetLastErrorString());
        return ok;
    }
    bool Init() { return Init(m_sim.Params()); }
    std::vector<_HM_SnapParams> Request(size_t n) {
        std::vector<_HM_SnapParams> snaps(n);
        for (size_t i = 0; i < n; ++i) {
            snaps[i].sourceId = m_luns[i];
            snaps[i].snapName = "job1";
        }
        return snaps;
    }
    std::vector<tavso::sim::LunSnapshot> Snapshots() { return m_sim.Model().observeSnapshots(); }
    int CountPrefix(const std::string& prefix) {
        int n = 0;
        for (const auto& c : m_sim.Commands()) {
            n += c.rfind(prefix, 0) == 0;
        }
        return n;
    }

    tavso::FakeClock m_clock;
    tavso::ScopedClock m_useClock{m_clock};
    TavCriticalSection m_cs;
    SimCli m_sim;
    std::vector<uint32_t> m_luns;
    CHuaweiManager m_manager;
};

TEST_F(HuaweiManagerTest, OneLunSnapshotUnderTheRequestedName) {
    ASSERT_TRUE(Init());
    auto snaps = Request(1);
    ASSERT_TRUE(m_manager.CreateSnap("job1", snaps)) << m_manager.GetLastErrorString();
    EXPECT_EQ(snaps[0].status, "Snap ID Success");
    EXPECT_EQ(snaps[0].snapName, "job1");
    auto onArray = Snapshots();
    ASSERT_EQ(onArray.size(), 1u);
    EXPECT_EQ(onArray[0].id, snaps[0].snapId);
    EXPECT_EQ(onArray[0].name, "job1");
    EXPECT_EQ(onArray[0].running, "Activated");
}

TEST_F(HuaweiManagerTest, ThreeLunsOneCommandSuffixedNamesOneActivation) {
    ASSERT_TRUE(Init());
    auto snaps = Request(3);
    ASSERT_TRUE(m_manager.CreateSnap("job1", snaps)) << m_manager.GetLastErrorString();
    std::string lunList =
        std::to_string(m_luns[0]) + "," + std::to_string(m_luns[1]) + "," + std::to_string(m_luns[2]);
    EXPECT_EQ(m_sim.CountCommand("create snapshot general lun_id_list=" + lunList + " name=job1"), 1);
    std::string ids;
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(snaps[i].status, "Snap ID Success");
        EXPECT_EQ(snaps[i].snapName, "job1000" + std::to_string(i));
        ids += (i ? "," : "") + std::to_string(snaps[i].snapId);
    }
    EXPECT_EQ(m_sim.CountCommand("change snapshot activate snapshot_id_list=" + ids), 1);
    EXPECT_EQ(CountPrefix("change snapshot activate"), 1);
    for (const auto& s : Snapshots()) {
        EXPECT_EQ(s.running, "Activated");
    }
}

TEST_F(HuaweiManagerTest, OneLunFailingInTheBatchKeepsTheOthers) {
    ModelFaults faults;
    faults.snapshotFailures[m_luns[0]] = "The LUN is busy.";
    m_sim.Model().setFaults(faults);
    ASSERT_TRUE(Init());
    auto snaps = Request(3);
    ASSERT_TRUE(m_manager.CreateSnap("job1", snaps)) << m_manager.GetLastErrorString();
    EXPECT_EQ(snaps[0].status, "Snapshot creation failure");
    EXPECT_EQ(snaps[0].snapId, 0u);
    EXPECT_EQ(snaps[1].status, "Snap ID Success");
    EXPECT_EQ(snaps[2].status, "Snap ID Success");
    EXPECT_EQ(m_sim.CountCommand("change snapshot activate snapshot_id_list=" +
                                 std::to_string(snaps[1].snapId) + "," + std::to_string(snaps[2].snapId)),
              1);
    EXPECT_EQ(Snapshots().size(), 2u);
}

TEST_F(HuaweiManagerTest, RefusedActivationLeavesNothingBehind) {
    ModelFaults faults;
    faults.refuseActivation = true;
    m_sim.Model().setFaults(faults);
    ASSERT_TRUE(Init());
    auto snaps = Request(3);
    EXPECT_FALSE(m_manager.CreateSnap("job1", snaps));
    for (const auto& s : snaps) {
        EXPECT_EQ(s.status, "");
    }
    EXPECT_TRUE(Snapshots().empty());
    EXPECT_EQ(CountPrefix("delete snapshot snapshot_id_list="), 3);
}

// A batch whose snapshots are made but cannot be found again (the connection is lost on the way)
// leaves them inactive on the array: no empty activation goes out, and each is named as left
// behind, so that somebody can clear them.
TEST_F(HuaweiManagerTest, SnapshotsOfALostBatchAreNamedAsLeftBehind) {
    struct Case {
        const char* what;
        tavso::sim::CliFault fault;
    };
    tavso::sim::CliFault lookupLost;
    lookupLost.pattern = "^show snapshot";
    lookupLost.dropBeforeReply = true;
    tavso::sim::CliFault lookupBusy;
    lookupBusy.pattern = "^show snapshot";
    lookupBusy.busy = 1000;
    tavso::sim::CliFault createLost;
    createLost.pattern = "^create snapshot";
    createLost.dropBeforeReply = true;
    for (const Case& c : {Case{"ID lookup lost", lookupLost}, Case{"ID lookup busy", lookupBusy},
                          Case{"create reply lost", createLost}}) {
        SCOPED_TRACE(c.what);
        m_sim.Model().with([](tavso::sim::ArrayState& s) { s.snapshots.clear(); });
        tavso::sim::FaultPlan plan;
        plan.rules.push_back(c.fault);
        m_sim.SetPlan(plan);
        clitest::ClearLines();
        CHuaweiManager manager;
        ASSERT_TRUE(manager.Init(&m_cs, m_sim.Params(), CaptureLog, nullptr));
        auto snaps = Request(2);
        EXPECT_FALSE(manager.CreateSnap("job1", snaps));
        EXPECT_FALSE(std::string(manager.GetLastErrorString()).empty());
        EXPECT_EQ(m_sim.CountCommand("change snapshot activate snapshot_id_list="), 0);
        for (const auto& s : snaps) {
            EXPECT_NE(s.status, "Snap ID Success");
        }
        ASSERT_EQ(Snapshots().size(), 2u);
        for (const char* name : {"(job10000)", "(job10001)"}) {
            bool named = false;
            for (const auto& line : clitest::Lines()) {
                named = named || (line.text.find(name) != std::string::npos &&
                                  line.text.find("left on the array inactive") != std::string::npos);
            }
            EXPECT_TRUE(named) << name;
        }
        manager.Uninitialize();
    }
}

TEST_F(HuaweiManagerTest, VerifyArrayAndLun) {
    ASSERT_TRUE(Init());
    std::string serial = m_sim.Model().system().serial;
    std::string name;
    EXPECT_TRUE(m_manager.VerifyArrayAndLun(serial.c_str(), m_luns[1], name));
    EXPECT_EQ(name, "lun_b");
    EXPECT_FALSE(m_manager.VerifyArrayAndLun("2102350000WRONG00001", m_luns[1], name));
    EXPECT_EQ(
        std::string(m_manager.GetLastErrorString()),
        "[ERROR] Wrong Array has been configured [ 2102350000WRONG00001]. Connected [ " + serial + "].");
    EXPECT_FALSE(m_manager.VerifyArrayAndLun(serial.c_str(), 999, name));
    EXPECT_NE(std::string(m_manager.GetLastErrorString()).find("unavailable."), std::string::npos);
}

TEST_F(HuaweiManagerTest, GetLunInfoOfAThickLun) {
    ASSERT_TRUE(Init());
    std::string name, pool, capacity, split, owner, running;
    bool thin = true;
    bool exists = false;
    std::string id = std::to_string(m_luns[0]);
    ASSERT_TRUE(m_manager.GetLunInfo(id.c_str(), name, pool, capacity, split, thin, owner, running, exists))
        << m_manager.GetLastErrorString();
    EXPECT_EQ(name, "lun_a");
    EXPECT_EQ(capacity, "10GB");
    EXPECT_EQ(split, "");
    EXPECT_FALSE(thin);
    EXPECT_TRUE(exists);
    EXPECT_FALSE(m_manager.GetLunInfo("999", name, pool, capacity, split, thin, owner, running, exists));
    EXPECT_FALSE(exists);
}

TEST_F(HuaweiManagerTest, DeleteSnapToleratesGoneAndRenamed) {
    ASSERT_TRUE(Init());
    auto snaps = Request(1);
    ASSERT_TRUE(m_manager.CreateSnap("job1", snaps));
    std::string id = std::to_string(snaps[0].snapId);
    bool gone = false;
    EXPECT_TRUE(m_manager.DeleteSnap(id.c_str(), "other_name", gone));
    EXPECT_TRUE(gone);
    EXPECT_EQ(Snapshots().size(), 1u);
    EXPECT_TRUE(m_manager.DeleteSnap(id.c_str(), "job1", gone));
    EXPECT_FALSE(gone);
    EXPECT_TRUE(Snapshots().empty());
    EXPECT_TRUE(m_manager.DeleteSnap(id.c_str(), "job1", gone));
    EXPECT_TRUE(gone);
}

TEST_F(HuaweiManagerTest, SnapCopyReplacesAnOldCopy) {
    ASSERT_TRUE(Init());
    auto snaps = Request(1);
    ASSERT_TRUE(m_manager.CreateSnap("job1", snaps));
    unsigned copyId = 0;
    std::string status;
    ASSERT_TRUE(m_manager.CreateSnapCopy(snaps[0].snapId, "TAVCL1_5", copyId, status));
    EXPECT_EQ(status, "Snap ID Success");
    unsigned firstCopy = copyId;
    ASSERT_TRUE(m_manager.CreateSnapCopy(snaps[0].snapId, "TAVCL1_5", copyId, status));
    EXPECT_NE(copyId, firstCopy);
    auto onArray = Snapshots();
    ASSERT_EQ(onArray.size(), 2u);
    EXPECT_EQ(onArray[1].id, copyId);
}

TEST_F(HuaweiManagerTest, RestorePollsUntilDoneAndTimesOut) {
    ModelFaults faults;
    faults.restoreShows = 4;
    m_sim.Model().setFaults(faults);
    auto params = m_sim.Params();
    params.jobSpeed = 3;
    ASSERT_TRUE(Init(params));
    auto snaps = Request(1);
    ASSERT_TRUE(m_manager.CreateSnap("job1", snaps));
    std::string id = std::to_string(snaps[0].snapId);
    uint64_t sleptBefore = m_clock.sleptMs();
    ASSERT_TRUE(m_manager.RestoreSnap(id.c_str(), "job1")) << m_manager.GetLastErrorString();
    EXPECT_EQ(m_sim.CountCommand("change snapshot restore snapshot_id=" + id + " restore_speed=High"), 1);
    EXPECT_GE(m_clock.sleptMs() - sleptBefore, 15000u);
    EXPECT_EQ(m_sim.Model().observeSnapshot(snaps[0].snapId)->running, "Activated");

    CHuaweiManager shortJob;
    params.jobTimeoutSecs = 14;
    ASSERT_TRUE(shortJob.Init(&m_cs, params, CaptureLog, nullptr));
    EXPECT_FALSE(shortJob.WaitAndCheckRestoreJob(id.c_str()));
    EXPECT_EQ(std::string(shortJob.GetLastErrorString()), "Job-Timeout  [status - ] [progress - %]");
    EXPECT_FALSE(m_manager.RestoreSnap("999", "gone"));
}

TEST(HuaweiManagerStatic, SpeedNamesAndCapacity) {
    EXPECT_STREQ(CHuaweiManager::RestoreSpeedName(1), "Low");
    EXPECT_STREQ(CHuaweiManager::RestoreSpeedName(0), "Middle");
    EXPECT_STREQ(CHuaweiManager::RestoreSpeedName(4), "Highest");
    EXPECT_STREQ(CHuaweiManager::RestoreSpeedName(7), "Middle");
    EXPECT_EQ(CHuaweiManager::CapacityForCreate("1.500TB"), "1TB");
    EXPECT_EQ(CHuaweiManager::CapacityForCreate("20GB"), "20GB");
}

TEST(HuaweiManagerStatic, UninitialisedOperationsFail) {
    CHuaweiManager manager;
    std::vector<_HM_SnapParams> snaps(1);
    EXPECT_FALSE(manager.CreateSnap("x", snaps));
    EXPECT_STREQ(manager.GetLastErrorString(), "CHuaweiManager::CreateSnap[ERROR] Uninitialized object");
    bool gone = false;
    EXPECT_FALSE(manager.DeleteSnap("1", "x", gone));
    EXPECT_STREQ(manager.GetLastErrorString(), "CHuaweiManager::DeleteSnap[ERROR] Uninitialized object");
}

}  // namespace
