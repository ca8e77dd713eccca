// Command families over a real SSH session: layouts, errors and state transitions.
#include <gtest/gtest.h>

#include "sim/Inquiry.h"
#include "tests/sim/SimFixture.h"

namespace simtest {
namespace {

using namespace tavso::sim;

class SimCommandTest : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        c = login();
        c->command("change cli more_enabled=no");
        c->command("change cli silent_enabled=yes");
    }
    std::string run(const std::string& line) { return body(c->command(line)); }
    std::unique_ptr<SshTestClient> c;
};

const std::string kOk = "Command executed successfully.\r\n";

TEST_F(SimCommandTest, LunTableAndPropertiesLayout) {
    EXPECT_EQ(run("create lun name=lun_a pool_id=0 capacity=10GB owner_controller=0B lun_type=thick"), kOk);
    EXPECT_EQ(run("create lun name=lun_b1 pool_id=0 capacity=1TB owner_controller=0A lun_type=thin"), kOk);
    EXPECT_EQ(run("show lun general"),
              "\r\n"
              "  ID  Name    Pool ID  Capacity  Health Status  Running Status  Type\r\n"
              "  --  ------  -------  --------  -------------  --------------  -----\r\n"
              "  1   lun_a   0        10.000GB  Normal         Online          Thick\r\n"
              "  2   lun_b1  0        1.000TB   Normal         Online          Thin\r\n");
    EXPECT_EQ(run("show lun general |filterRow column=Name predict=equal_to value=lun_b1"),
              "\r\n"
              "  ID  Name    Pool ID  Capacity  Health Status  Running Status  Type\r\n"
              "  --  ------  -------  --------  -------------  --------------  ----\r\n"
              "  2   lun_b1  0        1.000TB   Normal         Online          Thin\r\n");
    EXPECT_EQ(run("show lun general|filterRow column=Running\\sStatus predict=equal_to value=Offline"),
              "Command executed successfully.\r\nNo matching records.\r\n");
    std::string wwn = array.model().copy().luns.at(1).wwn;
    EXPECT_EQ(wwn.size(), 32u);
    EXPECT_EQ(wwn.substr(24), "00000001");
    EXPECT_EQ(run("show lun general lun_id=1"),
              "  ID                : 1\r\n"
              "  Name              : lun_a\r\n"
              "  Pool ID           : 0\r\n"
              "  Capacity          : 10.000GB\r\n"
              "  Type              : Thick\r\n"
              "  Owner Controller  : 0B\r\n"
              "  Running Status    : Online\r\n"
              "  Health Status     : Normal\r\n"
              "  WWN               : " +
                  wwn +
                  "\r\n"
                  "  Split Clone ID(s) : --\r\n");
}

TEST_F(SimCommandTest, ErrorsForUnknownTakenAndInUseObjects) {
    uint32_t lun = array.model().addLun("lun_a", kSectorsPerGb);
    uint32_t group = std::stoul(array.model().createLunGroup("lg").id);
    struct Case {
        std::string command;
        std::string error;
    } cases[] = {
        {"show lun general lun_id=99", "The specified LUN is unavailable."},
        {"show snapshot general snapshot_id=99", "The specified snapshot does not exist."},
        {"show lun_group lun lun_group_id=99", "The specified LUN group does not exist."},
        {"show clone secondary_lun clone_id=9", "The specified clone does not exist."},
        {"show fs_snapshot general snapshot_id=1@x", "The specified snapshot does not exist."},
        {"delete share_permission cifs share_permission_id=4",
         "The specified share permission does not exist."},
        {"create lun name=lun_a pool_id=0 capacity=1GB owner_controller=0A lun_type=thin",
         "The object name already exists."},
        {"add lun_group lun lun_group_id=" + std::to_string(group) + " lun_id_list=" + std::to_string(lun),
         ""},
        {"add lun_group lun lun_group_id=" + std::to_string(group) + " lun_id_list=" + std::to_string(lun),
         "The LUN has been added to the LUN group."},
        {"delete lun lun_id_list=" + std::to_string(lun), "The LUN is in use."},
        {"delete lun_group lun_group_id=" + std::to_string(group), "The LUN group contains LUNs."},
        {"remove lun_group lun lun_group_id=" + std::to_string(group) + " lun_id_list=" + std::to_string(lun),
         ""},
        {"remove lun_group lun lun_group_id=" + std::to_string(group) + " lun_id_list=" + std::to_string(lun),
         "The LUN has not been added to the LUN group."},
    };
    for (const auto& k : cases) {
        std::string reply = run(k.command);
        if (k.error.empty()) {
            EXPECT_EQ(reply, kOk) << k.command;
        } else {
            EXPECT_EQ(reply.rfind("Error: " + k.error + "\r\nSuggestion: ", 0), 0u) << k.command << "\n"
                                                                                    << reply;
        }
    }
}

