#include <thread>

#include "sim/CliInterpreter.h"
#include "tests/rest/RestFixture.h"

using namespace resttest;
using tavso::sim::kSectorsPerGb;

namespace {

class LunSnapshotTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        lun = array.model().addLun("lun_a", 10 * kSectorsPerGb);
        ASSERT_TRUE(login(client));
    }
    std::string lunText() const { return std::to_string(lun); }
    // A command line as the array's CLI runs it, on the same model.
    std::vector<std::string> cli(const std::string& line) {
        tavso::sim::CliSessionSettings session;
        session.user = "admin";
        return tavso::sim::runCommand(tavso::sim::parseCommand(line), array.model(), session);
    }
    uint32_t lun = 0;
};

TEST_F(LunSnapshotTest, LunRecordIsFilledFromTheArray) {
    uint32_t clone = 0;
    array.model().with([&](tavso::sim::ArrayState& s) { s.luns[lun].owner = "0B"; });
    uint32_t target = array.model().addLun("lun_b", 10 * kSectorsPerGb);
    clone = std::stoul(array.model().createClone("TAV_Clone_1", lun).id);
    ASSERT_TRUE(array.model().addCloneSecondary(clone, target, "medium", false).ok());

    _HuaweiLUNInfo info;
    ASSERT_FALSE(client.getLUNInfo(info, lunText(), kNoVStore).IsError());
    EXPECT_EQ(info.id, lunText());
    EXPECT_EQ(info.name, "lun_a");
    EXPECT_EQ(info.storagePoolId, "0");
    EXPECT_EQ(info.cloneIds, std::vector<std::string>{std::to_string(clone)});
    EXPECT_EQ(info.allocType, HuaweiApi::AllocType("1"));
    EXPECT_EQ(info.capacity, std::to_string(10 * kSectorsPerGb));
    EXPECT_EQ(info.runningStatus.getValue(), "27");
    EXPECT_EQ(info.owningController, "0B");
    EXPECT_TRUE(info.vstoreId.empty());
}

TEST_F(LunSnapshotTest, MissingLunFailsWithTheArrayCode) {
    _HuaweiLUNInfo info;
    HuaweiApi::ResultStatus st = client.getLUNInfo(info, "999", kNoVStore);
    EXPECT_EQ(st.GetCode(), 1077936859u);
    EXPECT_EQ(st.GetErrorString(), "The specified LUN is unavailable.");
}

TEST_F(LunSnapshotTest, SnapshotLifeCycle) {
    _HuaweiLUNSnapshotInfo snap;
    ASSERT_FALSE(client.createLUNSnapshot(snap, lunText(), "TAVsnap1", kNoVStore).IsError());
    EXPECT_EQ(snap.name, "TAVsnap1");
    EXPECT_EQ(snap.parentId, lunText());
    EXPECT_EQ(snap.runningStatus, "45");
    ASSERT_FALSE(client.activateLUNSnapshot({snap.id}, kNoVStore).IsError());
    EXPECT_EQ(array.model().observeSnapshot(std::stoul(snap.id))->running, "Activated");

    _HuaweiLUNSnapshotInfo copy;
    ASSERT_FALSE(client.createLUNSnapshotCopy(copy, snap.id, "TAVCL" + snap.id + "_1", kNoVStore).IsError());
    EXPECT_EQ(copy.sourceSnapshotId, snap.id);
    EXPECT_EQ(copy.runningStatus, "43");

    ASSERT_FALSE(client.revertLUNSnapshot(snap.id, "2", kNoVStore).IsError());
    EXPECT_EQ(array.model().copy().snapshots.at(std::stoul(snap.id)).restoreSpeed, "2");

    bool skip = true;
    ASSERT_FALSE(client.deActivateLUNSnapshot(copy.id, skip, kNoVStore).IsError());
    EXPECT_FALSE(skip);
    EXPECT_EQ(array.model().observeSnapshot(std::stoul(copy.id))->running, "Unactivated");
    // Stopping what is already stopped is what the caller wanted.
    ASSERT_FALSE(client.deActivateLUNSnapshot(copy.id, skip, kNoVStore).IsError());
    ASSERT_FALSE(client.deleteLUNSnapshot(copy.id, kNoVStore).IsError());
    EXPECT_FALSE(array.model().observeSnapshot(std::stoul(copy.id)));

    // Gone: lookups say so, a stop is skipped, a delete fails with the array's code.
    bool notFound = false;
    _HuaweiLUNSnapshotInfo gone;
    EXPECT_EQ(client.getLUNSnapshotInfo(gone, copy.id, notFound, kNoVStore).GetCode(), 1077937880u);
    EXPECT_TRUE(notFound);
    ASSERT_FALSE(client.deActivateLUNSnapshot(copy.id, skip, kNoVStore).IsError());
    EXPECT_TRUE(skip);
    EXPECT_EQ(client.deleteLUNSnapshot(copy.id, kNoVStore).GetCode(), 1077937880u);
}

