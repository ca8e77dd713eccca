#include <gtest/gtest.h>

#include "api/HuaweiDeviceInfo.h"
#include "api/TAVSOHuaweiAPI.h"
#include "platform/TavPlatformInfo.h"
#include "tests/support/DebugLogCapture.h"
#include "tests/support/FakeHost.h"
#include "tests/support/InquiryImage.h"

using namespace tavso::test;

namespace {

const std::string kArray = "2102351234ABCD000001";
const std::string kWwn = "6AB3C5D7E9F10203040506070000002A";  // LUN 42

struct Identity {
    std::string vendor, product, arrayId, lunWwn, lunUuid;
    int lunId = -1;
    bool ok = false;
};

Identity identify(const std::string& device, TAVSO::SnapInfo* volume = nullptr,
                  TAVSO::TAVOSUtil* os = nullptr) {
    Identity id;
    id.ok = getDevArrayInfo(device.c_str(), id.vendor, id.product, id.arrayId, id.lunWwn, id.lunUuid,
                            id.lunId, volume, os);
    return id;
}

}  // namespace

TEST(ProductCheck, ExactListedProductLinesOnly) {
    struct Case {
        const char* product;
        bool supported;
    } cases[] = {{"XSG1", true},  {"S5500T  ", true}, {"  HVS88T", true}, {"XSG", false},
                 {"xsg1", false}, {"", false},        {"S5500", false},   {"T<*>XSG1", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.supported, isSupportedHuaweiProduct(c.product)) << c.product;
    }
}

TEST(ScsiIdentity, HuaweiLunGivesArraySerialWwnAndLunId) {
    TempDir dir;
    std::string dev = dir.device("sdb", huaweiLun("XSG1", kArray, kWwn, "0012"));
    Identity id = identify(dev);
    ASSERT_TRUE(id.ok);
    EXPECT_EQ("HUAWEI", id.vendor);
    EXPECT_EQ("XSG1", id.product);
    EXPECT_EQ(kArray, id.arrayId);
    EXPECT_EQ(kWwn, id.lunWwn);
    EXPECT_EQ(42, id.lunId);

    ScopedSettings p80("[~Dravel]\nUseP80LunID=1\n");
    EXPECT_EQ(12, identify(dev).lunId);
}

