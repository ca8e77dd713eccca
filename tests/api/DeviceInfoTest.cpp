#include <gtest/gtest.h>

#include "api/HuaweiDeviceInfo.h"
#include "api/TAVSOHuaweiAPI.h"
#include "platform/TavPlatformInfo.h"
#include "tests/support/FakeHost.h"
#include "tests/support/InquiryImage.h"

using namespace tavso::test;

struct ProductCase {
    const char* vendor;
    const char* product;
    int expected;
};

class IsSupportedProducts : public ::testing::TestWithParam<ProductCase> {};

TEST_P(IsSupportedProducts, AnswersByVendorAndProductLine) {
    TempDir dir;
    const ProductCase& c = GetParam();
    std::string dev =
        dir.device("d", {standardInquiry(c.vendor, c.product), page80("2102351234ABCDEF0001", "0012"),
                         page83("6000000000000000000000000000001A")});
    EXPECT_EQ(c.expected, tavso_isSupported(dev.c_str(), TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
}

INSTANTIATE_TEST_SUITE_P(Products, IsSupportedProducts,
                         ::testing::Values(ProductCase{"HUAWEI", "XSG1", 0},
                                           ProductCase{"HUAWEI", "S5500T  ", 0},
                                           ProductCase{"HUAWEI", "XSG", 2}, ProductCase{"HUAWEI", "xsg1", 2},
                                           ProductCase{"ACME", "XSG1", 0}, ProductCase{"ACME", "DISK", 2}));

TEST(DevArrayInfo, HuaweiLunReadsWwnArrayAndLunId) {
    TempDir dir;
    std::string dev = dir.device(
        "d", huaweiLun("XSG1", "2102351234ABCDEF0001", "6000000000000000000000000000001A", "0012"));
    std::string vendor, product, arrayId, wwn, uuid;
    int lunId = -1;
    FakeVolume v;
    ASSERT_TRUE(getDevArrayInfo(dev.c_str(), vendor, product, arrayId, wwn, uuid, lunId, &v, nullptr));
    EXPECT_EQ("HUAWEI", vendor);
    EXPECT_EQ("XSG1", product);
    EXPECT_EQ("2102351234ABCDEF0001", arrayId);
    EXPECT_EQ("6000000000000000000000000000001A", wwn);
    EXPECT_EQ(26, lunId);
    EXPECT_TRUE(v.logged("[$$test] [LUN-ID from page 0x83 - 26] [LUN-ID from page 0x80 - 12]", 1));
    ScopedSettings s("[~Dravel]\nUseP80LunID=1\n");
    ASSERT_TRUE(getDevArrayInfo(dev.c_str(), vendor, product, arrayId, wwn, uuid, lunId, &v, nullptr));
    EXPECT_EQ(12, lunId);
}

TEST(DevArrayInfo, UnlistedHuaweiProductGetsNoPage83) {
    TempDir dir;
    std::string dev =
        dir.device("d", huaweiLun("OTHER", "2102351234ABCDEF0001", "6000000000000000000000000000001A"));
    std::string vendor, product, arrayId, wwn, uuid;
    int lunId = -1;
    ASSERT_TRUE(getDevArrayInfo(dev.c_str(), vendor, product, arrayId, wwn, uuid, lunId, nullptr, nullptr));
    EXPECT_EQ("", wwn);
    EXPECT_EQ(0, lunId);
}

TEST(DevArrayInfo, VmwareFormatErrorsAndLunId) {
    FakeVolume v;
    std::string vendor, product, arrayId, wwn, uuid;
    int lunId = 0;
    EXPECT_FALSE(getDevArrayInfo("{idatype:vmware,lunuuid:0123456789,vendor:HUAWEI}", vendor, product,
                                 arrayId, wwn, uuid, lunId, &v, nullptr));
    EXPECT_TRUE(v.logged("Error.Incorrect format of VMWARE LUN-WWN string :0123456789", 2));
    std::string uuid30 = "0123456789" + std::string(20, 'A');
    EXPECT_FALSE(getDevArrayInfo(("{idatype:vmware,lunuuid:" + uuid30 + ",vendor:HUAWEI}").c_str(), vendor,
                                 product, arrayId, wwn, uuid, lunId, &v, nullptr));
    EXPECT_TRUE(v.logged("Error.Incorrect format of LUN-ID LUN-WWN string :" + uuid30, 2));
    FakeOsUtil os;
    std::string full = "0123456789" + std::string("600000000000000000000000") + "0000001A" + "58534731";
    ScopedSettings s("[~Dravel]\nHuaweiLunMap1= 6000000000000000000000000000001A|  ARR1 \n");
    ASSERT_TRUE(getDevArrayInfo(("{idatype:vmware,lunuuid:" + full + ",vendor:HUAWEIXX}").c_str(), vendor,
                                product, arrayId, wwn, uuid, lunId, &v, &os));
    EXPECT_EQ(26, lunId);
    EXPECT_EQ("XSG1", product);
    EXPECT_EQ("HUAWEI", vendor);
    EXPECT_EQ("ARR1", arrayId);
    EXPECT_EQ(1, tavso_isSupported(("{idatype:vmware,lunuuid:" + full + "}").c_str(),
                                   TAVSO::SNAP_TYPE_DEFAULT, &os, nullptr, 0));
}

TEST(ArrayIdFromReg, ScanStopsAtTheFirstUnsetNumber) {
    ScopedSettings s("[~Dravel]\nHuaweiLunMap1=AAAA|X\nHuaweiLunMap3=BBBB|Y\n");
    std::string wwn = "BBBB", arrayId;
    EXPECT_FALSE(CheckAndGetArrayIDFromReg(wwn, arrayId));
}

TEST(ArrayIdFromVmware, DecodesTheSerialNumberPage) {
    FakeVolume v;
    FakeOsUtil os;
    v.valueString[TAVSO::GET_VALUE_VOL_SOURCE_PATH] = "esx1";
    v.valueInt[TAVSO::GET_VALUE_VOL_KORVL_ID] = 5;
    v.valueInt[TAVSO::GET_VALUE_SUBCLINET_ID] = 9;
    os.vmwarePages["SERIALNUM"] = {0, "3231303233353132333441424344454630303031"};
    std::string arrayId;
    ASSERT_TRUE(GetArrayIDfromVMWare(&v, "uuid", &os, arrayId));
    EXPECT_EQ("2102351234ABCDEF0001", arrayId);
    auto calls = os.vmwarePageCalls();
    ASSERT_EQ(4u, calls.size());
    EXPECT_EQ("GENERIC_VPD", calls[0].pageKind);
    EXPECT_EQ(3072, calls[0].length);
    EXPECT_EQ(9, calls[3].appId);
    os.vmwarePages["SERIALNUM"].status = 4;
    EXPECT_FALSE(GetArrayIDfromVMWare(&v, "uuid", &os, arrayId));
    EXPECT_TRUE(v.logged("[ERROR] Couldn't get array-ID from VMWare-Server(4).", 2));
}

TEST(ProductCheck, ARunOfListEntriesIsNoProduct) {
    EXPECT_TRUE(isSupportedProduct("  S5500T  "));
    EXPECT_FALSE(isSupportedProduct("S5500T<*>S2600T"));
    EXPECT_FALSE(isSupportedProduct(""));
}
