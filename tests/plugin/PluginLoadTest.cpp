// Loads the built plug-in as a host does and drives it through the host interfaces alone.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "platform/TavsoHost.h"
#include "tests/support/FakeHost.h"
#include "tests/support/InquiryImage.h"
#include "tests/support/SnapJobBed.h"

using namespace tavso::test;

namespace {

const char* pluginPath() {
    const char* p = std::getenv("TAVSO_PLUGIN_PATH");
    return p ? p : "libtavso_huawei.so";
}

struct Library {
    void* handle = dlopen(pluginPath(), RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle) {
            dlclose(handle);
        }
    }
    template <typename F>
    F get(const char* name) {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
};

std::set<std::string> definedDynamicFunctions() {
    std::string command = std::string("nm -D --defined-only '") + pluginPath() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::set<std::string> out;
    if (!pipe) {
        return out;
    }
    std::array<char, 512> line{};
    while (fgets(line.data(), line.size(), pipe.get())) {
        std::istringstream in(line.data());
        std::string address, kind, name;
        if (in >> address >> kind >> name && (kind == "T" || kind == "W" || kind == "i")) {
            out.insert(name);
        }
    }
    return out;
}

}  // namespace

TEST(Plugin, ExportsExactlyTheThirteenFunctions) {
    std::set<std::string> expected = {
        "tavso_version",     "tavso_isSupported", "tavso_prepareDevices", "tavso_unprepareDevices",
        "tavso_snapDevices", "tavso_isMapped",    "tavso_mapSnaps",       "tavso_unmapSnaps",
        "tavso_deleteSnaps", "tavso_revertSnaps", "tavso_reconcileSnaps", "tavso_identifyDevices",
        "tavso_getArrayInfo"};
    EXPECT_EQ(expected, definedDynamicFunctions());
}

TEST(Plugin, DrivesVersionUnprepareAndIsSupported) {
    Library lib;
    ASSERT_NE(nullptr, lib.handle) << dlerror();
    auto version = lib.get<void (*)(short*, short*, short*)>("tavso_version");
    auto unprepare = lib.get<int (*)(TAVSO::SnapInfo**, short, TAVSO::TAVOSUtil*)>("tavso_unprepareDevices");
    auto isSupported =
        lib.get<int (*)(const char*, TAVSO::SNAP_TYPE, TAVSO::TAVOSUtil*, char*, short)>("tavso_isSupported");
    ASSERT_TRUE(version && unprepare && isSupported);

    short major = 0, minor = 9, build = 9;
    version(&major, &minor, &build);
    EXPECT_EQ(1, major);
    EXPECT_EQ(0, minor);
    EXPECT_EQ(0, build);

    FakeVolume v1, v2;
    FakeOsUtil os;
    auto volumes = volumeArray({&v1, &v2});
    EXPECT_EQ(0, unprepare(volumes.data(), 2, &os));
    EXPECT_EQ(3, v1.status());
    EXPECT_EQ(3, v2.status());
    EXPECT_TRUE(v1.logged("|-------------------- Completed tavso_unprepareDevices --------------------|", 0));

    EXPECT_EQ(1, isSupported(nullptr, TAVSO::SNAP_TYPE_DEFAULT, &os, nullptr, 0));
    EXPECT_EQ(1, isSupported("/nonexistent/device", TAVSO::SNAP_TYPE_DEFAULT, &os, nullptr, 0));
}

TEST(Plugin, IsSupportedOnInquiryImages) {
    Library lib;
    ASSERT_NE(nullptr, lib.handle) << dlerror();
    auto isSupported =
        lib.get<int (*)(const char*, TAVSO::SNAP_TYPE, TAVSO::TAVOSUtil*, char*, short)>("tavso_isSupported");
    ASSERT_TRUE(isSupported);
    TempDir dir;
    FakeOsUtil os;
    std::string huawei = dir.device("sda", huaweiLun("S5500T", "2102351234ABCDEF0001", std::string(32, 'A')));
    std::string other =
        dir.device("sdb", {standardInquiry("ACME", "DISK"), page80("X", "0001"), std::nullopt});
    EXPECT_EQ(0, isSupported(huawei.c_str(), TAVSO::SNAP_TYPE_DEFAULT, &os, nullptr, 0));
    EXPECT_EQ(2, isSupported(other.c_str(), TAVSO::SNAP_TYPE_DEFAULT, &os, nullptr, 0));
    EXPECT_EQ(1, isSupported(dir.file("missing").c_str(), TAVSO::SNAP_TYPE_DEFAULT, &os, nullptr, 0));
}

// A one-LUN job as a host runs it: the built library, its own settings store read from the file
// the environment names, and a simulated array.
TEST(Plugin, RunsAOneLunSnapshotJob) {
    SnapJobBed bed;
    BedArray& array = bed.addArray("2102351234ABCD000001", "V300R006C00");
    FakeVolume& v = bed.addVolume(array, "lun_a");
    TempDir dir;
    const std::string settings = dir.write("settings.conf", bed.settingsText());
    const char* before = std::getenv("TAVSO_SETTINGS_FILE");
    const std::string saved = before ? before : "";
    setenv("TAVSO_SETTINGS_FILE", settings.c_str(), 1);

    Library lib;
    ASSERT_NE(nullptr, lib.handle) << dlerror();
    using Batch = int (*)(TAVSO::SnapInfo**, short, TAVSO::TAVOSUtil*);
    auto prepare = lib.get<Batch>("tavso_prepareDevices");
    auto snap = lib.get<Batch>("tavso_snapDevices");
    ASSERT_TRUE(prepare && snap);
    auto volumes = bed.batch();
    EXPECT_EQ(0, prepare(volumes.data(), 1, &bed.os));
    EXPECT_EQ(0, snap(volumes.data(), 1, &bed.os));
    setenv("TAVSO_SETTINGS_FILE", saved.c_str(), 1);

    EXPECT_EQ((std::vector<int>{0, 1, 5}), v.statuses());
    const auto snapshots = array.model().copy().snapshots;
    ASSERT_EQ(1u, snapshots.size());
    const auto& [id, s] = *snapshots.begin();
    EXPECT_EQ("Activated", s.running);
    EXPECT_EQ("3*2102351234ABCD000001*" + std::to_string(bed.luns[0]) + "*" + std::to_string(id) +
                  "*39*1*lun_a*job_snap*0***",
              v.metadata(1));
}
