#include "tests/rest/RestFixture.h"

using namespace resttest;
using tavso::sim::kSectorsPerGb;

namespace {

class FileSystemTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        fs = array.model().addFileSystem("fs1", 0);
        ASSERT_TRUE(login(client));
    }
    std::string f() const { return std::to_string(fs); }
    tavso::sim::ArrayState state() const { return array.model().copy(); }
    uint32_t fs = 0;
};

TEST_F(FileSystemTest, FileSystemRecordAndMissingOne) {
    _HuaweiFileSystemsInfo info;
    ASSERT_FALSE(client.getFileSystemInfoById(f(), info, kNoVStore).IsError());
    EXPECT_EQ(info.id, f());
    EXPECT_EQ(info.name, "fs1");
    EXPECT_EQ(info.parentId, "0");
    CUboError e = client.getFileSystemInfoById("99", info, kNoVStore);
    EXPECT_EQ(e.GetCode(), 1073752065);
    EXPECT_FALSE(e.GetErrorString().empty());
}

TEST_F(FileSystemTest, SnapshotLifeCycle) {
    std::string name = "TAVsnap1";
    ASSERT_TRUE(client.createFileSystemSnapshot(fs, name, true, kNoVStore));
    EXPECT_EQ(name, f() + "@TAVsnap1");
    ASSERT_EQ(state().fsSnapshots.count(name), 1u);
    EXPECT_EQ(state().fsSnapshots.at(name).fsId, fs);

    array.model().with([&](tavso::sim::ArrayState& s) { s.fsSnapshots.at(name).snapDiffState = "0"; });
    _HuaweiSnapshotInfo info;
    ASSERT_TRUE(client.getFileSystemSnapshotInfo(name, info, kNoVStore));
    EXPECT_EQ(info.id, name);
    EXPECT_EQ(info.name, "TAVsnap1");
    EXPECT_EQ(info.parentId, f());
    EXPECT_EQ(info.healthStatus, "1");
    EXPECT_EQ(info.snapDiffState, "0");
    EXPECT_FALSE(info.notFound);

    std::string again = "TAVsnap1";
    EXPECT_FALSE(client.createFileSystemSnapshot(fs, again, true, kNoVStore));
    EXPECT_EQ(again, "TAVsnap1");
    std::string noFs = "x";
    EXPECT_FALSE(client.createFileSystemSnapshot(99, noFs, true, kNoVStore));

    ASSERT_TRUE(client.deleteFileSystemSnapshot(name, kNoVStore));
    EXPECT_TRUE(state().fsSnapshots.empty());
    // Gone: the lookup says so and leaves a cleared record; a second delete fails.
    EXPECT_FALSE(client.getFileSystemSnapshotInfo(name, info, kNoVStore));
    EXPECT_TRUE(info.notFound);
    EXPECT_TRUE(info.id.empty());
    EXPECT_EQ(info.snapDiffState, "8");
    EXPECT_FALSE(client.deleteFileSystemSnapshot(name, kNoVStore));
}

TEST_F(FileSystemTest, NotFoundFlagOnlyForAMissingSnapshot) {
    rest->addFault({"GET /FSSNAPSHOT/", 1077949006, "The system is busy.", 1});
    _HuaweiSnapshotInfo info;
    EXPECT_FALSE(client.getFileSystemSnapshotInfo(f() + "@x", info, kNoVStore));
    EXPECT_FALSE(info.notFound);
}

// A snapshot ID travels as one path segment: it can neither reach another resource nor lose a part.
TEST_F(FileSystemTest, SnapshotIdCannotAddressAnotherResource) {
    uint32_t lun = array.model().addLun("precious", kSectorsPerGb);
    const std::string sneaky = "../lun/" + std::to_string(lun);
    EXPECT_FALSE(client.deleteFileSystemSnapshot(sneaky, kNoVStore));
    EXPECT_TRUE(array.model().observeLun(lun));

    std::string name = "odd?name#1 %2F";
    ASSERT_TRUE(client.createFileSystemSnapshot(fs, name, false, kNoVStore));
    _HuaweiSnapshotInfo info;
    ASSERT_TRUE(client.getFileSystemSnapshotInfo(name, info, kNoVStore));
    EXPECT_EQ(info.name, "odd?name#1 %2F");
    ASSERT_TRUE(client.deleteFileSystemSnapshot(name, kNoVStore));
    EXPECT_TRUE(state().fsSnapshots.empty());
}

