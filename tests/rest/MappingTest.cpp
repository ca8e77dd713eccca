#include <algorithm>

#include "sim/CliInterpreter.h"
#include "tests/rest/RestFixture.h"

using namespace resttest;
using tavso::sim::ArrayState;
using tavso::sim::kSectorsPerGb;

namespace {

constexpr uint64_t kObjectNotFound = 1077948996;
constexpr uint64_t kNotUnique = 1077948997;
constexpr uint64_t kNameExists = 1077948993;
constexpr uint64_t kLunGroupNotFound = 1077936861;
constexpr uint64_t kMappingViewNotFound = 1077951819;
constexpr uint64_t kParameterIncorrect = 50331651;

class MappingTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        lun = std::to_string(array.model().addLun("lun_a", kSectorsPerGb));
        snapshot = newSnapshot("snap_a", true);
        ASSERT_TRUE(login(client));
    }
    std::string newSnapshot(const std::string& name, bool activate) {
        uint32_t id = std::stoul(array.model().createSnapshots({n(lun)}, name).at(0).result.id);
        if (activate) {
            EXPECT_TRUE(array.model().activateSnapshots({id}).ok());
        }
        return std::to_string(id);
    }
    std::string newHost(const std::string& name, const std::string& vstore = kNoVStore) {
        _HuaweiLUNHostInfo host;
        EXPECT_FALSE(client.createHost(host, name, vstore, false).IsError());
        return host.id;
    }
    std::string newLunGroup(const std::string& name, const std::string& vstore = kNoVStore) {
        _HuaweiLunGroupInfo group;
        EXPECT_FALSE(client.createLUNGroup(group, name, vstore, "0").IsError());
        return group.id;
    }
    std::string newHostGroup(const std::string& name, const std::string& vstore = kNoVStore) {
        _HuaweiHostGroupInfo group;
        EXPECT_FALSE(client.createHostGroup(group, name, vstore).IsError());
        return group.id;
    }
    std::string newView(const std::string& name, const std::string& vstore = kNoVStore) {
        _HuaweiLUNMappingView view;
        EXPECT_FALSE(client.createMappingView(view, name, vstore).IsError());
        return view.id;
    }
    // The host an initiator is bound to on the array, "" when free, "none" when unknown.
    std::string boundTo(bool iscsi, const std::string& port) {
        for (const auto& i : array.model().initiators(iscsi)) {
            if (i.id == port) {
                return i.hostId ? std::to_string(*i.hostId) : "";
            }
        }
        return "none";
    }
    template <class Records>
    static std::vector<std::string> ids(const Records& records) {
        std::vector<std::string> out;
        for (const auto& r : records) {
            out.push_back(r.id);
        }
        return out;
    }
    static uint32_t n(const std::string& id) { return std::stoul(id); }

    std::string lun, snapshot;
};

