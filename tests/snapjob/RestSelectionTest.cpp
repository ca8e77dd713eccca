// Which transport an array gets, and the host's access details behind it.
#include <gtest/gtest.h>

#include "api/HuaweiRestSelection.h"
#include "tests/support/DebugLogCapture.h"
#include "tests/support/SnapJobBed.h"

using tavso::test::BedArray;
using tavso::test::DebugLogCapture;
using tavso::test::FakeVolume;
using tavso::test::SnapJobBed;

namespace {

const char kSerial[] = "2102351234ABCD000001";

TEST(RestSelection, VStoresGoOverRestWithoutACliLogin) {
    for (unsigned flags : {8u, 9u, 12u}) {
        SnapJobBed bed;
        BedArray& a = bed.addArray(kSerial, "V300R006C00");
        bed.setAccessDetails(kSerial, a, flags);
        FakeVolume v;
        _HuaweiCliParams p;
        DebugLogCapture log;
        EXPECT_TRUE(isRESTAPIEnabled(&v, kSerial, p, &bed.os)) << flags;
        EXPECT_TRUE(a.sim->transcript().logins().empty()) << flags;
        EXPECT_TRUE(log.logged(
            "The vStore array does not support CLI. Hence using REST API for all snap operations", 7));
    }
}

TEST(RestSelection, FirmwareDecidesForOtherArrays) {
    struct Case {
        const char* firmware;
        const char* setting;  // sUseCLIForHuaweiFirmWareVersions, or none
        bool rest;
    } cases[] = {
        {"V300R006C00", nullptr, false},
        {"V200R002C10", nullptr, false},
        {"V500R007C10", nullptr, true},
        {"V500R007C10", "V600R001C00,V500R007C10", false},
        // The entries are compared as they stand: a blank after the comma stays part of it.
        {"V500R007C10", "V600R001C00, V500R007C10", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.firmware) + " / " + (c.setting ? c.setting : "-"));
        SnapJobBed bed;
        BedArray& a = bed.addArray(kSerial, c.firmware);
        if (c.setting) {
            bed.setSettings(std::string("sUseCLIForHuaweiFirmWareVersions=") + c.setting + "\n");
        }
        FakeVolume v;
        _HuaweiCliParams p;
        EXPECT_EQ(c.rest, isRESTAPIEnabled(&v, kSerial, p, &bed.os));
        EXPECT_EQ(1u, a.sim->transcript().logins().size());
        EXPECT_EQ(a.address, p.hostName) << "the empty record is filled from the access details";
    }
}

TEST(RestSelection, NothingToGoOnMeansRest) {
    SnapJobBed bed;
    BedArray& a = bed.addArray(kSerial, "V300R006C00");
    FakeVolume v;
    _HuaweiCliParams empty;
    EXPECT_TRUE(isRESTAPIEnabled(&v, "", empty, &bed.os));
    EXPECT_TRUE(bed.os.arrayCredentialRequests().empty());
    // No access details stored for the array.
    EXPECT_TRUE(isRESTAPIEnabled(&v, "2102350000FFFF000009", empty, &bed.os));
    // An array whose CLI cannot be reached.
    a.sim->stop();
    EXPECT_TRUE(isRESTAPIEnabled(&v, kSerial, empty, &bed.os));
}

TEST(RestSelection, AFilledRecordIsKept) {
    SnapJobBed bed;
    BedArray& a = bed.addArray(kSerial, "V300R006C00");
    FakeVolume v;
    _HuaweiCliParams p;
    p.arrayId = kSerial;
    p.hostName = a.address;
    p.userName = tavso::test::kArrayUser;
    p.password = tavso::test::kArrayPassword;
    p.ignoreFirmwareCheck = true;
    bed.setAccessDetails(kSerial, a, 0, "someone_else", "Other@123");
    EXPECT_FALSE(isRESTAPIEnabled(&v, kSerial, p, &bed.os));
    EXPECT_EQ(tavso::test::kArrayUser, p.userName);
    EXPECT_EQ(tavso::test::kArrayPassword, p.password);
}

TEST(RestSelection, AccessDetailsAreLoggedWithoutThePassword) {
    struct Case {
        const char* text;
        std::string logged;
    } cases[] = {
        {"{hostName:10.0.0.5,hostPassword:S3cr3t!,engineName:huawei}",
         "***** Array Info [{hostName:10.0.0.5,hostPassword:*******,engineName:huawei}] *******"},
        // Nothing marks the end of the password: everything after it is masked.
        {"{hostName:10.0.0.5,hostPassword:S3cr3t!,hostFlags:0}",
         "***** Array Info [{hostName:10.0.0.5,hostPassword:" + std::string(20, '*') + "] *******"},
        {"{engineName:huawei,hostName:10.0.0.5,hostPassword:S3cr3t!}",
         "***** Array Info [{engineName:huawei,hostName:10.0.0.5,hostPassword:********] *******"},
        {"{hostName:10.0.0.5}", "***** Array Info [{hostName:10.0.0.5}] *******"},
    };
    for (const Case& c : cases) {
        DebugLogCapture log;
        EXPECT_FALSE(printArrayInfo(c.text).IsError());
        EXPECT_TRUE(log.logged(c.logged, 3)) << c.text;
        EXPECT_FALSE(log.loggedContaining("S3cr3t")) << c.text;
    }
}

TEST(RestSelection, AccessDetailsThatCannotBeHadReport62005) {
    SnapJobBed bed;
    FakeVolume v;
    _ArrayInfo info;
    info.arrayName = "unknown";
    CUboError e = getArrayInfoByName(1, &v, &bed.os, info);
    EXPECT_EQ("[ERROR] Unable to fetch the details for array [unknown]", e.GetErrorString());
    EXPECT_EQ((std::vector<tavso::test::ErrorReport>{{62005, "Unable to get the array login credentials"}}),
              v.errors());
    info.arrayName.clear();
    EXPECT_EQ("[ERROR] Invalid input parameters", getArrayInfoByName(1, &v, &bed.os, info).GetErrorString());
}

TEST(RestSelection, ArrayNameOfALun) {
    SnapJobBed bed;
    BedArray& a = bed.addArray(kSerial, "V500R007C10");
    const uint32_t vstore = a.model().addVStore("vs_hr");
    const uint32_t plain = a.model().addLun("plain", tavso::sim::kSectorsPerGb);
    const uint32_t inVStore = a.model().addLun("hr_db", tavso::sim::kSectorsPerGb);
    const uint32_t orphan = a.model().addLun("orphan", tavso::sim::kSectorsPerGb);
    a.model().with([&](tavso::sim::ArrayState& s) {
        s.luns[inVStore].vstoreId = std::to_string(vstore);
        s.luns[orphan].vstoreId = "77";  // a vStore id the array has no name for
    });
    bed.setAccessDetails("vs_hr", a, 8);
    FakeVolume v;
    std::string name;
    ASSERT_FALSE(getArrayNameUsingLunID(1, &v, &bed.os, kSerial, plain, name).IsError());
    EXPECT_EQ(kSerial, name);
    ASSERT_FALSE(getArrayNameUsingLunID(1, &v, &bed.os, kSerial, inVStore, name).IsError());
    EXPECT_EQ("vs_hr", name);
    ASSERT_FALSE(getArrayNameUsingLunID(1, &v, &bed.os, kSerial, orphan, name).IsError());
    EXPECT_EQ(kSerial, name);
    EXPECT_EQ("Unable to get the Vstore information for the lun with ID [999]",
              getArrayNameUsingLunID(1, &v, &bed.os, kSerial, 999, name).GetErrorString());
}

}  // namespace
