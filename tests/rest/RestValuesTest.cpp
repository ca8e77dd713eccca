#include <gtest/gtest.h>

#include "rest/HuaweiApiStatus.h"
#include "rest/HuaweiApiValues.h"
#include "rest/HuaweiRestRecords.h"

using namespace HuaweiApi;

TEST(ResultStatus, DefaultIsSuccessAndFailureCarriesCodeAndText) {
    ResultStatus ok;
    EXPECT_FALSE(ok.IsError());
    EXPECT_FALSE(!ok);
    EXPECT_EQ(ok.AsString(), "0:");

    ResultStatus failed(1077937880, "The snapshot does not exist.");
    EXPECT_TRUE(failed.IsError());
    EXPECT_TRUE(!failed);
    EXPECT_EQ(failed.GetErrorString(), "The snapshot does not exist.");
    EXPECT_EQ(failed.AsString(), "1077937880:The snapshot does not exist.");
}

TEST(CopySpeedValue, OnlyOneToFourAreSpeeds) {
    struct Case {
        int speed;
        std::string text;
        int integer;
    } cases[] = {{0, "", 0}, {1, "1", 1}, {4, "4", 4}, {5, "", 0}, {-1, "", 0}};
    for (const auto& c : cases) {
        CopySpeedValue v(c.speed);
        EXPECT_EQ(v.getValue(), c.text) << c.speed;
        EXPECT_EQ(v.getIntValue(), c.integer) << c.speed;
        EXPECT_EQ(v.isEmpty(), c.text.empty()) << c.speed;
    }
    CopySpeedValue high(3);
    Values& base = high;
    base.clear();  // through the base, as a record's clear does
    EXPECT_TRUE(high.isEmpty());
    EXPECT_EQ(high.getIntValue(), 0);
}

TEST(HuaweiApiValue, ConstantsHoldTheArrayCodes) {
    using namespace HuaweiApiValue;
    EXPECT_EQ(ALLOC_TYPE_DEFAULT, ALLOC_TYPE_THICK);
    EXPECT_EQ(ALLOC_TYPE_THIN.getValue(), "1");
    EXPECT_EQ(CLONE_SEC_LUN_RUNNING_STATUS_SYNC.getValue(), "23");
    EXPECT_EQ(CLONE_SEC_LUN_RUNNING_STATUS_REVERSE_SYNC, RUNNING_STATUS_REVERSE_SYNC);
    EXPECT_NE(RUNNING_STATUS_ONLINE, RUNNING_STATUS_NORM);
    EXPECT_EQ(COPY_SPEED_HIGHEST.getIntValue(), 4);
    EXPECT_EQ(RESUME_POLICY_MANUAL.getValue(), "2");
    EXPECT_EQ(OBJECT_TYPE_MAPPINGVIEW.getValue(), "245");
    EXPECT_EQ(OBJECT_TYPE_LUN_GROUP.getValue(), "256");
}

TEST(RestRecords, ClearKeepsWhatItShould) {
    _HuaweiSnapshotInfo fs;
    fs.id = "1@snap";
    fs.snapDiffState = "0";
    fs.notFound = true;
    fs.clear();
    EXPECT_EQ(fs.id, "");
    EXPECT_EQ(fs.snapDiffState, "8");
    EXPECT_FALSE(fs.notFound);

    _HuaweiLUNInfo lun;
    lun.id = "5";
    lun.cloneIds = {"3"};
    lun.vstoreName = "vs1";
    lun.owningController = "0A";
    lun.clear();
    EXPECT_TRUE(lun.id.empty());
    EXPECT_TRUE(lun.cloneIds.empty());
    EXPECT_EQ(lun.vstoreName, "vs1");
    EXPECT_EQ(lun.owningController, "0A");

    _HuaweiCloneSecondaryLUN sec;
    sec.lunId = "9";
    sec.copySpeed = CopySpeedValue(2);
    sec.syncProgress = 40;
    sec.clear();
    EXPECT_EQ(sec.lunId, "9");
    EXPECT_TRUE(sec.copySpeed.isEmpty());
    EXPECT_EQ(sec.syncProgress, 0);
}
