#include <gtest/gtest.h>

#include "platform/TavClock.h"
#include "platform/TavPlatformInfo.h"
#include "platform/UboUtils.h"

TEST(Settings, ReadsKeysOfTheDravelSectionOnly) {
    ScopedSettings s(
        "# comment\n[~Dravel]\n HW_CLI_PORT = 2222 \nNAME= pool 1 "
        "\nBAD=12x\n[~Dravel/sub]\nHW_CLI_PORT=1\n[other]\nX=1\n");
    int v = 7;
    EXPECT_EQ(1, TAVPlatformInfo::getRegInt("~Dravel", "HW_CLI_PORT", &v));
    EXPECT_EQ(2222, v);
    EXPECT_EQ(0, TAVPlatformInfo::getRegInt("~Dravel", "BAD", &v));
    EXPECT_EQ(2222, v);
    EXPECT_EQ(0, TAVPlatformInfo::getRegInt("~Dravel", "X", &v));
    EXPECT_EQ(1, TAVPlatformInfo::getRegInt(TAVPlatformInfo::getSectionName("Dravel", "sub").c_str(),
                                            "HW_CLI_PORT", &v));
    EXPECT_EQ(1, v);
    std::string text;
    EXPECT_NE(
        0, TAVPlatformInfo::getString(TAVPlatformInfo::getSectionName("Dravel", "").c_str(), "NAME", &text));
    EXPECT_EQ("pool 1", text);
}

TEST(Settings, MissingFileMeansEveryKeyAbsent) {
    int v = 5;
    EXPECT_EQ(0, TAVPlatformInfo::getRegInt("~Dravel", "HW_CLI_PORT", &v));
    EXPECT_EQ(5, v);
}

TEST(Clock, FakeClockAdvancesOnSleepWithoutWaiting) {
    tavso::FakeClock fake(500);
    tavso::ScopedClock guard(fake);
    UboSleepMs(15000);
    EXPECT_EQ(15500u, tavso::clock().nowMs());
    EXPECT_EQ(1u, fake.sleepCount());
}