TEST_F(MappingTest, InitiatorsAreFoundMadeAndBound) {
    const std::string hostA = newHost("host_a");
    const std::string hostB = newHost("host_b");
    struct Case {
        bool iscsi;
        const char* bound;
        const char* free;
    };
    for (const Case& c : {Case{false, "21000024ff3dc0a1", "21000024ff3dc0a2"},
                          Case{true, "iqn.1994-05.com.redhat:mount1", "iqn.1994-05.com.redhat:mount2"}}) {
        SCOPED_TRACE(c.bound);
        std::string hostId = "stale";
        EXPECT_EQ(client.getHostIDFromInitiatorID(c.bound, c.iscsi, hostId, kNoVStore).GetCode(),
                  kObjectNotFound);

        _HuaweiInitiator rec;
        bool exists = true;
        ASSERT_FALSE(client.createInitiator(rec, c.bound, hostA, c.iscsi, exists, kNoVStore).IsError());
        EXPECT_FALSE(exists);
        EXPECT_EQ(boundTo(c.iscsi, c.bound), hostA);
        ASSERT_FALSE(client.getHostIDFromInitiatorID(c.bound, c.iscsi, hostId, kNoVStore).IsError());
        EXPECT_EQ(hostId, hostA);

        // Made again: the flag and the record tell the caller where it is bound.
        rec.clear();
        EXPECT_EQ(client.createInitiator(rec, c.bound, hostB, c.iscsi, exists, kNoVStore).GetCode(),
                  kNotUnique);
        EXPECT_TRUE(exists);
        EXPECT_EQ(rec.id, c.bound);
        EXPECT_EQ(rec.parentId, hostA);
        EXPECT_EQ(boundTo(c.iscsi, c.bound), hostA);
        // Binding to another host must not be reported as done.
        EXPECT_EQ(client.updateInitiatorWithHostID(c.bound, hostB, c.iscsi, kNoVStore).GetCode(), kNotUnique);
        EXPECT_EQ(boundTo(c.iscsi, c.bound), hostA);
        EXPECT_FALSE(client.updateInitiatorWithHostID(c.bound, hostA, c.iscsi, kNoVStore).IsError());

        // A free initiator: no host id, and a later bind.
        ASSERT_FALSE(client.createInitiator(rec, c.free, "", c.iscsi, exists, kNoVStore).IsError());
        ASSERT_FALSE(client.getHostIDFromInitiatorID(c.free, c.iscsi, hostId, kNoVStore).IsError());
        EXPECT_EQ(hostId, "");
        EXPECT_EQ(client.createInitiator(rec, c.free, hostB, c.iscsi, exists, kNoVStore).GetCode(),
                  kNotUnique);
        EXPECT_TRUE(exists);
        EXPECT_EQ(rec.parentId, "");
        ASSERT_FALSE(client.updateInitiatorWithHostID(c.free, hostB, c.iscsi, kNoVStore).IsError());
        EXPECT_EQ(boundTo(c.iscsi, c.free), hostB);

        EXPECT_EQ(client.updateInitiatorWithHostID(c.free, "999", c.iscsi, kNoVStore).GetCode(), 1077937498u);
        EXPECT_EQ(client.updateInitiatorWithHostID("unknown", hostA, c.iscsi, kNoVStore).GetCode(),
                  kObjectNotFound);
    }
    // FC and iSCSI initiators are kept apart.
    EXPECT_EQ(array.model().initiators(false).size(), 2u);
    EXPECT_EQ(array.model().initiators(true).size(), 2u);
}

// An initiator name is one path segment: it cannot reach another resource.
TEST_F(MappingTest, InitiatorNamesStayInTheirResource) {
    newView("view1");
    const std::string host = newHost("host_a");
    for (const char* port : {"../mappingview", "x/../../mappingview/1", "a?filter=NAME::view1"}) {
        SCOPED_TRACE(port);
        std::string hostId = "stale";
        EXPECT_TRUE(client.getHostIDFromInitiatorID(port, false, hostId, kNoVStore).IsError());
        EXPECT_EQ(hostId, "stale");
        EXPECT_TRUE(client.updateInitiatorWithHostID(port, host, true, kNoVStore).IsError());
    }
    EXPECT_TRUE(client.deleteMappingView("1/../../lungroup", kNoVStore).IsError());
    EXPECT_EQ(array.model().copy().mappingViews.size(), 1u);
}