TEST_F(LunSnapshotTest, ExistingNameIsRefused) {
    _HuaweiLUNSnapshotInfo snap;
    ASSERT_FALSE(client.createLUNSnapshot(snap, lunText(), "dup", kNoVStore).IsError());
    HuaweiApi::ResultStatus st = client.createLUNSnapshot(snap, lunText(), "dup", kNoVStore);
    EXPECT_EQ(st.GetCode(), 1077948993u);
    EXPECT_EQ(array.model().copy().snapshots.size(), 1u);
}

TEST_F(LunSnapshotTest, LookupByNameIsExactAndEscapesColons) {
    _HuaweiLUNSnapshotInfo snap;
    ASSERT_FALSE(client.createLUNSnapshot(snap, lunText(), "a:b", kNoVStore).IsError());
    ASSERT_FALSE(client.createLUNSnapshot(snap, lunText(), "a:bc", kNoVStore).IsError());
    bool notFound = true;
    _HuaweiLUNSnapshotInfo found;
    ASSERT_FALSE(client.getLUNSnapshotInfoByName(found, "a:b", notFound, kNoVStore).IsError());
    EXPECT_FALSE(notFound);
    EXPECT_EQ(found.name, "a:b");
    EXPECT_TRUE(client.getLUNSnapshotInfoByName(found, "a", notFound, kNoVStore).IsError());
    EXPECT_TRUE(notFound);
}

TEST_F(LunSnapshotTest, SnapshotsCrossFrontEnds) {
    cli("create snapshot general lun_id_list=" + lunText() + " name=from_cli");
    bool notFound = true;
    _HuaweiLUNSnapshotInfo found;
    ASSERT_FALSE(client.getLUNSnapshotInfoByName(found, "from_cli", notFound, kNoVStore).IsError());
    EXPECT_EQ(found.parentId, lunText());

    _HuaweiLUNSnapshotInfo snap;
    ASSERT_FALSE(client.createLUNSnapshot(snap, lunText(), "from_rest", kNoVStore).IsError());
    std::string listing;
    for (const auto& line : cli("show snapshot general")) {
        listing += line + "\n";
    }
    EXPECT_NE(listing.find("from_rest"), std::string::npos) << listing;
}

TEST_F(LunSnapshotTest, VStoreScopeIsSentAndKeepsOtherObjectsOut) {
    uint32_t vs = array.model().addVStore("vstore1");
    tavso::sim::LunSpec spec;
    spec.name = "vs_lun";
    spec.capacity = kSectorsPerGb;
    spec.vstoreId = std::to_string(vs);
    uint32_t vsLun = array.model().addLun(spec);
    rest->clearRequests();

    _HuaweiLUNInfo info;
    ASSERT_FALSE(client.getLUNInfo(info, std::to_string(vsLun), std::to_string(vs)).IsError());
    EXPECT_EQ(info.vstoreId, std::to_string(vs));
    EXPECT_EQ(info.vstoreName, "vstore1");
    EXPECT_EQ(rest->requests().back(),
              "GET /lun/" + std::to_string(vsLun) + "?vstoreId=" + std::to_string(vs));
    // The array's own LUN is not in that vStore.
    EXPECT_EQ(client.getLUNInfo(info, lunText(), std::to_string(vs)).GetCode(), 1077936859u);
    ASSERT_FALSE(client.getLUNInfo(info, lunText(), kNoVStore).IsError());
    EXPECT_EQ(rest->requests().back(), "GET /lun/" + lunText());

    array.model().addUser({"vsuser", "Vs@12345", "Admin", "", std::to_string(vs)});
    TavManageHuawei vsClient(0);
    ASSERT_TRUE(login(vsClient, "vsuser", "Vs@12345"));
    EXPECT_TRUE(vsClient.getLUNInfo(info, lunText(), vsClient.getvStoreId()).IsError());
    _HuaweiLUNSnapshotInfo snap;
    EXPECT_TRUE(vsClient.createLUNSnapshot(snap, lunText(), "outside", vsClient.getvStoreId()).IsError());
    EXPECT_TRUE(array.model().copy().snapshots.empty());
}

