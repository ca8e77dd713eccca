#include "tests/rest/RestFixture.h"

using namespace resttest;
using tavso::sim::kSectorsPerGb;

namespace {

class CloneTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        primary = array.model().addLun("src", 10 * kSectorsPerGb);
        target = array.model().addLun("TAV_target", 10 * kSectorsPerGb);
        ASSERT_TRUE(login(client));
    }
    std::string makeClone() {
        _HuaweiCloneInfo info;
        info.name = "TAV_Clone_" + std::to_string(primary);
        info.primaryLunId = std::to_string(primary);
        EXPECT_FALSE(client.createClone(info).IsError());
        return info.id;
    }
    HuaweiApi::ResultStatus addTarget(
        const std::string& clone, const HuaweiApi::CopySpeedValue& speed = HuaweiApiValue::COPY_SPEED_HIGH) {
        return client.addCloneSecondaryLun(t(), clone, speed, HuaweiApiValue::RESUME_POLICY_AUTOMATIC,
                                           HuaweiApiValue::FIRST_SYNC_YES);
    }
    std::list<_HuaweiCloneSecondaryLUN> secondaries(const std::string& clone) {
        std::list<_HuaweiCloneSecondaryLUN> list;
        EXPECT_FALSE(client.getCloneSecondaryLuns(list, clone).IsError());
        return list;
    }
    tavso::sim::ClonePair pair(const std::string& clone) {
        return array.model().copy().clones.at(std::stoul(clone));
    }
    std::string t() const { return std::to_string(target); }
    uint32_t primary = 0;
    uint32_t target = 0;
};

TEST_F(CloneTest, SecondaryIsAddedSynchronisedSplitAndRemoved) {
    array.model().with([](tavso::sim::ArrayState& s) { s.faults.cloneSyncShows = 2; });
    std::string clone = makeClone();
    ASSERT_FALSE(clone.empty());
    EXPECT_EQ(pair(clone).name, "TAV_Clone_" + std::to_string(primary));
    EXPECT_EQ(pair(clone).primaryLunId, primary);

    ASSERT_FALSE(addTarget(clone).IsError());
    EXPECT_EQ(pair(clone).secondaries.at(0).speed, "high");
    EXPECT_EQ(pair(clone).secondaries.at(0).running, "Synchronizing");

    // Each listing is a look at the pair: synchronising at half way, then normal.
    auto first = secondaries(clone);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first.front().lunId, t());
    EXPECT_EQ(first.front().name, "TAV_target");
    EXPECT_EQ(first.front().cloneId, clone);
    EXPECT_EQ(first.front().copySpeed.getIntValue(), 3);
    EXPECT_EQ(first.front().resumePolicy, HuaweiApiValue::RESUME_POLICY_AUTOMATIC);
    EXPECT_EQ(first.front().runningStatus, HuaweiApiValue::CLONE_SEC_LUN_RUNNING_STATUS_SYNC);
    EXPECT_EQ(first.front().syncProgress, 50);
    auto second = secondaries(clone);
    EXPECT_EQ(second.front().runningStatus, HuaweiApiValue::CLONE_SEC_LUN_RUNNING_STATUS_NORM);
    EXPECT_EQ(second.front().syncProgress, 100);

    _HuaweiLUNInfo lun;
    ASSERT_FALSE(client.getLUNInfo(lun, t(), kNoVStore).IsError());
    EXPECT_EQ(lun.cloneIds, std::vector<std::string>{clone});

    ASSERT_FALSE(client.splitCloneSecondaryLun(t(), clone).IsError());
    EXPECT_EQ(secondaries(clone).front().runningStatus, HuaweiApiValue::CLONE_SEC_LUN_RUNNING_STATUS_SPLIT);
    ASSERT_FALSE(client.syncCloneSecondaryLun(t(), clone).IsError());
    EXPECT_EQ(pair(clone).secondaries.at(0).running, "Synchronizing");

    ASSERT_FALSE(client.removeCloneSecondaryLun(t(), clone).IsError());
    EXPECT_TRUE(pair(clone).secondaries.empty());
    EXPECT_TRUE(array.model().observeLun(target));
    ASSERT_FALSE(client.deleteClone(clone).IsError());
    EXPECT_TRUE(array.model().copy().clones.empty());
}

TEST_F(CloneTest, AddingASecondaryTwiceIsWhatTheCallerWanted) {
    std::string clone = makeClone();
    ASSERT_FALSE(addTarget(clone).IsError());
    HuaweiApi::ResultStatus again = addTarget(clone);
    EXPECT_FALSE(again.IsError()) << again.AsString();
    EXPECT_EQ(pair(clone).secondaries.size(), 1u);
}

