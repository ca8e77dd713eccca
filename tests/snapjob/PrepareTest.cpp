// The prepare step: what it stores per volume and how it fails, through the exported function.
#include <gtest/gtest.h>

#include "api/TAVSOHuaweiAPI.h"
#include "tests/support/SnapJobBed.h"

using tavso::test::BedArray;
using tavso::test::ErrorReport;
using tavso::test::FakeVolume;
using tavso::test::SnapJobBed;

namespace {

const char kSerial[] = "2102351234ABCD000001";
const char kCliFirmware[] = "V300R006C00";
const char kRestFirmware[] = "V500R007C10";

TEST(Prepare, ForeignDeviceFailsAloneWithoutAnErrorCode) {
    SnapJobBed bed;
    BedArray& a = bed.addArray(kSerial, kCliFirmware);
    bed.addVolume(a, "lun_a");
    FakeVolume& foreign = bed.addVolumeWithImage({tavso::test::standardInquiry("NETAPP", "LUN C-Mode"),
                                                  tavso::test::page80("80vBq$Kq1yW1", "0001"),
                                                  tavso::test::page83("600a0980383056614a5d4c4e38734e31")});
    EXPECT_EQ(2, bed.prepare());
    EXPECT_EQ(1, bed.volumes[0]->status());
    EXPECT_EQ(2, foreign.status());
    EXPECT_TRUE(foreign.errors().empty());
    EXPECT_FALSE(foreign.metadata(1));
    EXPECT_TRUE(bed.volumes[0]->logged(
        "|-------------------- Completed prepare snapshot/clone.[ success - 1/2] --------------------|", 1));
}

// The checks on the array, over either transport.
TEST(Prepare, ArrayChecksFailTheVolumeWith62008) {
    struct Case {
        const char* firmware;
        bool wrongSerial;  // else: the LUN is gone
        const char* text;
    } cases[] = {
        {kCliFirmware, true,
         "[ERROR] Wrong Array has been configured [ 2102351234ABCD000001]. Connected [ "
         "2102350000FFFF000009]."},
        {kRestFirmware, true,
         "[ERROR]  Incorrect array has been configured [2102351234ABCD000001]. Connected to array "
         "[2102350000FFFF000009]"},
        {kCliFirmware, false,
         "Error: The specified LUN is unavailable.\r\nSuggestion: Check the input and try again.\r\n"},
        // Over REST the LUN is looked up for its vStore first.
        {kRestFirmware, false, "Unable to get the Vstore information for the lun with ID [1]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.firmware) + (c.wrongSerial ? " wrong serial" : " missing LUN"));
        SnapJobBed bed;
        BedArray& a = bed.addArray(kSerial, c.firmware);
        FakeVolume& v = bed.addVolume(a, "lun_a");
        bed.addVolume(a, "lun_b");
        if (c.wrongSerial) {
            a.model().with([](tavso::sim::ArrayState& s) { s.system.serial = "2102350000FFFF000009"; });
        } else {
            a.model().with([&](tavso::sim::ArrayState& s) { s.luns.erase(bed.luns[0]); });
        }
        EXPECT_EQ(c.wrongSerial ? 1 : 2, bed.prepare());
        EXPECT_EQ(2, v.status());
        ASSERT_FALSE(v.errors().empty());
        EXPECT_EQ(62008, v.errors().back().code);
        EXPECT_EQ(c.text, v.errors().back().text);
        EXPECT_FALSE(v.metadata(1));
    }
}

TEST(Prepare, ParametersThatDoNotLoadFailWith62005) {
    SnapJobBed bed;
    BedArray& a = bed.addArray(kSerial, kCliFirmware);
    FakeVolume& v = bed.addVolume(a, "lun_a");
    v.setLoginCredentialsResult = 1;
    EXPECT_EQ(1, bed.prepare());
    EXPECT_EQ(2, v.status());
    EXPECT_EQ((std::vector<ErrorReport>{{62005, "Unable to set the array login credentials"}}), v.errors());
}

TEST(Prepare, TransportIsChosenOncePerArray) {
    SnapJobBed bed;
    BedArray& cli = bed.addArray(kSerial, kCliFirmware);
    BedArray& rest = bed.addArray("2102359876WXYZ000002", kRestFirmware);
    for (int i = 0; i < 2; ++i) {
        bed.addVolume(cli, "c" + std::to_string(i));
        bed.addVolume(rest, "r" + std::to_string(i));
    }
    ASSERT_EQ(0, bed.prepare());
    // The REST array is logged in to over its CLI once, for its firmware; the CLI array once for
    // the firmware and once per volume for the check.
    EXPECT_EQ(1u, rest.sim->transcript().logins().size());
    EXPECT_EQ(3u, cli.sim->transcript().logins().size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(i % 2 ? "HUAWEI_CONNECT_REST" : "HUAWEI_CONNECT_CLI",
                  bed.volumes[i]->transient(TAVSO::TRANSIENT_TRANSPORT));
    }
}

TEST(Prepare, VStoreLunIsRecordedUnderTheVStoreName) {
    SnapJobBed bed;
    BedArray& a = bed.addArray(kSerial, kRestFirmware);
    const uint32_t vstore = a.model().addVStore("vs_finance");
    a.model().addUser({"vsadmin", "Vs@12345", "Admin", "", std::to_string(vstore)});
    FakeVolume& v = bed.addVolume(a, "fin_db");
    a.model().with([&](tavso::sim::ArrayState& s) { s.luns[bed.luns[0]].vstoreId = std::to_string(vstore); });
    bed.setAccessDetails("vs_finance", a, 8, "vsadmin", "Vs@12345");
    bed.setVolumeCredentials("vs_finance", a, "vsadmin", "Vs@12345");
    ASSERT_EQ(0, bed.prepare());
    EXPECT_EQ("3*vs_finance*" + std::to_string(bed.luns[0]) + "*0*39*1*fin_db**0***", v.metadata(1));
    EXPECT_EQ("HUAWEI_CONNECT_REST", v.transient(TAVSO::TRANSIENT_TRANSPORT));

    ASSERT_EQ(0, bed.snap());
    EXPECT_EQ(5, v.status());
    const auto snaps = a.model().copy().snapshots;
    ASSERT_EQ(1u, snaps.size());
    EXPECT_EQ(std::to_string(vstore), snaps.begin()->second.vstoreId);
}

TEST(Prepare, FileSystemAndCloneJobsAreRefusedClearly) {
    struct Case {
        const char* device;
        const char* settings;
        int engineId;
        int result;
        const char* text;
    } cases[] = {
        {"{type:nfs,lunuuid:/fs1,targethostname:nas01}", "", 39, 1,
         "File-system snapshots (type 1) are not available in this plug-in build"},
        {"{type:native_huawei,path:/fs1}", "", 39, 1,
         "Brisko operations for Huawei NDMP DRV is not supported."},
        {"{type:native_huawei,path:/fs1}", "EnableHuaweiNDMPSnap=0\n", 39, 1,
         "Brisko operations for Huawei NDMP DRV is not supported."},
        {nullptr, "", 40, 1, "The clone engine is not available in this plug-in build"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device ? c.device : "clone engine");
        SnapJobBed bed;
        BedArray& a = bed.addArray(kSerial, kCliFirmware);
        bed.setSettings(c.settings);
        bed.setVolumeCredentials(kSerial, a, tavso::test::kArrayUser, tavso::test::kArrayPassword,
                                 c.engineId);
        FakeVolume& v = c.device ? bed.addVolumeWithDevice(c.device) : bed.addVolume(a, "lun_a");
        EXPECT_EQ(c.result, bed.prepare());
        EXPECT_NE(1, v.status());
        ASSERT_FALSE(v.errors().empty());
        EXPECT_EQ((ErrorReport{62008, c.text}), v.errors().back());
        EXPECT_TRUE(a.snapshots().empty());
    }
}

}  // namespace