TEST_F(MappingTest, LunGroupMembersComeAndGo) {
    const std::string group = newLunGroup("TAVsnap");
    ASSERT_FALSE(group.empty());
    EXPECT_EQ(array.model().copy().lunGroups.at(n(group)).appType, "0");
    std::string found;
    ASSERT_FALSE(client.getLUNGroupIDFromName("TAVsnap", found, kNoVStore).IsError());
    EXPECT_EQ(found, group);
    EXPECT_EQ(client.getLUNGroupIDFromName("TAV", found, kNoVStore).GetCode(), kObjectNotFound);
    _HuaweiLunGroupInfo again;
    EXPECT_EQ(client.createLUNGroup(again, "TAVsnap", kNoVStore, "0").GetCode(), kNameExists);

    EXPECT_TRUE(client.isLunAssociatedToLunGroup(group, lun).IsError());
    EXPECT_TRUE(client.isSnapshotLunAssociatedToLunGroup(group, snapshot, kNoVStore).IsError());
    for (int round = 0; round < 2; ++round) {  // the second add finds the member there
        ASSERT_FALSE(client.addLuntoLunGroup(group, lun, kNoVStore).IsError());
        ASSERT_FALSE(client.addSnapshotLuntoLunGroup(group, snapshot, kNoVStore).IsError());
    }
    ArrayState s = array.model().copy();
    EXPECT_EQ(s.lunGroups.at(n(group)).luns, std::set<uint32_t>{n(lun)});
    EXPECT_EQ(s.lunGroups.at(n(group)).snapshots, std::set<uint32_t>{n(snapshot)});
    EXPECT_FALSE(client.isLunAssociatedToLunGroup(group, lun).IsError());
    EXPECT_FALSE(client.isSnapshotLunAssociatedToLunGroup(group, snapshot, kNoVStore).IsError());
    // A LUN is not a snapshot and the other way round.
    EXPECT_TRUE(client.isLunAssociatedToLunGroup(group, snapshot).IsError());
    EXPECT_TRUE(client.removeLunFromLunGroup(group, snapshot, kNoVStore).IsError());
    EXPECT_EQ(array.model().copy().lunGroups.at(n(group)).snapshots.size(), 1u);

    const std::string other = newLunGroup("other");
    ASSERT_FALSE(client.addLuntoLunGroup(other, lun, kNoVStore).IsError());
    std::vector<_HuaweiLunGroupInfo> groups;
    ASSERT_FALSE(client.getLunGroupsAssociatedToLun(groups, lun, kNoVStore).IsError());
    EXPECT_EQ(ids(groups), (std::vector<std::string>{group, other}));
    EXPECT_EQ(groups[0].name, "TAVsnap");

    // A group with members stays.
    EXPECT_TRUE(client.deleteLunGroup(group, kNoVStore).IsError());
    EXPECT_TRUE(array.model().copy().lunGroups.count(n(group)));
    ASSERT_FALSE(client.removeLunFromLunGroup(group, lun, kNoVStore).IsError());
    ASSERT_FALSE(client.removeSnapshotLunFromLunGroup(group, snapshot, kNoVStore).IsError());
    // Removing what is not there fails; the callers treat it as already withdrawn.
    EXPECT_EQ(client.removeLunFromLunGroup(group, lun, kNoVStore).GetCode(), kObjectNotFound);
    EXPECT_EQ(client.removeSnapshotLunFromLunGroup(group, snapshot, kNoVStore).GetCode(), kObjectNotFound);
    ASSERT_FALSE(client.deleteLunGroup(group, kNoVStore).IsError());
    EXPECT_FALSE(array.model().copy().lunGroups.count(n(group)));
    EXPECT_EQ(client.deleteLunGroup(group, kNoVStore).GetCode(), kLunGroupNotFound);
    EXPECT_EQ(client.removeLunFromLunGroup(group, lun, kNoVStore).GetCode(), kLunGroupNotFound);
}

