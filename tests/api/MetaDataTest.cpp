#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/HuaweiMetaData.h"
#include "tests/api/ModuleLogCapture.h"

namespace {

std::string Write(_MetaDataParams& r) {
    char buffer[4096];
    EXPECT_TRUE(ConstructMetaData(buffer, sizeof buffer, &r));
    return buffer;
}

}  // namespace

TEST(MetaData, LunSnapshotRoundTrips) {
    const char* text = "3*A1*17*233*39*1*lun_a*snap_a*0***";
    _MetaDataParams r;
    ASSERT_TRUE(GetMetaDataParams(nullptr, text, &r));
    EXPECT_EQ("A1", r.arrayId);
    EXPECT_EQ(17u, r.sourceId);
    EXPECT_EQ(233u, r.snapId);
    EXPECT_EQ("233", r.snapIdText);
    EXPECT_EQ(39, r.engineId);
    EXPECT_FALSE(r.fullClone);
    EXPECT_EQ(0u, r.fsSnapType);
    EXPECT_EQ(3u, r.version);
    EXPECT_EQ("lun_a", r.sourceName);
    EXPECT_EQ("snap_a", r.targetName);
    EXPECT_TRUE(r.sharedIps.empty());
    EXPECT_EQ("", r.quotaName);
    EXPECT_EQ(text, Write(r));
}

TEST(MetaData, WritesTheDocumentedExample) {
    _MetaDataParams r;
    r.arrayId = "2102351234ABCD000001";
    r.sourceId = 17;
    r.sourceName = "lun_a";
    r.snapId = 233;
    r.targetName = "snap_a";
    r.engineId = 39;
    EXPECT_EQ("3*2102351234ABCD000001*17*233*39*1*lun_a*snap_a*0***", Write(r));

    r.fullClone = true;
    r.engineId = -1;  // widened to int, printed unsigned
    r.fsSnapType = HUAWEI_FS_NFS;
    r.snapIdText = "42x7";
    r.sharedIps = {"10.0.0.1", "10.0.0.2"};
    r.quotaName = "q1";
    const std::string text = Write(r);
    EXPECT_EQ("3*2102351234ABCD000001*17*42x7*4294967295*0*lun_a*snap_a*1*10.0.0.1|10.0.0.2*q1*", text);

    _MetaDataParams back;
    ASSERT_TRUE(GetMetaDataParams(nullptr, text.c_str(), &back));
    EXPECT_EQ(42u, back.snapId);
    EXPECT_EQ("42x7", back.snapIdText);
    EXPECT_EQ(-1, back.engineId);
    EXPECT_TRUE(back.fullClone);
    EXPECT_EQ((std::list<std::string>{"10.0.0.1", "10.0.0.2"}), back.sharedIps);
    EXPECT_EQ("q1", back.quotaName);
}

// Texts written by every earlier version of the plug-in.
TEST(MetaData, ReadsEveryStoredVersion) {
    struct Case {
        const char* text;
        unsigned version;
        const char* target;
        bool fullClone;
        unsigned fsSnapType;
        std::list<std::string> ips;
        const char* quota;
    } const cases[] = {
        {"0*A1*17*5*40*1*lun_a*clone_a*", 0, "clone_a", false, 0, {}, ""},
        {"1*A1*17*0*39*0*lun_a**", 1, "", true, 0, {}, ""},
        // An empty incremental flag reads as a full clone.
        {"1*A1*17*0*39**lun_a**", 1, "", true, 0, {}, ""},
        // Extra fields after the version's last one are ignored.
        {"1*A1*17*0*39*1*lun_a*t*2*x*", 1, "t", false, 0, {}, ""},
        {"2*A1*7*fs_snap*39*1*fs1*s1*1*10.0.0.1|10.0.0.2*", 2, "s1", false, 1, {"10.0.0.1", "10.0.0.2"}, ""},
        {"2*A1*7*fs_snap*39*1*fs1*s1*2*10.0.0.1|*", 2, "s1", false, 2, {"10.0.0.1", ""}, ""},
        {"3*A1*7*fs_snap*39*1*fs1*s1*3**quota_1*", 3, "s1", false, 3, {}, "quota_1"},
        {"3*A1*7*fs_snap*39*1*fs1*s1*3*|*quota_1*rest", 3, "s1", false, 3, {"", ""}, "quota_1"},
    };
    for (const auto& c : cases) {
        _MetaDataParams r;
        r.quotaName = "stale";
        r.sharedIps = {"stale"};
        ASSERT_TRUE(GetMetaDataParams(nullptr, c.text, &r)) << c.text;
        EXPECT_EQ(c.version, r.version) << c.text;
        EXPECT_EQ("A1", r.arrayId) << c.text;
        EXPECT_EQ(c.target, r.targetName) << c.text;
        EXPECT_EQ(c.fullClone, r.fullClone) << c.text;
        EXPECT_EQ(c.fsSnapType, r.fsSnapType) << c.text;
        EXPECT_EQ(c.ips, r.sharedIps) << c.text;
        EXPECT_EQ(c.quota, r.quotaName) << c.text;
    }
}

