#include <gtest/gtest.h>

#include "api/HuaweiLog.h"
#include "api/TAVSOHuaweiAPI.h"
#include "tests/support/DebugLogCapture.h"
#include "tests/support/FakeHost.h"

using namespace tavso::test;

TEST(Version, AllThreeOrNothing) {
    short a = 9, b = 9, c = 9;
    tavso_version(&a, nullptr, &c);
    EXPECT_EQ(9, a);
    EXPECT_EQ(9, c);
    tavso_version(&a, &b, &c);
    EXPECT_EQ(1, a);
    EXPECT_EQ(0, b);
    EXPECT_EQ(0, c);
}

TEST(Unprepare, SetsStatusThreeOnEveryVolumeAndTouchesNothingElse) {
    FakeVolume v1, v2, v3;
    auto volumes = volumeArray({&v1, &v2, &v3});
    EXPECT_EQ(0, tavso_unprepareDevices(volumes.data(), 3, nullptr));
    for (FakeVolume* v : {&v1, &v2, &v3}) {
        EXPECT_EQ(3, v->status());
        EXPECT_TRUE(v->metadataWrites().empty());
        EXPECT_TRUE(v->errors().empty());
    }
    EXPECT_TRUE(
        v1.logged("|-------------------- Started tavso_unprepareDevices(3) --------------------|", 0));
    EXPECT_TRUE(v1.logged("|-------------------- Completed tavso_unprepareDevices --------------------|", 0));

    DebugLogCapture module;
    EXPECT_EQ(1, tavso_unprepareDevices(volumes.data(), 0, nullptr));
    auto lines = module.lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("TAVHuaweiAPI::tavso_unprepareDevices", lines[0].tag);
    EXPECT_EQ("found 0 devices", lines[0].message());
    EXPECT_EQ(-1, lines[0].level);
}

TEST(Unavailable, OperationsNotBuiltYetFailTheCall) {
    FakeVolume v;
    auto volumes = volumeArray({&v});
    EXPECT_EQ(1, tavso_mapSnaps(volumes.data(), 1, nullptr));
    EXPECT_TRUE(v.loggedContaining("tavso_mapSnaps is not available yet"));
    EXPECT_EQ(0, tavso_getArrayInfo(nullptr, nullptr));
    int x = 0;
    EXPECT_EQ(0, tavso_getArrayInfo(&x, &x));
}

TEST(LogFunction, ModuleLevelsFollowTheHostLevel) {
    struct Case {
        int hostLevel;
        int moduleLevel;
    } cases[] = {{0, 3}, {1, 0}, {2, -1}, {3, -1}, {7, 1}};
    for (const auto& c : cases) {
        DebugLogCapture module;
        Log("T", nullptr, static_cast<TAVSO::LogLevel>(c.hostLevel), "x%d", c.hostLevel);
        auto lines = module.lines();
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(c.moduleLevel, lines[0].level) << c.hostLevel;
        EXPECT_EQ("[Huawei-Log]:x" + std::to_string(c.hostLevel), lines[0].text);
    }
}

TEST(LogFunction, LongTextsAreCutAfterThePrefix) {
    FakeVolume v;
    std::string big(3000, 'a');
    Log("Huawei-test", &v, TAVSO::LOG_INFO, "%s", big.c_str());
    auto logs = v.logs();
    ASSERT_EQ(1u, logs.size());
    EXPECT_EQ("Huawei-test", logs[0].tag);
    EXPECT_EQ(1, logs[0].level);
    EXPECT_EQ("[Huawei-Log]:" + std::string(2047, 'a'), logs[0].text);
}

TEST(SetError, LogsThenReportsAndIgnoresNulls) {
    FakeVolume v;
    setError(nullptr, 62005, "x");
    setError(&v, 62005, nullptr);
    EXPECT_TRUE(v.logs().empty());
    EXPECT_TRUE(v.errors().empty());
    setError(&v, 62005, "Failed to get array info");
    EXPECT_TRUE(v.logged("Failed to get array info", 2));
    ASSERT_EQ(1u, v.errors().size());
    EXPECT_EQ((ErrorReport{62005, "Failed to get array info"}), v.errors()[0]);
}