TEST_F(SimCommandTest, SnapshotBatchActivationRestoreAndDuplicate) {
    uint32_t a = array.model().addLun("lun_a", kSectorsPerGb);
    uint32_t b = array.model().addLun("lun_b", kSectorsPerGb);
    ModelFaults f;
    f.snapshotFailures[b] = "The LUN is faulty.";
    f.restoreShows = 2;
    array.setModelFaults(f);
    std::string list = std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(a);
    EXPECT_EQ(run("create snapshot general lun_id_list=" + list + " name=snap"),
              "Create snapshot of LUN 1 successfully.\r\n"
              "Create snapshot of LUN 2 failed. Reason: The LUN is faulty.\r\n"
              "Create snapshot of LUN 1 successfully.\r\n");
    auto state = array.model().copy();
    ASSERT_EQ(state.snapshots.size(), 2u);
    EXPECT_EQ(state.snapshots.at(3).name, "snap0000");
    EXPECT_EQ(state.snapshots.at(4).name, "snap0002");

    EXPECT_EQ(run("change snapshot activate snapshot_id_list=3,4"), kOk);
    EXPECT_EQ(run("change snapshot restore snapshot_id=3 restore_speed=High"), kOk);
    auto status = [&] {
        std::string r = run("show snapshot general snapshot_id=3");
        size_t at = r.find("Running Status      : ");
        size_t progress = r.find("Restore Progress(%) : ");
        return r.substr(at + 22, r.find('\r', at) - at - 22) + "/" +
               r.substr(progress + 22, r.find('\r', progress) - progress - 22);
    };
    EXPECT_EQ(status(), "Rolling back/50");
    EXPECT_EQ(status(), "Rolling back/100");
    EXPECT_EQ(status(), "Activated/--");

    EXPECT_EQ(run("create snapshot duplicate snapshot_id=3 name=copy"), kOk);
    auto copy = array.model().copy().snapshots.at(5);
    EXPECT_EQ(copy.running, "Activated");
    EXPECT_EQ(copy.copiedFrom, 3u);
    EXPECT_EQ(copy.sourceLunId, a);

    EXPECT_EQ(run("delete snapshot snapshot_id_list=4").rfind("Error: ", 0), 0u);
    EXPECT_EQ(run("change snapshot deactivate snapshot_id=4"), kOk);
    EXPECT_EQ(run("delete snapshot snapshot_id_list=4"), kOk);

    f.refuseActivation = true;
    array.setModelFaults(f);
    EXPECT_EQ(run("change snapshot deactivate snapshot_id=5"), kOk);
    EXPECT_EQ(run("change snapshot activate snapshot_id_list=5").rfind("Error: ", 0), 0u);
    EXPECT_EQ(array.model().copy().snapshots.at(5).running, "Unactivated");
}

