#include <gtest/gtest.h>

#include "platform/TavDeviceTree.h"
#include "tests/support/InquiryImage.h"

using namespace tavso::test;

namespace {
const unsigned char kStd[6] = {0x12, 0, 0, 0, 0xFF, 0};
const unsigned char k80[6] = {0x12, 1, 0x80, 0, 0xFF, 0};
const unsigned char k83[6] = {0x12, 1, 0x83, 0, 0xFF, 0};
}  // namespace

TEST(DeviceTree, InquiryImageAnswersItsPagesAndRejectsMissingOnes) {
    TempDir dir;
    InquiryImage image = huaweiLun("XSG1", "2102351234ABCDEF0001", "6000000000000000000000000000001A");
    image.vpd83.reset();
    std::string path = dir.device("lun1", image);
    CUboError error;
    auto device = TavDeviceTree::getDevice(path.c_str(), &error);
    ASSERT_TRUE(device) << error.AsString();
    EXPECT_EQ(path, device->getName());
    TavDeviceScsiIface* scsi = device->getInterface("TavDeviceScsiIface");
    ASSERT_NE(nullptr, scsi);
    unsigned char buf[255] = {};
    ASSERT_EQ(96, scsi->sendScsiCommand(kStd, 6, buf, 255, 0, 1, 0, 0, 10, &error));
    EXPECT_EQ("HUAWEI  ", std::string(reinterpret_cast<char*>(buf) + 8, 8));
    ASSERT_EQ(28, scsi->sendScsiCommand(k80, 6, buf, 255, 0, 1, 0, 0, 10, &error));
    EXPECT_EQ("2102351234ABCDEF0001", std::string(reinterpret_cast<char*>(buf) + 4, 20));
    EXPECT_EQ(10, scsi->sendScsiCommand(kStd, 6, buf, 10, 0, 1, 0, 0, 10, &error));  // cut to the buffer
    EXPECT_EQ(-1, scsi->sendScsiCommand(k83, 6, buf, 255, 0, 1, 0, 0, 10, &error));
    EXPECT_TRUE(error.IsError());
}

TEST(DeviceTree, MissingPathFailsAndOtherFilesAreNotScsi) {
    TempDir dir;
    CUboError error;
    EXPECT_FALSE(TavDeviceTree::getDevice(dir.file("none").c_str(), &error));
    EXPECT_TRUE(error.IsError());
    std::string plain = dir.write("plain", "just text\n");
    auto device = TavDeviceTree::getDevice(plain.c_str(), &error);
    ASSERT_TRUE(device);
    EXPECT_EQ(nullptr, device->getInterface("TavDeviceScsiIface"));
}
