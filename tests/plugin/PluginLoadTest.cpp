// The built plug-in as a host sees it: loaded with dlopen, driven through its exports only.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "platform/TavsoHost.h"
#include "tests/support/FakeHost.h"
#include "tests/support/InquiryImage.h"

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
    template <class F>
    F get(const char* name) {
        return reinterpret_cast<F>(dlsym(handle, name));
    }
};

std::set<std::string> definedDynamicFunctions(const std::string& path) {
    std::set<std::string> names;
    std::string cmd = "nm -D --defined-only '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    std::array<char, 512> line{};
    while (pipe && fgets(line.data(), line.size(), pipe.get())) {
        char address[64], type[8], name[400];
        if (std::sscanf(line.data(), "%63s %7s %399s", address, type, name) == 3 &&
            (type[0] == 'T' || type[0] == 'W')) {
            names.insert(name);
        }
    }
    return names;
}

}  // namespace

TEST(Plugin, ExportsExactlyTheThirteenEntryPoints) {
    std::set<std::string> expected{"tavso_version",          "tavso_isSupported",    "tavso_prepareDevices",
                                   "tavso_unprepareDevices", "tavso_snapDevices",    "tavso_isMapped",
                                   "tavso_mapSnaps",         "tavso_unmapSnaps",     "tavso_deleteSnaps",
                                   "tavso_revertSnaps",      "tavso_reconcileSnaps", "tavso_identifyDevices",
                                   "tavso_getArrayInfo"};
    EXPECT_EQ(expected, definedDynamicFunctions(pluginPath()));
    Library lib;
    ASSERT_NE(nullptr, lib.handle) << dlerror();
    for (const auto& name : expected) {
        EXPECT_NE(nullptr, dlsym(lib.handle, name.c_str())) << name;
    }
    EXPECT_EQ(nullptr, dlsym(lib.handle, "Log"));
}

TEST(Plugin, DrivenThroughItsExports) {
    Library lib;
    ASSERT_NE(nullptr, lib.handle) << dlerror();
    auto version = lib.get<void (*)(short*, short*, short*)>("tavso_version");
    auto unprepare = lib.get<int (*)(TAVSO::SnapInfo**, short, TAVSO::TAVOSUtil*)>("tavso_unprepareDevices");
    auto supported =
        lib.get<int (*)(const char*, TAVSO::SNAP_TYPE, TAVSO::TAVOSUtil*, char*, short)>("tavso_isSupported");
    ASSERT_TRUE(version && unprepare && supported);

    short a = 0, b = 7, c = 7;
    version(&a, &b, &c);
    EXPECT_EQ(1, a);
    EXPECT_EQ(0, b + c);

    FakeVolume v1, v2;
    auto volumes = volumeArray({&v1, &v2});
    EXPECT_EQ(0, unprepare(volumes.data(), 2, nullptr));
    EXPECT_EQ(3, v1.status());
    EXPECT_EQ(3, v2.status());
    EXPECT_TRUE(v1.logged("|-------------------- Started tavso_unprepareDevices(2) --------------------|"));

    TempDir dir;
    InquiryImage other;
    other.standard = standardInquiry("SEAGATE", "ST1000");
    other.vpd80 = page80("Z1D2X3C4V5B6N7M8L9K0", "0000");
    struct Case {
        std::string device;
        int result;
    } cases[] = {
        {dir.device("huawei", huaweiLun("XSG1", "2102351234ABCD000001", "6AB3C5D7E9F10203040506070000002A")),
         0},
        {dir.device("other", other), 2},
        {dir.file("missing"), 1}};
    for (const auto& k : cases) {
        EXPECT_EQ(k.result, supported(k.device.c_str(), TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0))
            << k.device;
    }
}