TEST_F(SimCommandTest, MappingAHostToASnapshot) {
    uint32_t lun = array.model().addLun("lun_a", kSectorsPerGb);
    array.model().createSnapshots({lun}, "s1");
    array.model().activateSnapshots({2});
    for (const char* cmd :
         {"create host name=h1 operating_system=Linux", "create host_group name=hg1",
          "add host_group host host_group_id=1 host_id_list=1", "create lun_group name=lg1",
          "add lun_group lun lun_group_id=1 lun_id_list=2", "create mapping_view name=mv1",
          "add mapping_view host_group mapping_view_id=1 host_group_id=1",
          "add mapping_view lun_group mapping_view_id=1 lun_group_id=1",
          "create initiator iscsi iscsi_iqn_name=iqn.1994-05.com.redhat:abc",
          "add host initiator host_id=1 initiator_type=iSCSI iscsi_iqn_name=iqn.1994-05.com.redhat:abc"}) {
        EXPECT_EQ(run(cmd), kOk) << cmd;
    }
    EXPECT_EQ(
        run("show lun_group snapshot lun_group_id=1|filterRow column=Snapshot\\sID predict=equal_to value=2"),
        "\r\n  Snapshot ID  Snapshot Name\r\n  -----------  -------------\r\n  2            s1\r\n");
    EXPECT_EQ(
        run("show mapping_view general|filterRow column=Mapping\\sView\\sName predict=equal_to value=mv1"),
        "\r\n  ID  Mapping View Name\r\n  --  -----------------\r\n  1   mv1\r\n");
    EXPECT_EQ(run("show initiator initiator_type=iSCSI"),
              "\r\n  iSCSI IQN                   Running Status  Free  Alias  Host ID  Multipath Type\r\n"
              "  --------------------------  --------------  ----  -----  -------  --------------\r\n"
              "  iqn.1994-05.com.redhat:abc  Online          No    --     1        Default\r\n");
    EXPECT_EQ(
        run("add host initiator host_id=1 initiator_type=iSCSI iscsi_iqn_name=iqn.1994-05.com.redhat:abc")
            .rfind("Error: The specified object ID is not unique.", 0),
        0u);
    EXPECT_EQ(run("delete mapping_view mapping_view_id=1").rfind("Error: ", 0), 0u);
    EXPECT_EQ(run("remove mapping_view lun_group mapping_view_id=1 lun_group_id=1"), kOk);
    EXPECT_EQ(run("remove mapping_view lun_group mapping_view_id=1 lun_group_id=1")
                  .rfind("Error: The LUN group has not been added to the mapping view.", 0),
              0u);

    auto pages = inquiryOf(array.model(), 2);
    ASSERT_TRUE(pages);
    EXPECT_EQ(std::string(pages->standard.begin() + 8, pages->standard.begin() + 32),
              "HUAWEI  XSG1            ");
    EXPECT_EQ(std::string(pages->page80.begin() + 4, pages->page80.end()), "2102351234ABCD0000010002");
    EXPECT_EQ(pages->page83[20], 0x00);
    EXPECT_EQ(pages->page83[23], 0x02);
    EXPECT_EQ(inquiryImage(*pages).rfind("TAVSO-INQUIRY-IMAGE 1\nstd 000006021F000000485541574549", 0), 0u);
}