TEST_F(MappingTest, LunGroupAddsOfMissingObjectsFailWithTheArrayCode) {
    const std::string group = newLunGroup("g");
    const std::string unactivated = newSnapshot("snap_b", false);
    struct Case {
        const char* what;
        HuaweiApi::ResultStatus status;
        uint64_t code;
    };
    const Case cases[] = {
        {"no LUN", client.addLuntoLunGroup(group, "999", kNoVStore), 1077936859u},
        {"snapshot as LUN", client.addLuntoLunGroup(group, snapshot, kNoVStore), 1077936859u},
        {"no snapshot", client.addSnapshotLuntoLunGroup(group, "999", kNoVStore), 1077937880u},
        {"LUN as snapshot", client.addSnapshotLuntoLunGroup(group, lun, kNoVStore), 1077937880u},
        {"unactivated snapshot", client.addSnapshotLuntoLunGroup(group, unactivated, kNoVStore), 1077937891u},
        {"no group", client.addLuntoLunGroup("999", lun, kNoVStore), kLunGroupNotFound},
        {"no group to ask", client.isLunAssociatedToLunGroup("999", lun), kLunGroupNotFound},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.status.GetCode(), c.code) << c.what;
    }
    const ArrayState s = array.model().copy();
    const auto& g = s.lunGroups.at(n(group));
    EXPECT_TRUE(g.luns.empty());
    EXPECT_TRUE(g.snapshots.empty());
}

TEST_F(MappingTest, MappingViewLifeCycle) {
    const std::string hostGroup = newHostGroup("hg");
    const std::string lunGroup = newLunGroup("lg");
    ASSERT_FALSE(client.addSnapshotLuntoLunGroup(lunGroup, snapshot, kNoVStore).IsError());
    const std::string view = newView(snapshot + "_hgVU");
    _HuaweiLUNMappingView found;
    ASSERT_FALSE(client.getMappingViewInfoByName(found, snapshot + "_hgVU", kNoVStore).IsError());
    EXPECT_EQ(found.id, view);
    EXPECT_EQ(found.name, snapshot + "_hgVU");
    EXPECT_EQ(client.createMappingView(found, snapshot + "_hgVU", kNoVStore).GetCode(), kNameExists);

    std::vector<_HuaweiLunGroupInfo> lunGroups;
    std::vector<_HuaweiHostGroupInfo> hostGroups;
    std::vector<_HuaweiLUNMappingView> views;
    ASSERT_FALSE(client.getLunGroupAssociatedToMappingView(view, lunGroups, kNoVStore).IsError());
    EXPECT_TRUE(lunGroups.empty());
    for (int round = 0; round < 2; ++round) {  // the second add finds the group there
        ASSERT_FALSE(client.addHostGroupToMappingView(hostGroup, view, kNoVStore).IsError());
        ASSERT_FALSE(client.addLunGroupToMappingView(lunGroup, view, kNoVStore).IsError());
    }
    const ArrayState s = array.model().copy();
    const auto& v = s.mappingViews.at(n(view));
    EXPECT_EQ(v.hostGroups, std::set<uint32_t>{n(hostGroup)});
    EXPECT_EQ(v.lunGroups, std::set<uint32_t>{n(lunGroup)});
    ASSERT_FALSE(client.getLunGroupAssociatedToMappingView(view, lunGroups, kNoVStore).IsError());
    EXPECT_EQ(ids(lunGroups), std::vector<std::string>{lunGroup});
    EXPECT_EQ(lunGroups[0].isAddToMappingView, "true");
    ASSERT_FALSE(client.getHostGroupAssociatedToMappingView(view, hostGroups, kNoVStore).IsError());
    EXPECT_EQ(ids(hostGroups), std::vector<std::string>{hostGroup});
    ASSERT_FALSE(client.getMappingViewAssociatedToLunGroup(lunGroup, views, kNoVStore).IsError());
    EXPECT_EQ(ids(views), std::vector<std::string>{view});

    // In use: neither the view nor its LUN group can go.
    EXPECT_TRUE(client.deleteMappingView(view, kNoVStore).IsError());
    ASSERT_FALSE(client.removeSnapshotLunFromLunGroup(lunGroup, snapshot, kNoVStore).IsError());
    EXPECT_TRUE(client.deleteLunGroup(lunGroup, kNoVStore).IsError());
    ASSERT_EQ(array.model().copy().mappingViews.count(n(view)), 1u);

    ASSERT_FALSE(client.removeLunGroupAssociatedToMappingView(lunGroup, view, kNoVStore).IsError());
    EXPECT_EQ(client.removeLunGroupAssociatedToMappingView(lunGroup, view, kNoVStore).GetCode(), 1073804554u);
    ASSERT_FALSE(client.removeHostGroupAssociatedToMappingView(hostGroup, view, kNoVStore).IsError());
    EXPECT_EQ(client.removeHostGroupAssociatedToMappingView(hostGroup, view, kNoVStore).GetCode(),
              1073804552u);
    ASSERT_FALSE(client.getMappingViewAssociatedToLunGroup(lunGroup, views, kNoVStore).IsError());
    EXPECT_TRUE(views.empty());
    ASSERT_FALSE(client.deleteMappingView(view, kNoVStore).IsError());
    EXPECT_TRUE(array.model().copy().mappingViews.empty());

    // Gone: every call on the view says so, and lists come back empty.
    EXPECT_EQ(client.deleteMappingView(view, kNoVStore).GetCode(), kMappingViewNotFound);
    EXPECT_TRUE(client.getMappingViewInfoByName(found, snapshot + "_hgVU", kNoVStore).IsError());
    lunGroups.resize(1);
    EXPECT_EQ(client.getLunGroupAssociatedToMappingView(view, lunGroups, kNoVStore).GetCode(),
              kMappingViewNotFound);
    EXPECT_TRUE(lunGroups.empty());
    EXPECT_EQ(client.getHostGroupAssociatedToMappingView(view, hostGroups, kNoVStore).GetCode(),
              kMappingViewNotFound);
    EXPECT_EQ(client.addLunGroupToMappingView(lunGroup, view, kNoVStore).GetCode(), kMappingViewNotFound);
    EXPECT_EQ(client.removeHostGroupAssociatedToMappingView(hostGroup, view, kNoVStore).GetCode(),
              kMappingViewNotFound);
}

