#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/HuaweiKeyValue.h"
#include "api/HuaweiSettings.h"
#include "platform/TavPlatformInfo.h"
#include "tests/api/ModuleLogCapture.h"

namespace {

struct ParseCase {
    const char* text;
    const char* key;
    bool found;
    const char* value;
    const char* logged;  // part of the error line, when not found
};

}  // namespace

TEST(ParseJsonString, FindsValuesAndExplainsFailures) {
    const ParseCase cases[] = {
        {"{a:1,b:2}", "b", true, "2", ""},
        {"{a:1,b:2}", "a", true, "1", ""},
        {"{b:2}", "b", true, "2", ""},
        {"{a: spaced ,b:2}", "a", true, " spaced ", ""},
        // First occurrence anywhere, also inside another key.
        {"{xtype:nfs}", "type", true, "nfs", ""},
        {"{a:,b:2}", "a", true, "", ""},
        {"a:1", "a", false, "", "Item separator charactor is not present"},
        {"{a:1}", "c", false, "", "The item being requested [c] is not in Json string [{a:1}]"},
        {"{a,b:2}", "a", false, "", "No value present for item a"},
        {"{ab}", "a", false, "", "Name-value separator character is not present."},
        {"", "a", false, "", "Either the parse string or the item to search is empty. Parse string[]"},
        {"{a:1}", "", false, "", "Either the parse string or the item to search is empty."},
    };
    for (const auto& c : cases) {
        ModuleLogCapture log;
        std::string value = "unchanged";
        EXPECT_EQ(c.found, parseJsonString(nullptr, c.text, c.key, value)) << c.text << " / " << c.key;
        EXPECT_EQ(c.found ? std::string(c.value) : "unchanged", value) << c.text << " / " << c.key;
        if (!c.found) {
            EXPECT_NE(std::string::npos, log.text().find(c.logged)) << log.text();
        }
    }
}

TEST(ParseJsonString, NeverLogsThePassword) {
    const std::string creds =
        "{arrayId:A1,hostName:10.0.0.5,hostUserName:admin,hostPassword:S3cret!,engineId:39}";
    ModuleLogCapture log;
    std::string value;
    ASSERT_TRUE(parseJsonString(nullptr, creds, "hostPassword", value));
    EXPECT_EQ("S3cret!", value);
    ASSERT_TRUE(parseJsonString(nullptr, creds, "hostName", value));
    EXPECT_FALSE(parseJsonString(nullptr, creds, "missing", value));
    EXPECT_NE(std::string::npos, log.text().find("Item Name:Item Value [hostName:10.0.0.5]"));
    EXPECT_EQ(std::string::npos, log.text().find("S3cret!")) << log.text();
}

TEST(ParseJsonString, RejectsValuesBeyondTheReadersLimit) {
    std::string value = "unchanged";
    EXPECT_TRUE(parseJsonString(nullptr, "{a:" + std::string(1023, 'x') + "}", "a", value));
    EXPECT_EQ(1023u, value.size());
    value = "unchanged";
    EXPECT_FALSE(parseJsonString(nullptr, "{a:" + std::string(1024, 'x') + "}", "a", value));
    EXPECT_EQ("unchanged", value);
}

TEST(GetJsonVal, MatchesOnlyWholeItemKeys) {
    struct Case {
        const char* text;
        const char* key;
        bool found;
        const char* value;
    } const cases[] = {
        {"{type:nfs,x:1}", "type", true, "nfs"},   {"{x:1,type:nfs}", "type", true, "nfs"},
        {"{xtype:nfs}", "type", false, ""},        {"{x:1,type:nfs", "type", false, ""},
        {"{Path:/a/b,x:1}", "Path", true, "/a/b"}, {"{type:}", "type", true, ""},
        {"type:nfs}", "type", false, ""},
    };
    for (const auto& c : cases) {
        std::string a = "unchanged", b = "unchanged";
        EXPECT_EQ(c.found, GetJsonVal(c.text, c.key, a)) << c.text;
        EXPECT_EQ(c.found, getJsonVal(c.text, c.key, b)) << c.text;
        EXPECT_EQ(c.found ? std::string(c.value) : "unchanged", a) << c.text;
        EXPECT_EQ(a, b);
    }
}

TEST(PathHelpers, RemoveEscapeCharNormalisesSlashes) {
    const std::pair<const char*, const char*> cases[] = {
        {"\\/vol\\/fs", "/vol/fs"}, {"fs", "/fs/"},     {"/fs", "/fs/"}, {"/vol/fs/", "/vol/fs"},
        {"vol/fs", "/vol/fs"},      {"\\fs", "/\\fs/"}, {"", "/"},       {"\\/fs\\/", "/fs/"},
    };
    for (const auto& c : cases) {
        std::string out = "junk";
        RemoveEscapeChar(c.first, out);
        EXPECT_EQ(c.second, out) << c.first;
    }
}

TEST(PathHelpers, CheckAndFixShareNameAddsMarksOnce) {
    const std::pair<const char*, const char*> cases[] = {
        {"share", "\\/share\\/"},
        {"\\/share\\/", "\\/share\\/"},
        {"\\/share", "\\/share\\/"},
        {"", "\\/"},
    };
    for (const auto& c : cases) {
        std::string name = c.first;
        CheckAndFixShareName(name);
        EXPECT_EQ(c.second, name) << c.first;
    }
}

TEST(Settings, RegReadersUseTheDravelSection) {
    ScopedSettings s(
        "[~Dravel]\nHW_JOB_SPEED=4\nHW_STORAGE_DEVICE_GROUP=pool1\n[~Dravel/sub]\nHW_JOB_SPEED=1\n");
    int v = 9;
    EXPECT_TRUE(GetRegInt(nullptr, "HW_JOB_SPEED", &v));
    EXPECT_EQ(4, v);
    EXPECT_TRUE(GetRegInt("sub", "HW_JOB_SPEED", &v));
    EXPECT_EQ(1, v);
    EXPECT_FALSE(GetRegInt("", "HW_CLONE_RETAIN_COUNT", &v));
    EXPECT_EQ(1, v);
    std::string text = "unchanged";
    EXPECT_TRUE(GetRegString(nullptr, "HW_STORAGE_DEVICE_GROUP", &text));
    EXPECT_EQ("pool1", text);
    EXPECT_FALSE(GetRegString("", "HW_USE_ONLY_THIS_PORT", &text));
    EXPECT_EQ("pool1", text);
}