TEST_F(LunSnapshotTest, BusyArrayFailsTheCallWithItsText) {
    rest->addFault({"POST /snapshot/activate", 1077949006, "The system is busy.", 1});
    _HuaweiLUNSnapshotInfo snap;
    ASSERT_FALSE(client.createLUNSnapshot(snap, lunText(), "s", kNoVStore).IsError());
    HuaweiApi::ResultStatus st = client.activateLUNSnapshot({snap.id}, kNoVStore);
    EXPECT_EQ(st.AsString(), "1077949006:The system is busy.");
    EXPECT_EQ(array.model().observeSnapshot(std::stoul(snap.id))->running, "Unactivated");
    EXPECT_FALSE(client.activateLUNSnapshot({snap.id}, kNoVStore).IsError());
}

TEST_F(LunSnapshotTest, LunCreateRenameDelete) {
    _HuaweiLUNInfo spec;
    spec.name = "TAV_target";
    spec.storagePoolId = "0";
    spec.capacity = std::to_string(2 * kSectorsPerGb);
    spec.allocType = HuaweiApiValue::ALLOC_TYPE_THICK;
    spec.owningController = "0B";
    std::string id;
    ASSERT_FALSE(client.createLUN(id, spec).IsError());
    auto made = array.model().observeLun(std::stoul(id));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->name, "TAV_target");
    EXPECT_FALSE(made->thin);
    EXPECT_EQ(made->capacity, 2 * kSectorsPerGb);
    EXPECT_EQ(made->owner, "0B");
    std::string again;
    EXPECT_EQ(client.createLUN(again, spec).GetCode(), 1077948993u);

    ASSERT_FALSE(client.modifyLun(id, "TAV_DEL_TAV_target").IsError());
    EXPECT_EQ(array.model().observeLun(std::stoul(id))->name, "TAV_DEL_TAV_target");
    ASSERT_FALSE(client.deleteLun(id, kNoVStore).IsError());
    EXPECT_FALSE(array.model().observeLun(std::stoul(id)));
    EXPECT_EQ(client.deleteLun(id, kNoVStore).GetCode(), 1077936859u);
}

// Sixteen threads on one client: every result must be the thread's own.
TEST_F(LunSnapshotTest, SixteenThreadsShareOneClient) {
    constexpr int kThreads = 16;
    std::vector<uint32_t> luns;
    for (int i = 0; i < kThreads; ++i) {
        luns.push_back(array.model().addLun("t" + std::to_string(i), kSectorsPerGb));
    }
    std::vector<std::string> errors(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round) {
                _HuaweiLUNInfo info;
                if (client.getLUNInfo(info, std::to_string(luns[i]), kNoVStore).IsError() ||
                    info.name != "t" + std::to_string(i)) {
                    errors[i] = "lun " + info.name;
                    return;
                }
                std::string name = "s" + std::to_string(i) + "_" + std::to_string(round);
                _HuaweiLUNSnapshotInfo snap, found;
                bool notFound = false;
                if (client.createLUNSnapshot(snap, std::to_string(luns[i]), name, kNoVStore).IsError() ||
                    client.activateLUNSnapshot({snap.id}, kNoVStore).IsError() ||
                    client.getLUNSnapshotInfoByName(found, name, notFound, kNoVStore).IsError() ||
                    found.id != snap.id || found.runningStatus != "43") {
                    errors[i] = "snapshot " + name;
                    return;
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
    EXPECT_EQ(array.model().copy().snapshots.size(), static_cast<size_t>(kThreads * 5));
}

}  // namespace