TEST_F(CloneTest, SpeedOutsideOneToFourLeavesTheArrayDefault) {
    std::string clone = makeClone();
    rest->clearRequests();
    ASSERT_FALSE(addTarget(clone, HuaweiApi::CopySpeedValue(5)).IsError());
    EXPECT_EQ(rest->requestBodies().back().find("COPYRATE"), std::string::npos)
        << rest->requestBodies().back();
    EXPECT_EQ(pair(clone).secondaries.at(0).speed, "medium");
}

TEST_F(CloneTest, FailuresCarryTheArrayCodesAndChangeNothing) {
    std::string clone = makeClone();
    ASSERT_FALSE(addTarget(clone).IsError());
    uint32_t plain = array.model().addLun("plain", 10 * kSectorsPerGb);
    const std::string p = std::to_string(plain);
    _HuaweiCloneInfo other;
    other.name = "TAV_Clone_" + p;
    other.primaryLunId = p;
    ASSERT_FALSE(client.createClone(other).IsError());
    _HuaweiCloneInfo sameName = other;
    _HuaweiCloneInfo noLun;
    noLun.name = "TAV_Clone_999";
    noLun.primaryLunId = "999";
    std::list<_HuaweiCloneSecondaryLUN> list;
    auto add = [&](const std::string& lun, const std::string& to) {
        return client.addCloneSecondaryLun(lun, to, HuaweiApiValue::COPY_SPEED_LOW,
                                           HuaweiApiValue::RESUME_POLICY_MANUAL,
                                           HuaweiApiValue::FIRST_SYNC_NO);
    };

    struct Case {
        const char* what;
        HuaweiApi::ResultStatus status;
        uint64_t code;
    } cases[] = {
        {"clone with secondaries", client.deleteClone(clone), 1077950222u},
        {"no such clone", client.deleteClone("77"), 1077948996u},
        {"list of no clone", client.getCloneSecondaryLuns(list, "77"), 1077948996u},
        {"name taken", client.createClone(sameName), 1077948993u},
        {"no such primary", client.createClone(noLun), 1077936859u},
        {"remove a LUN not in the clone", client.removeCloneSecondaryLun(p, clone), 1077950221u},
        {"remove no LUN", client.removeCloneSecondaryLun("999", clone), 1077936859u},
        {"split a LUN not in the clone", client.splitCloneSecondaryLun(p, clone), 1077950221u},
        {"add to no clone", add(p, "77"), 1077948996u},
        {"add a LUN of another clone", add(t(), other.id), 1077950223u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.status.GetCode(), c.code) << c.what << ": " << c.status.AsString();
        EXPECT_FALSE(c.status.GetErrorString().empty()) << c.what;
    }
    auto state = array.model().copy();
    ASSERT_EQ(state.clones.size(), 2u);
    EXPECT_EQ(state.clones.at(std::stoul(clone)).secondaries.size(), 1u);
    EXPECT_TRUE(state.clones.at(std::stoul(other.id)).secondaries.empty());
    EXPECT_TRUE(list.empty());
}

TEST_F(CloneTest, PoolIsFoundByExactName) {
    uint32_t pool = array.model().addPool("pool:a", 100 * kSectorsPerGb, 50 * kSectorsPerGb);
    array.model().addPool("pool:ab", 100 * kSectorsPerGb, 50 * kSectorsPerGb);
    _HuaweiStoragePoolInfo info;
    ASSERT_FALSE(client.getStoragePoolInfoForName(info, "pool:a").IsError());
    EXPECT_EQ(info.id, std::to_string(pool));
    EXPECT_EQ(info.name, "pool:a");
    EXPECT_EQ(info.usageType, "1");
    HuaweiApi::ResultStatus st = client.getStoragePoolInfoForName(info, "pool");
    EXPECT_EQ(st.GetCode(), 1077948996u);
}

TEST_F(CloneTest, VStoreUserCannotCloneTheArraysLuns) {
    uint32_t vs = array.model().addVStore("vstore1");
    array.model().addUser({"vsuser", "Vs@12345", "Admin", "", std::to_string(vs)});
    TavManageHuawei vsClient(0);
    ASSERT_TRUE(login(vsClient, "vsuser", "Vs@12345"));
    _HuaweiCloneInfo info;
    info.name = "TAV_Clone_x";
    info.primaryLunId = std::to_string(primary);
    EXPECT_EQ(vsClient.createClone(info).GetCode(), 1077936859u);
    std::string clone = makeClone();
    std::list<_HuaweiCloneSecondaryLUN> list;
    EXPECT_EQ(vsClient.getCloneSecondaryLuns(list, clone).GetCode(), 1077948996u);
    EXPECT_EQ(vsClient.deleteClone(clone).GetCode(), 1077948996u);
    EXPECT_EQ(array.model().copy().clones.size(), 1u);
}

}  // namespace
