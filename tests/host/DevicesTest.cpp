#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/InquiryImageFile.h"
#include "host/LinuxHost.h"
#include "host/SimulatedHost.h"
#include "host/SimulatorControl.h"
#include "sim/ControlServer.h"

using namespace tavso::host;
namespace fs = std::filesystem;

namespace {

struct TempTree {
    fs::path root;
    TempTree() {
        root = fs::path(::testing::TempDir()) /
               ("tavso-host-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~TempTree() { fs::remove_all(root); }
    void write(const std::string& rel, const std::string& text) {
        fs::create_directories((root / rel).parent_path());
        std::ofstream(root / rel) << text;
    }
    std::string read(const std::string& rel) {
        std::ifstream in(root / rel);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

std::string listText(HostOsUtil& os, const char* vendor) {
    char buf[4096];
    EXPECT_EQ(0, os.listDevices(nullptr, vendor, '*', sizeof buf, buf));
    return buf;
}

}  // namespace

TEST(LinuxHost, ReadsAndRescansAFakeSysfs) {
    TempTree t;
    t.write("sys/block/sda/device/vendor", "ATA     \n");
    t.write("sys/block/sdb/device/vendor", "HUAWEI  \n");
    t.write("sys/block/sdc/device/vendor", "HUAWEI  \n");
    fs::create_directories(t.root / "sys/block/loop0");
    t.write("sys/class/fc_host/host3/port_name", "0x21000024ff5a6b7c\n");
    t.write("sys/class/scsi_host/host0/scan", "");
    t.write("sys/class/scsi_host/host3/scan", "");
    t.write("etc/initiatorname.iscsi", "## generated\nInitiatorName=iqn.1993-08.org.debian:01:abc\n");
    HostConfig c;
    c.mountHost.kind = MountHostConfig::Kind::Linux;
    c.mountHost.sysRoot = (t.root / "sys").string();
    c.mountHost.iscsiNameFile = (t.root / "etc/initiatorname.iscsi").string();
    LinuxHost os(c, 1);

    EXPECT_EQ("/dev/sdb*/dev/sdc", listText(os, "HUA"));
    EXPECT_EQ("/dev/sda*/dev/sdb*/dev/sdc", listText(os, ""));
    char small[4];
    EXPECT_EQ(18, os.listDevices(nullptr, "HUA", '*', sizeof small, small)) << "size needed, NUL included";

    auto inits = os.initiators();
    ASSERT_EQ(2u, inits.size());
    EXPECT_EQ("21000024ff5a6b7c", inits[0].name);
    EXPECT_FALSE(inits[0].iscsi);
    EXPECT_EQ("iqn.1993-08.org.debian:01:abc", inits[1].name);
    EXPECT_TRUE(inits[1].iscsi);

    const char* remove[] = {"/dev/sdc", "/dev/../etc/passwd", "/dev/sdb/../../x", nullptr};
    os.rescanBus(nullptr, nullptr, remove);
    EXPECT_EQ("- - -", t.read("sys/class/scsi_host/host0/scan"));
    EXPECT_EQ("- - -", t.read("sys/class/scsi_host/host3/scan"));
    EXPECT_EQ("1", t.read("sys/block/sdc/device/delete"));
    EXPECT_FALSE(fs::exists(t.root / "sys/block/sdb/device/delete"));
}

namespace {

// LUNs 1 and 2 in a LUN group the mapping view presents to the host's FC port; LUN 3 unmapped.
void present(tavso::sim::ArrayModel& m, const std::string& initiator) {
    for (int i = 0; i < 3; ++i) {
        m.addLun({"lun" + std::to_string(i), 0, 1024, true, "0A", ""});
    }
    m.createHost("backup01", "Linux");
    m.createInitiator(false, initiator);
    m.addInitiatorToHost(1, false, initiator);
    m.createHostGroup("hg");
    m.addHostToHostGroup(1, 1);
    m.createLunGroup("lg");
    m.addToLunGroup(1, 1);
    m.addToLunGroup(1, 2);
    m.createMappingView("mv");
    m.addHostGroupToView(1, 1);
    m.addLunGroupToView(1, 1);
}

}  // namespace

// The arrays embedded in the host's process, or in arraysim's, asked over its control endpoint.
enum class Arrays { Embedded, OverControlEndpoint };

class SimulatedHostTest : public ::testing::TestWithParam<Arrays> {
  protected:
    std::unique_ptr<SimulatedHost> makeHost(const HostConfig& c, tavso::sim::ArrayModel& model) {
        if (GetParam() == Arrays::Embedded) {
            return std::make_unique<SimulatedHost>(c, 1, std::vector<tavso::sim::ArrayModel*>{&model});
        }
        if (!control) {
            control = std::make_unique<tavso::sim::ControlServer>(
                std::vector<tavso::sim::ControlArray>{{"a1", &model}});
            std::string why;
            EXPECT_TRUE(control->start(why)) << why;
        }
        const SimulatorControl client("127.0.0.1", control->port());
        return std::make_unique<SimulatedHost>(c, 1, [client](const std::vector<std::string>& initiators) {
            return client.presented(initiators);
        });
    }
    std::unique_ptr<tavso::sim::ControlServer> control;
};

INSTANTIATE_TEST_SUITE_P(Arrays, SimulatedHostTest,
                         ::testing::Values(Arrays::Embedded, Arrays::OverControlEndpoint));

TEST_P(SimulatedHostTest, DevicesFollowThePresentationChain) {
    TempTree t;
    tavso::sim::ArrayModel model;
    present(model, "21:00:00:24:FF:5A:6B:7C");
    const std::string serial = model.system().serial;
    HostConfig c;
    c.mountHost.deviceDir = (t.root / "dev").string();
    c.mountHost.initiators = {{"21000024ff5a6b7c", false}};
    auto host = makeHost(c, model);
    SimulatedHost& os = *host;
    t.write("dev/unrelated", "not a device");
    t.write("outside", "keep me");

    os.rescanBus(nullptr, nullptr, nullptr);
    const std::string lun1 = os.devicePath(serial, 1), lun2 = os.devicePath(serial, 2);
    EXPECT_EQ(lun1 + "*" + lun2, listText(os, "HUA"));
    auto pages = readInquiryImage(lun2);
    ASSERT_TRUE(pages);
    EXPECT_EQ("HUAWEI", inquiryVendor(*pages));
    EXPECT_EQ(serial, std::string(pages->vpd80.begin() + 4, pages->vpd80.begin() + 24));
    EXPECT_EQ(2, pages->vpd83[23]) << "the WWN's last bytes carry the LUN id";

    // A snapshot added to the LUN group appears; a LUN taken out is gone after the rescan.
    auto made = model.createSnapshots({1}, "snap1");
    ASSERT_EQ(1u, made.size());
    const uint32_t snapId = std::stoul(made[0].result.id);
    ASSERT_TRUE(model.activateSnapshots({snapId}).ok());
    ASSERT_TRUE(model.addToLunGroup(1, snapId).ok());
    model.removeFromLunGroup(1, 2);
    const std::string outside = (t.root / "outside").string();
    const char* remove[] = {outside.c_str(), nullptr};
    os.rescanBus(nullptr, nullptr, remove);
    EXPECT_EQ(lun1 + "*" + os.devicePath(serial, snapId), listText(os, "HUA"));
    EXPECT_TRUE(fs::exists(outside)) << "nothing outside the device folder is removed";
    EXPECT_TRUE(fs::exists(t.root / "dev/unrelated"));

    // Another host's initiator sees nothing.
    HostConfig other = c;
    other.mountHost.deviceDir = (t.root / "dev2").string();
    other.mountHost.initiators = {{"iqn.other", true}};
    auto stranger = makeHost(other, model);
    stranger->rescanBus(nullptr, nullptr, nullptr);
    char buf[16];
    EXPECT_EQ(0, stranger->listDevices(nullptr, "HUA", '*', sizeof buf, buf));
    EXPECT_STREQ("", buf);
}

// With arraysim gone the host cannot tell what is presented: its devices stay as they were rather
// than vanish, and the step that wants them hears why.
TEST(SimulatedHost, ControlEndpointFaultsLeaveTheDevicesAlone) {
    TempTree t;
    tavso::sim::ArrayModel model;
    present(model, "21000024ff5a6b7c");
    auto control =
        std::make_unique<tavso::sim::ControlServer>(std::vector<tavso::sim::ControlArray>{{"a1", &model}});
    std::string why;
    ASSERT_TRUE(control->start(why)) << why;
    HostConfig c;
    c.mountHost.deviceDir = (t.root / "dev").string();
    c.mountHost.initiators = {{"21000024ff5a6b7c", false}};
    const SimulatorControl client("127.0.0.1", control->port());
    SimulatedHost os(c, 1, [client](const std::vector<std::string>& i) { return client.presented(i); });
    os.sync();
    const std::string serial = model.system().serial;
    const std::string before = listText(os, "HUA");
    EXPECT_EQ(os.devicePath(serial, 1) + "*" + os.devicePath(serial, 2), before);

    try {
        client.presented({""});
        ADD_FAILURE() << "an empty initiator is refused";
    } catch (const PresentationError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("answered 400: an initiator is empty"))
            << e.what();
    }

    control.reset();
    model.removeFromLunGroup(1, 2);
    os.rescanBus(nullptr, nullptr, nullptr);
    EXPECT_EQ(before, listText(os, "HUA"));
    try {
        os.sync();
        ADD_FAILURE() << "sync must fail without the endpoint";
    } catch (const PresentationError& e) {
        EXPECT_NE(std::string::npos,
                  std::string(e.what()).find("cannot reach the simulator's control endpoint"))
            << e.what();
    }
}

// An answer that would write a file outside the device folder, or half a device, is refused whole.
TEST(SimulatedHost, MalformedPresentationIsRefused) {
    const char* bad[] = {
        R"({"arrays": [{"serial": "../../etc", "presented": []}]})",
        R"({"arrays": [{"serial": "", "presented": []}]})",
        R"({"arrays": [{"serial": "S1", "presented": [{"id": 1, "inquiry": {"std": "4G"}}]}]})",
        R"({"arrays": [{"serial": "S1", "presented": [{"id": -1, "inquiry": {}}]}]})",
        R"({"arrays": [{"serial": "S1"}]})",
        R"({"luns": []})",
    };
    for (const char* text : bad) {
        EXPECT_THROW(parsePresented(nlohmann::json::parse(text)), PresentationError) << text;
    }
    const auto ok = parsePresented(nlohmann::json::parse(
        R"({"arrays": [{"serial": "S1", "presented": [{"id": 7, "inquiry": {"std": "00ff", "83": "A0"}}]}]})"));
    ASSERT_EQ(1u, ok.size());
    EXPECT_EQ(7u, ok[0].devices[0].id);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xff}), ok[0].devices[0].pages.standard);
    EXPECT_TRUE(ok[0].devices[0].pages.vpd80.empty());
}
