#include <gtest/gtest.h>

#include <string>

#include "api/HuaweiLog.h"
#include "api/TAVSOHuaweiAPI.h"
#include "tests/support/DebugLogCapture.h"
#include "tests/support/FakeHost.h"

using namespace tavso::test;

TEST(Version, StoresOneZeroZeroOnlyWhenEveryPointerIsSet) {
    short a = 9, b = 9, c = 9;
    tavso_version(&a, &b, nullptr);
    EXPECT_EQ(9, a);
    EXPECT_EQ(9, b);
    tavso_version(&a, &b, &c);
    EXPECT_EQ(1, a);
    EXPECT_EQ(0, b);
    EXPECT_EQ(0, c);
}

TEST(Unprepare, EmptyCallFailsAndSaysSoInTheModuleLog) {
    DebugLogCapture capture;
    EXPECT_EQ(1, tavso_unprepareDevices(nullptr, 0, nullptr));
    ASSERT_EQ(1u, capture.lines().size());
    EXPECT_EQ("TAVHuaweiAPI::tavso_unprepareDevices", capture.lines()[0].tag);
    EXPECT_TRUE(capture.logged("found 0 devices", -1));
}

TEST(Unprepare, SetsEveryVolumeUnpreparedBetweenBanners) {
    FakeVolume v1, v2, v3;
    auto volumes = volumeArray({&v1, &v2, &v3});
    FakeOsUtil os;
    EXPECT_EQ(0, tavso_unprepareDevices(volumes.data(), 3, &os));
    for (FakeVolume* v : {&v1, &v2, &v3}) {
        EXPECT_EQ(std::vector<int>{3}, v->statuses());
    }
    EXPECT_EQ((std::vector<std::string>{
                  "|-------------------- Started tavso_unprepareDevices(3) --------------------|",
                  "|-------------------- Completed tavso_unprepareDevices --------------------|"}),
              v1.messages());
    EXPECT_TRUE(v2.logs().empty());
}

TEST(GetArrayInfo, AnswersZeroForAnyArguments) {
    int x = 0;
    EXPECT_EQ(0, tavso_getArrayInfo(nullptr, nullptr));
    EXPECT_EQ(0, tavso_getArrayInfo(&x, &x));
}

TEST(NotYetBuilt, OperationsFailAndSayWhy) {
    FakeVolume v;
    auto volumes = volumeArray({&v});
    FakeOsUtil os;
    using Batch = int (*)(TAVSO::SnapInfo**, short, TAVSO::TAVOSUtil*);
    for (Batch op : {tavso_isMapped, tavso_mapSnaps, tavso_unmapSnaps, tavso_deleteSnaps, tavso_revertSnaps,
                     tavso_reconcileSnaps}) {
        EXPECT_EQ(1, op(volumes.data(), 1, &os));
    }
    EXPECT_EQ(1, tavso_identifyDevices(volumes.data(), 1, nullptr, 0, nullptr, &os));
    EXPECT_EQ(7u, v.logs().size());
    EXPECT_TRUE(v.loggedContaining("Huawei-tavso_mapSnaps: operation not available yet"));
    EXPECT_TRUE(v.statuses().empty());
}

TEST(IsSupported, NullDeviceIsNotIdentified) {
    DebugLogCapture capture;
    EXPECT_EQ(1, tavso_isSupported(nullptr, TAVSO::SNAP_TYPE_DEFAULT, nullptr, nullptr, 0));
    EXPECT_TRUE(capture.logged("Function called with NULL character device name"));
}

struct LevelCase {
    int hostLevel;
    int moduleLevel;
};

class LogLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LogLevels, WithoutVolumeGoToTheModuleLogAtTheMappedLevel) {
    DebugLogCapture capture;
    Log("T", nullptr, static_cast<TAVSO::LogLevel>(GetParam().hostLevel), "x%d", 1);
    ASSERT_EQ(1u, capture.lines().size());
    EXPECT_EQ("[Huawei-Log]:x1", capture.lines()[0].text);
    EXPECT_EQ(GetParam().moduleLevel, capture.lines()[0].level);
}

INSTANTIATE_TEST_SUITE_P(Mapping, LogLevels,
                         ::testing::Values(LevelCase{0, 3}, LevelCase{1, 0}, LevelCase{2, -1},
                                           LevelCase{3, -1}, LevelCase{7, 1}));

TEST(Log, WithVolumeGoesToTheHostOnlyAndIsCutAt2047) {
    DebugLogCapture capture;
    FakeVolume v;
    std::string longText(3000, 'a');
    Log("Tag", &v, TAVSO::LOG_INFO, "%s", longText.c_str());
    ASSERT_EQ(1u, v.logs().size());
    EXPECT_EQ("Tag", v.logs()[0].tag);
    EXPECT_EQ(1, v.logs()[0].level);
    EXPECT_EQ(std::string(2047, 'a'), v.logs()[0].message());
    EXPECT_TRUE(capture.lines().empty());
}

TEST(SetError, LogsThenReportsAndIgnoresNulls) {
    FakeVolume v;
    setError(nullptr, 62005, "x");
    setError(&v, 62005, nullptr);
    EXPECT_TRUE(v.logs().empty());
    EXPECT_TRUE(v.errors().empty());
    setError(&v, 62005, "Failed to get array info");
    EXPECT_TRUE(v.logged("Failed to get array info", 2));
    EXPECT_EQ("", v.logs()[0].tag);
    EXPECT_EQ((std::vector<ErrorReport>{{62005, "Failed to get array info"}}), v.errors());
}