TEST_F(FileSystemTest, NfsShareRecordCarriesTheSubPath) {
    struct Case {
        const char* path;
        const char* subPath;
    } cases[] = {{"/fs1/qt1", "qt1"}, {"/fs1/", ""}, {"/fs1", ""}, {"/fs1/qt2/", "qt2"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(array.model().createNfsShare(fs, c.path, "").ok()) << c.path;
        _HuaweiShareInfo info;
        ASSERT_TRUE(client.getShareInfoByName(info, "nfs", c.path, kNoVStore)) << c.path;
        EXPECT_EQ(info.localPath, c.path);
        EXPECT_EQ(info.subPath, c.subPath) << c.path;
        EXPECT_EQ(info.fileSystemId, f());
        EXPECT_FALSE(info.id.empty());
    }
}

TEST_F(FileSystemTest, NfsShareIsCreatedFoundByAliasAndDeleted) {
    std::string id;
    ASSERT_TRUE(client.createNFSShare(id, f(), "/TAV_NFSSHARE_" + f(), "/fs1/", kNoVStore));
    ASSERT_EQ(state().nfsShares.count(std::stoul(id)), 1u);
    EXPECT_EQ(state().nfsShares.at(std::stoul(id)).alias, "/TAV_NFSSHARE_" + f());
    EXPECT_EQ(state().nfsShares.at(std::stoul(id)).localPath, "/fs1/");

    // A mount shows the alias with a trailing slash.
    _HuaweiShareInfo info;
    ASSERT_TRUE(client.getShareInfoByName(info, "nfs", "/TAV_NFSSHARE_" + f() + "/", kNoVStore));
    EXPECT_EQ(info.id, id);
    EXPECT_EQ(info.name, "/TAV_NFSSHARE_" + f());
    EXPECT_EQ(info.subPath, "");
    _HuaweiShareInfo byFs;
    ASSERT_TRUE(client.getShareInfoByFSID(byFs, "nfs", f(), kNoVStore));
    EXPECT_EQ(byFs.id, id);

    std::string dup;
    EXPECT_FALSE(client.createNFSShare(dup, f(), "/other", "/fs1/", kNoVStore));
    EXPECT_FALSE(client.createNFSShare(dup, f(), "/other", "/fs2/", kNoVStore));
    EXPECT_FALSE(client.createNFSShare(dup, "99", "/other", "/fs1/", kNoVStore));
    EXPECT_EQ(state().nfsShares.size(), 1u);

    ASSERT_TRUE(client.deleteNFSShare(id, kNoVStore));
    EXPECT_TRUE(state().nfsShares.empty());
    EXPECT_FALSE(client.deleteNFSShare(id, kNoVStore));
    EXPECT_FALSE(client.getShareInfoByName(info, "nfs", "/fs1/", kNoVStore));
    EXPECT_TRUE(info.id.empty());
    EXPECT_FALSE(client.getShareInfoByFSID(byFs, "nfs", f(), kNoVStore));
}

TEST_F(FileSystemTest, NfsPermissionsAreAddedListedAndDeleted) {
    uint32_t share = std::stoul(array.model().createNfsShare(fs, "/fs1/", "").id);
    const std::string s = std::to_string(share);
    std::string id;
    // Read-write, synchronous, no all-squash, no root-squash.
    ASSERT_TRUE(client.addNFSSharePermission(id, "10.0.0.5", s, "1", "0", "1", "1", kNoVStore));
    const tavso::sim::NfsPermission made = state().nfsPermissions.at(std::stoul(id));
    EXPECT_EQ(made.shareId, share);
    EXPECT_EQ(made.accessName, "10.0.0.5");
    EXPECT_EQ(made.accessType, "read_write");
    EXPECT_TRUE(made.sync);
    EXPECT_FALSE(made.allSquash);
    EXPECT_FALSE(made.rootSquash);

    std::string again;
    EXPECT_FALSE(client.addNFSSharePermission(again, "10.0.0.5", s, "1", "0", "1", "1", kNoVStore));
    EXPECT_FALSE(client.addNFSSharePermission(again, "10.0.0.6", "99", "1", "0", "1", "1", kNoVStore));
    EXPECT_FALSE(client.addNFSSharePermission(again, "10.0.0.6", s, "7", "0", "1", "1", kNoVStore));
    EXPECT_EQ(state().nfsPermissions.size(), 1u);

    std::vector<_HuaweiNFSSharePermissionInfo> list;
    ASSERT_TRUE(client.getNFSSharePermissionsFromParentId(list, s, kNoVStore));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].id, id);
    EXPECT_EQ(list[0].accessName, "10.0.0.5");
    EXPECT_EQ(list[0].accessValue, "1");
    EXPECT_EQ(list[0].sync, "0");
    EXPECT_EQ(list[0].allSquash, "1");
    EXPECT_EQ(list[0].rootSquash, "1");

    ASSERT_TRUE(client.deleteNFSSharePermission(id, kNoVStore));
    EXPECT_TRUE(state().nfsPermissions.empty());
    EXPECT_FALSE(client.deleteNFSSharePermission(id, kNoVStore));
    EXPECT_FALSE(client.getNFSSharePermissionsFromParentId(list, "99", kNoVStore));
    EXPECT_TRUE(list.empty());
}

TEST_F(FileSystemTest, LongPermissionListsArriveWhole) {
    uint32_t share = std::stoul(array.model().createNfsShare(fs, "/fs1/", "").id);
    for (int i = 0; i < 150; ++i) {
        tavso::sim::NfsPermission p;
        p.shareId = share;
        p.accessName = "10.0.1." + std::to_string(i);
        ASSERT_TRUE(array.model().createNfsPermission(p).ok());
    }
    rest->clearRequests();
    std::vector<_HuaweiNFSSharePermissionInfo> list;
    ASSERT_TRUE(client.getNFSSharePermissionsFromParentId(list, std::to_string(share), kNoVStore));
    ASSERT_EQ(list.size(), 150u);
    EXPECT_EQ(list.back().accessName, "10.0.1.149");
    EXPECT_EQ(rest->requests().size(), 2u);
}