TEST_F(MappingTest, GroupsMissingFromAViewFailWithTheArrayCode) {
    const std::string view = newView("v");
    EXPECT_EQ(client.addHostGroupToMappingView("999", view, kNoVStore).GetCode(), 1077937500u);
    EXPECT_EQ(client.addLunGroupToMappingView("999", view, kNoVStore).GetCode(), kLunGroupNotFound);
    EXPECT_EQ(client.addLunGroupToMappingView("x", view, kNoVStore).GetCode(), kParameterIncorrect);
    std::vector<_HuaweiLUNMappingView> views;
    EXPECT_EQ(client.getMappingViewAssociatedToLunGroup("999", views, kNoVStore).GetCode(),
              kLunGroupNotFound);
    const ArrayState s = array.model().copy();
    const auto& v = s.mappingViews.at(n(view));
    EXPECT_TRUE(v.hostGroups.empty());
    EXPECT_TRUE(v.lunGroups.empty());
}

// The scope goes with every call made for a vStore, and with none made outside one.
TEST_F(MappingTest, VStoreScopeIsSentOnlyInsideAVStore) {
    const std::string vs = std::to_string(array.model().addVStore("vstore1"));
    for (const std::string& scope : {std::string(kNoVStore), vs}) {
        SCOPED_TRACE(scope);
        const std::string tag = scope == vs ? "vs" : "sys";
        rest->clearRequests();
        const std::string host = newHost("h_" + tag, scope);
        const std::string hostGroup = newHostGroup("hg_" + tag, scope);
        const std::string lunGroup = newLunGroup("lg_" + tag, scope);
        const std::string view = newView("v_" + tag, scope);
        _HuaweiInitiator rec;
        bool exists = false;
        EXPECT_FALSE(client.createInitiator(rec, "iqn.x:" + tag, host, true, exists, scope).IsError());
        std::string id;
        EXPECT_FALSE(client.getHostIDFromInitiatorID("iqn.x:" + tag, true, id, scope).IsError());
        EXPECT_FALSE(client.getLUNGroupIDFromName("lg_" + tag, id, scope).IsError());
        EXPECT_FALSE(client.addHostGroupToMappingView(hostGroup, view, scope).IsError());
        EXPECT_FALSE(client.addLunGroupToMappingView(lunGroup, view, scope).IsError());
        std::vector<_HuaweiLunGroupInfo> groups;
        EXPECT_FALSE(client.getLunGroupAssociatedToMappingView(view, groups, scope).IsError());
        EXPECT_FALSE(client.removeLunGroupAssociatedToMappingView(lunGroup, view, scope).IsError());
        EXPECT_FALSE(client.removeHostGroupAssociatedToMappingView(hostGroup, view, scope).IsError());
        EXPECT_FALSE(client.deleteLunGroup(lunGroup, scope).IsError());
        EXPECT_FALSE(client.deleteMappingView(view, scope).IsError());

        const std::vector<std::string> requests = rest->requests();
        ASSERT_EQ(requests.size(), 15u);
        for (const std::string& r : requests) {
            if (scope == vs) {
                EXPECT_NE(r.find("vstoreId=" + vs), std::string::npos) << r;
            } else {
                EXPECT_EQ(r.find("vstoreId"), std::string::npos) << r;
            }
        }
        const ArrayState s = array.model().copy();
        const std::string owner = scope == vs ? vs : "";
        EXPECT_EQ(s.hosts.at(n(host)).vstoreId, owner);
        EXPECT_EQ(s.hostGroups.at(n(hostGroup)).vstoreId, owner);
        auto initiator = std::find_if(s.initiators.begin(), s.initiators.end(),
                                      [&](const auto& i) { return i.id == "iqn.x:" + tag; });
        ASSERT_NE(initiator, s.initiators.end());
        EXPECT_EQ(initiator->vstoreId, owner);
        EXPECT_EQ(initiator->hostId, n(host));
    }
}