TEST(MetaData, RefusesMalformedTexts) {
    struct Case {
        const char* text;
        const char* logged;
    } const cases[] = {
        {"1*A1*17", "Invalid Meta-Data [ 1*A1*17 ]"},
        {"12345678", "Invalid unique identifier-1 12345678"},
        {"4*A1*17*0*39*0*lun_a*t*0***", "Invalid Version number[expected - 3] [returned 4]"},
        {"-1*A1*17*0*39*0*lun_a*t*0***", "Invalid Version number[expected - 3] [returned 4294967295]"},
        {"1*A1*17*0*39*0*lun_a", "Invalid unique identifier 1*A1*17*0*39*0*lun_a"},
        {"2*A1*17*0*39*0*lun_a**", "Invalid  Version-2 unique identifier[2*A1*17*0*39*0*lun_a**]"},
        {"3*A1*17*0*39*0*lun_a*t*0**", "Invalid  Version-3 unique identifier[3*A1*17*0*39*0*lun_a*t*0**]"},
    };
    for (const auto& c : cases) {
        ModuleLogCapture log;
        _MetaDataParams r;
        EXPECT_FALSE(GetMetaDataParams(nullptr, c.text, &r)) << c.text;
        EXPECT_TRUE(log.has(std::string("GetMetaDataParams|-1|[Huawei-Log]:") + c.logged)) << log.text();
    }
}

TEST(MetaData, ShortTextFailsBeforeTheRecordIsReset) {
    _MetaDataParams r;
    r.arrayId = "kept";
    r.snapId = 9;
    EXPECT_FALSE(GetMetaDataParams(nullptr, "3*A*1*2", &r));
    EXPECT_EQ("kept", r.arrayId);
    EXPECT_EQ(9u, r.snapId);
    EXPECT_FALSE(GetMetaDataParams(nullptr, static_cast<const char*>(nullptr), &r));
}

TEST(MetaData, RefusesToWriteWhatCouldNotBeReadBack) {
    char buffer[64];
    _MetaDataParams r;
    r.arrayId = "A1";
    r.sourceName = "lun*a";
    EXPECT_FALSE(ConstructMetaData(buffer, sizeof buffer, &r));
    EXPECT_EQ('\0', buffer[0]);

    r.sourceName = "lun_a";
    r.sharedIps = {"10.0.0.1|x"};
    EXPECT_FALSE(ConstructMetaData(buffer, sizeof buffer, &r));

    r.sharedIps.clear();
    r.targetName = std::string(100, 't');
    EXPECT_FALSE(ConstructMetaData(buffer, sizeof buffer, &r));
    EXPECT_EQ(std::string(sizeof buffer, '\0'), std::string(buffer, sizeof buffer));
}

TEST(MetaData, SnapIdTextIsCutAt1023Characters) {
    _MetaDataParams r;
    r.fsSnapType = HUAWEI_FS_CIFS;
    r.snapIdText = std::string(2000, '7');
    std::vector<char> buffer(4096);
    ASSERT_TRUE(ConstructMetaData(buffer.data(), buffer.size(), &r));
    _MetaDataParams back;
    ASSERT_TRUE(GetMetaDataParams(nullptr, buffer.data(), &back));
    EXPECT_EQ(std::string(1023, '7'), back.snapIdText);
}

TEST(SmMdtSnapUuid, ReadsOnlyThePathItem) {
    struct Case {
        const char* text;
        bool ok;
        const char* path;
        const char* logged;
    } const cases[] = {
        {"{ArrayName:A1,FileSystem:fs7,Snapshot:s1,Path:/fs7/.snapshot,SnapDiffEnabled:true}", true,
         "/fs7/.snapshot", ""},
        {"{ArrayName:A1,FileSystem:fs7,Path:/fs7}", true, "/fs7", ""},
        {"{ArrayName:A1,SharePath:/x}", false, "kept", "Share Path is not present in the metadata."},
        {"", false, "kept", "Invalid input parameters."},
    };
    for (const auto& c : cases) {
        ModuleLogCapture log;
        _MetaDataParams r;
        r.sharePath = "kept";
        EXPECT_EQ(c.ok, GetSMMDTSnapUUIDParams(nullptr, c.text, r)) << c.text;
        EXPECT_EQ(c.path, r.sharePath);
        if (!c.ok) {
            EXPECT_TRUE(log.has(std::string("GetSMMDTSnapUUIDParams|-1|") + c.logged)) << log.text();
        }
    }
}