TEST_F(FileSystemTest, CifsShareCopiesPermissionsAndGoesWithThem) {
    uint32_t old = std::stoul(array.model().createCifsShare("share1", "/fs1/qt1", fs).id);
    tavso::sim::CifsPermission group;
    group.shareId = old;
    group.accessName = "backup";
    group.type = "group";
    group.permission = "Read Only";
    ASSERT_TRUE(array.model().createCifsPermission(group).ok());

    _HuaweiShareInfo found;
    ASSERT_TRUE(client.getShareInfoByName(found, "unc", "share1", kNoVStore));
    EXPECT_EQ(found.subPath, "qt1");
    std::vector<_HuaweiCIFSSharePermissionInfo> perms;
    ASSERT_TRUE(client.getCIFSSharePermissionsFromParentId(perms, found.id, kNoVStore));
    ASSERT_EQ(perms.size(), 1u);
    EXPECT_EQ(perms[0].accessName, "backup");

    const std::string name = "TAV_" + f() + "_7";
    std::string id, permId;
    ASSERT_TRUE(client.createCIFSShare(id, name, "/fs1/", f(), kNoVStore));
    ASSERT_TRUE(client.addCIFSSharePermission(permId, perms[0].accessName, id, perms[0].permission,
                                              perms[0].domainType, kNoVStore));
    const tavso::sim::CifsPermission copy = state().cifsPermissions.at(std::stoul(permId));
    EXPECT_EQ(copy.shareId, std::stoul(id));
    EXPECT_EQ(copy.type, "group");
    EXPECT_EQ(copy.permission, "Read Only");
    EXPECT_EQ(state().cifsShares.at(std::stoul(id)).name, name);

    std::string dup;
    EXPECT_FALSE(client.createCIFSShare(dup, name, "/fs1/", f(), kNoVStore));
    EXPECT_FALSE(client.addCIFSSharePermission(dup, "backup", id, perms[0].permission, perms[0].domainType,
                                               kNoVStore));

    ASSERT_TRUE(client.deleteCIFSShare(name, kNoVStore));
    EXPECT_EQ(state().cifsShares.count(std::stoul(id)), 0u);
    EXPECT_EQ(state().cifsPermissions.count(std::stoul(permId)), 0u);
    EXPECT_EQ(state().cifsShares.size(), 1u);
    EXPECT_FALSE(client.deleteCIFSShare(name, kNoVStore));
}

TEST_F(FileSystemTest, VStoreScopeTravelsInTheBodyOnlyWhenGiven) {
    uint32_t vs = array.model().addVStore("vstore1");
    const std::string v = std::to_string(vs);
    uint32_t vsFs = array.model().addFileSystem("vsfs", 0, v);
    const std::string vf = std::to_string(vsFs);
    const std::string scoped = "{\"vstoreId\":\"" + v + "\"}";
    rest->clearRequests();

    _HuaweiFileSystemsInfo info;
    ASSERT_FALSE(client.getFileSystemInfoById(vf, info, v).IsError());
    EXPECT_EQ(rest->requests().back(), "GET /filesystem/" + vf);
    EXPECT_EQ(rest->requestBodies().back(), scoped);
    // The array's own file system is not in that vStore.
    EXPECT_TRUE(client.getFileSystemInfoById(f(), info, v).IsError());
    ASSERT_FALSE(client.getFileSystemInfoById(f(), info, kNoVStore).IsError());
    EXPECT_EQ(rest->requestBodies().back(), "");

    std::string share;
    ASSERT_TRUE(client.createNFSShare(share, vf, "/TAV_NFSSHARE_" + vf, "/vsfs/", v));
    EXPECT_NE(rest->requestBodies().back().find("\"vstoreId\":\"" + v + "\""), std::string::npos);
    _HuaweiShareInfo found;
    ASSERT_TRUE(client.getShareInfoByFSID(found, "nfs", vf, v));
    EXPECT_EQ(rest->requestBodies().back(), scoped);
    EXPECT_EQ(found.vstoreId, v);
    ASSERT_TRUE(client.deleteNFSShare(share, v));
    EXPECT_EQ(rest->requestBodies().back(), scoped);
    EXPECT_TRUE(state().nfsShares.empty());

    // A vStore user sees its own file system only, whatever it sends.
    array.model().addUser({"vsuser", "Vs@12345", "Admin", "", v});
    TavManageHuawei vsClient(0);
    ASSERT_TRUE(login(vsClient, "vsuser", "Vs@12345"));
    std::string snap = "s1";
    EXPECT_FALSE(vsClient.createFileSystemSnapshot(fs, snap, true, kNoVStore));
    ASSERT_TRUE(vsClient.createFileSystemSnapshot(vsFs, snap, true, vsClient.getvStoreId()));
    EXPECT_EQ(state().fsSnapshots.size(), 1u);
}

}  // namespace