// A vStore user works among its own objects only; the array's are not there for it.
TEST_F(MappingTest, VStoreUserMapsItsOwnLunAndSeesNothingElse) {
    const uint32_t vs = array.model().addVStore("vstore1");
    tavso::sim::LunSpec spec;
    spec.name = "vs_lun";
    spec.capacity = kSectorsPerGb;
    spec.vstoreId = std::to_string(vs);
    const std::string vsLun = std::to_string(array.model().addLun(spec));
    const std::string systemGroup = newLunGroup("system_lg");
    const std::string systemView = newView("system_view");
    array.model().addUser({"vsuser", "Vs@12345", "Admin", "", std::to_string(vs)});
    TavManageHuawei vsClient(0);
    ASSERT_TRUE(login(vsClient, "vsuser", "Vs@12345"));
    const std::string scope = vsClient.getvStoreId();

    _HuaweiLUNHostInfo host;
    ASSERT_FALSE(vsClient.createHost(host, "vs_host", scope, false).IsError());
    _HuaweiHostGroupInfo hostGroup;
    ASSERT_FALSE(vsClient.createHostGroup(hostGroup, "vs_host", scope).IsError());
    ASSERT_FALSE(vsClient.addHostToHostGroup(hostGroup.id, host.id, scope).IsError());
    _HuaweiLunGroupInfo lunGroup;
    ASSERT_FALSE(vsClient.createLUNGroup(lunGroup, "vs_lun", scope, "0").IsError());
    ASSERT_FALSE(vsClient.addLuntoLunGroup(lunGroup.id, vsLun, scope).IsError());
    _HuaweiLUNMappingView view;
    ASSERT_FALSE(vsClient.createMappingView(view, vsLun + "_vs_hostVU", scope).IsError());
    ASSERT_FALSE(vsClient.addHostGroupToMappingView(hostGroup.id, view.id, scope).IsError());
    ASSERT_FALSE(vsClient.addLunGroupToMappingView(lunGroup.id, view.id, scope).IsError());
    EXPECT_EQ(array.model().copy().mappingViews.at(n(view.id)).lunGroups, std::set<uint32_t>{n(lunGroup.id)});

    std::string id;
    EXPECT_TRUE(vsClient.getLUNGroupIDFromName("system_lg", id, scope).IsError());
    _HuaweiLUNMappingView found;
    EXPECT_TRUE(vsClient.getMappingViewInfoByName(found, "system_view", scope).IsError());
    EXPECT_EQ(vsClient.addLuntoLunGroup(systemGroup, vsLun, scope).GetCode(), kLunGroupNotFound);
    EXPECT_EQ(vsClient.addLuntoLunGroup(lunGroup.id, lun, scope).GetCode(), 1077936859u);
    EXPECT_EQ(vsClient.addLunGroupToMappingView(systemGroup, view.id, scope).GetCode(), kLunGroupNotFound);
    EXPECT_EQ(vsClient.deleteMappingView(systemView, scope).GetCode(), kMappingViewNotFound);
    std::vector<_HuaweiLunGroupInfo> groups;
    ASSERT_FALSE(vsClient.getLunGroupsAssociatedToLun(groups, vsLun, scope).IsError());
    EXPECT_EQ(ids(groups), std::vector<std::string>{lunGroup.id});
    const ArrayState s = array.model().copy();
    EXPECT_TRUE(s.lunGroups.at(n(systemGroup)).luns.empty());
    EXPECT_EQ(s.mappingViews.count(n(systemView)), 1u);
}