TEST(ScsiIdentity, OtherProductsAndVendorsSkipThePage83Query) {
    TempDir dir;
    InquiryImage unlisted = huaweiLun("OTHER", kArray, kWwn);
    unlisted.vpd83.reset();  // would fail if it were asked
    Identity id = identify(dir.device("sdc", unlisted));
    ASSERT_TRUE(id.ok);
    EXPECT_EQ("OTHER", id.product);
    EXPECT_EQ("", id.lunWwn);
    EXPECT_EQ(0, id.lunId);

    InquiryImage foreign;
    foreign.standard = standardInquiry("NETAPP", "LUN C-Mode");
    foreign.vpd80 = page80("80ABCDEFGHIJKLMNOPQR", "0001");
    EXPECT_TRUE(identify(dir.device("sdd", foreign)).ok);
    std::string dev = dir.device("sde", foreign);
    EXPECT_EQ(2, tavso_isSupported(dev.c_str(), TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
}

TEST(ScsiIdentity, FailuresAreLoggedAndReturnFalse) {
    TempDir dir;
    InquiryImage no80 = huaweiLun("XSG1", kArray, kWwn);
    no80.vpd80.reset();
    struct Case {
        std::string device;
        std::string message;
    } cases[] = {
        {dir.file("missing"), "Failed to get TavDevice. Error:["},
        {dir.write("plain", "just a file\n"), "' is not SCSI device"},
        {dir.device("no80", no80), "Fail to send scsi inqury cdb for Page 80, caught exception:"},
    };
    for (const auto& c : cases) {
        FakeVolume v;
        EXPECT_FALSE(identify(c.device, &v).ok) << c.device;
        EXPECT_TRUE(v.loggedContaining(c.message)) << c.message;
    }
}

TEST(IsSupported, Results) {
    TempDir dir;
    std::string dev = dir.device("sdb", huaweiLun("S5500T", kArray, kWwn));
    EXPECT_EQ(0, tavso_isSupported(dev.c_str(), TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
    EXPECT_EQ(1, tavso_isSupported(nullptr, TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
    EXPECT_EQ(1, tavso_isSupported(dir.file("gone").c_str(), TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
    DebugLogCapture module;
    // No volume is passed, so a VMware text can never find its array.
    EXPECT_EQ(1, tavso_isSupported("{idatype:vmware,lunuuid:0200000000"
                                   "6AB3C5D7E9F102030405060700000001}",
                                   TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
    EXPECT_TRUE(
        module.loggedContaining("Unable to find Array-ID for VMWare [Snap info - NULL] [OSUtil - NULL]"));
}

TEST(VmwareIdentity, LunUuidLayoutAndFormatErrors) {
    FakeVolume v;
    FakeOsUtil os;
    ScopedSettings map("[~Dravel]\nHuaweiLunMap1=  6AB3C5D7E9F10203040506070000001A|  " + kArray + "  \n");
    std::string uuid = "0200000000" + std::string("6AB3C5D7E9F10203040506070000001A") + "58534731";  // "XSG1"
    Identity id = identify("{idatype:vmware,vendor:HUAWEI-X,lunuuid:" + uuid + "}", &v, &os);
    ASSERT_TRUE(id.ok);
    EXPECT_EQ(26, id.lunId);
    EXPECT_EQ("HUAWEI", id.vendor);
    EXPECT_EQ("XSG1", id.product);
    EXPECT_EQ(kArray, id.arrayId);

    struct Case {
        std::string uuid;
        std::string message;
    } cases[] = {
        {"0123456789", "Error.Incorrect format of VMWARE LUN-WWN string :0123456789"},
        {std::string(30, '1'), "Error.Incorrect format of LUN-ID LUN-WWN string :" + std::string(30, '1')}};
    for (const auto& c : cases) {
        FakeVolume w;
        EXPECT_FALSE(identify("{vmware:1,lunuuid:" + c.uuid + "}", &w, &os).ok);
        EXPECT_TRUE(w.logged(c.message)) << c.message;
    }
}

TEST(VmwareIdentity, ArrayIdFromTheEsxServerSerialPage) {
    FakeVolume v;
    v.valueString[TAVSO::GET_VALUE_VOL_SOURCE_PATH] = "/vmfs/volumes/ds1";
    v.valueInt[TAVSO::GET_VALUE_VOL_KORVL_ID] = 5;
    v.valueInt[TAVSO::GET_VALUE_SUBCLINET_ID] = 77;
    FakeOsUtil os;
    std::string hexSerial;
    for (char c : kArray) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(c));
        hexSerial += two;
    }
    os.vmwarePages["SERIALNUM"] = {0, hexSerial};
    std::string arrayId;
    ASSERT_TRUE(GetArrayIDfromVMWare(&v, "uuid", &os, arrayId));
    EXPECT_EQ(kArray, arrayId);
    auto calls = os.vmwarePageCalls();
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("GENERIC_VPD", calls[0].pageKind);
    EXPECT_EQ(3072, calls[0].length);
    EXPECT_EQ("SERIALNUM", calls[3].pageKind);
    EXPECT_EQ(77, calls[3].appId);
    EXPECT_EQ('*', calls[3].separator);

    FakeVolume noPath;
    EXPECT_FALSE(GetArrayIDfromVMWare(&noPath, "uuid", &os, arrayId));
    EXPECT_TRUE(noPath.logged("[ERROR] Unable to get Host-Source path ."));
}

TEST(LunMapSettings, ScanStopsAtTheFirstMissingNumber) {
    std::string wwn = "6AB3C5D7E9F10203040506070000002A", arrayId;
    {
        ScopedSettings s("[~Dravel]\nHuaweiLunMap1=OTHER|X\nHuaweiLunMap3=" + wwn + "|" + kArray + "\n");
        EXPECT_FALSE(CheckAndGetArrayIDFromReg(wwn, arrayId));
    }
    {
        ScopedSettings s("[~Dravel]\nHuaweiLunMap1=" + wwn + " |" + kArray + "\nHuaweiLunMap2=" + wwn +
                         "|B\n");
        EXPECT_TRUE(CheckAndGetArrayIDFromReg(wwn, arrayId));
        EXPECT_EQ("B", arrayId);
    }
}

TEST(TrimSpaces, StarsBecomeBlanksAndTrailingSpaceGoes) {
    unsigned char bytes[] = {' ', 'A', '*', 'B', ' ', ' ', '\t'};
    EXPECT_EQ(" A B", trimSpaces(bytes, sizeof bytes));
    EXPECT_EQ(' ', bytes[2]);
    unsigned char empty[] = {0, 'A'};
    EXPECT_EQ("", trimSpaces(empty, 2));
    EXPECT_EQ("", trimSpaces(nullptr, 4));
}