TEST_F(SimCommandTest, CloneSynchronisationSplitAndNewLunOnline) {
    ModelFaults f;
    f.cloneSyncShows = 2;
    f.lunOnlineShows = 1;
    array.setModelFaults(f);
    uint32_t primary = array.model().addLun("p", kSectorsPerGb);
    EXPECT_EQ(run("create lun name=s pool_id=0 capacity=1GB owner_controller=0A lun_type=thin"), kOk);
    EXPECT_EQ(run("create clone name=c1 lun_id=" + std::to_string(primary)), kOk);
    EXPECT_EQ(
        run("add clone secondary_lun clone_id=1 lun_id=2 synchronization_rate=high "
            "initial_synchronization=yes")
            .rfind("Error: The operation is prohibited under the current conflict status of the LUN.", 0),
        0u);
    EXPECT_NE(run("show lun general lun_id=2").find("Running Status    : Online"), std::string::npos);
    EXPECT_EQ(run("add clone secondary_lun clone_id=1 lun_id=2 synchronization_rate=high "
                  "initial_synchronization=yes"),
              kOk);
    EXPECT_EQ(run("show clone secondary_lun clone_id=1 lun_id=2"),
              "  ID             : 2\r\n  Name           : s\r\n  Running Status : Synchronizing\r\n"
              "  Process        : 50\r\n");
    EXPECT_NE(run("show clone secondary_lun clone_id=1").find("Normal          100"), std::string::npos);
    EXPECT_EQ(run("change clone synchronize clone_id=1 lun_id=2")
                  .rfind("Error: The pair is in the normal state.", 0),
              0u);
    EXPECT_NE(run("show lun general lun_id=2").find("Split Clone ID(s) : 1"), std::string::npos);
    EXPECT_EQ(run("change clone split clone_id=1 lun_id_list=2"), kOk);
    EXPECT_EQ(run("delete clone clone_id=1").rfind("Error: ", 0), 0u);
    EXPECT_EQ(run("remove clone secondary_lun clone_id=1 lun_id=2"), kOk);
    EXPECT_EQ(run("delete clone clone_id=1"), kOk);
    EXPECT_EQ(array.model().copy().luns.size(), 2u);

    f.cloneSyncFault = true;
    array.setModelFaults(f);
    array.model().createClone("c2", primary);
    array.model().addCloneSecondary(2, 2, "high", true);
    run("show clone secondary_lun clone_id=2");
    EXPECT_NE(run("show clone secondary_lun clone_id=2").find("Fault"), std::string::npos);
}

TEST_F(SimCommandTest, FileSystemSnapshotsAndShares) {
    uint32_t fs = array.model().addFileSystem("fs1", 0);
    EXPECT_EQ(
        run("create fs_snapshot general name=s1 file_system_id_list=1,7"),
        "Create snapshot of file system 1 successfully.\r\n"
        "Create snapshot of file system 7 failed. Reason: The specified file system does not exist.\r\n");
    EXPECT_EQ(run("show fs_snapshot general file_system_id=1|filterRow column=Snapshot\\sName "
                  "predict=equal_to value=s1"),
              "\r\n  ID    Snapshot Name  File System ID  Running Status\r\n"
              "  ----  -------------  --------------  --------------\r\n"
              "  1@s1  s1             1               Active\r\n");
    EXPECT_EQ(run("change fs_snapshot restore snapshot_id=1@s1"),
              "The file system snapshot was restored successfully.\r\n");
    EXPECT_EQ(run("create share nfs local_path=/fs1/ file_system_id=" + std::to_string(fs) + " alias=fs1"),
              kOk);
    EXPECT_EQ(run("create share_permission nfs access_name=10.0.0.1 share_id=1 access_type=read_write "
                  "sync_enabled=yes all_squash_enabled=no root_squash_enabled=no"),
              kOk);
    EXPECT_NE(run("show share_permission nfs share_id=1").find("10.0.0.1     read_write   Yes           No"),
              std::string::npos);
    EXPECT_EQ(run("create share cifs name=c1 local_path=/fs1/ file_system_id=1"), kOk);
    EXPECT_EQ(run("create share_permission cifs access_name=Everyone share_id=2 permission_type=read_only"),
              kOk);
    EXPECT_EQ(run("show share_permission cifs share_id=2"),
              "\r\n  ID  Access Name  Share ID  Type  Permission\r\n  --  -----------  --------  ----  "
              "----------\r\n"
              "  2   Everyone     2         user  Read Only\r\n");
    EXPECT_EQ(run("delete share cifs share_id=2"), kOk);
    EXPECT_TRUE(array.model().copy().cifsPermissions.empty());
    EXPECT_EQ(run("delete fs_snapshot general snapshot_id_list=1@s1"), kOk);
    EXPECT_EQ(
        run("delete fs_snapshot general snapshot_id_list=1@s1"),
        "Error: The specified snapshot does not exist.\r\nSuggestion: Check the input and try again.\r\n");
}

}  // namespace
}  // namespace simtest