// Both front ends serve one model: what one makes, the other shows.
TEST_F(MappingTest, MappingCrossesFrontEnds) {
    auto cli = [&](const std::string& line) {
        tavso::sim::CliSessionSettings session;
        session.user = "admin";
        std::string out;
        for (const auto& l : tavso::sim::runCommand(tavso::sim::parseCommand(line), array.model(), session)) {
            out += l + "\n";
        }
        return out;
    };
    const std::string hostGroup = newHostGroup("hg_rest");
    const std::string lunGroup = newLunGroup("lg_rest");
    ASSERT_FALSE(client.addSnapshotLuntoLunGroup(lunGroup, snapshot, kNoVStore).IsError());
    const std::string view = newView("view_rest");
    ASSERT_FALSE(client.addHostGroupToMappingView(hostGroup, view, kNoVStore).IsError());
    ASSERT_FALSE(client.addLunGroupToMappingView(lunGroup, view, kNoVStore).IsError());
    EXPECT_NE(cli("show mapping_view general").find("view_rest"), std::string::npos);
    EXPECT_NE(cli("show mapping_view lun_group mapping_view_id=" + view).find("lg_rest"), std::string::npos);
    EXPECT_NE(cli("show mapping_view host_group mapping_view_id=" + view).find("hg_rest"), std::string::npos);
    EXPECT_NE(cli("show lun_group snapshot lun_group_id=" + lunGroup).find("snap_a"), std::string::npos);

    cli("create lun_group name=lg_cli");
    std::string fromCli;
    ASSERT_FALSE(client.getLUNGroupIDFromName("lg_cli", fromCli, kNoVStore).IsError());
    cli("add lun_group lun lun_group_id=" + fromCli + " lun_id_list=" + lun);
    EXPECT_FALSE(client.isLunAssociatedToLunGroup(fromCli, lun).IsError());
    cli("add mapping_view lun_group mapping_view_id=" + view + " lun_group_id=" + fromCli);
    std::vector<_HuaweiLunGroupInfo> groups;
    ASSERT_FALSE(client.getLunGroupAssociatedToMappingView(view, groups, kNoVStore).IsError());
    EXPECT_EQ(ids(groups), (std::vector<std::string>{lunGroup, fromCli}));
}

}  // namespace
