#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "api/HuaweiArrayParams.h"
#include "api/HuaweiMetaData.h"
#include "platform/TavPlatformInfo.h"

namespace {

// A host volume with scripted credentials, configuration and metadata; records logs and errors.
class ScriptedVolume : public TAVSO::SnapInfo {
  public:
    std::string credentials;
    int setCredentialsResult = 0;
    int getCredentialsResult = 0;
    std::string requestedArray;
    std::string snapName = "job_snap";
    std::map<std::string, int> configInts;
    std::map<std::string, std::string> configStrings;
    std::map<int, std::string> metadata;
    int getMetadataResult = 0;
    std::map<short, std::string> transient;
    std::vector<std::pair<int, std::string>> errors;
    std::string logText;

    void getSnapName(char* buffer, short* length) override { Copy(snapName, buffer, *length); }
    void setSnapName(const char*) override {}
    int getLoginCredentials(char* buffer, short* length) override {
        Copy(credentials, buffer, *length);
        return getCredentialsResult;
    }
    int setLoginCredentials(const char* arrayId) override {
        requestedArray = arrayId;
        return setCredentialsResult;
    }
    int getHostId(char*, short*) override { return 1; }
    bool isFlagSet(uint64_t) override { return false; }
    void setSnapFlag(int) override {}
    int getStatus() override { return 0; }
    void setStatus(int) override {}
    void getSourceDevice(char*, short*) override {}
    void getSnapDevice(char*, short*) override {}
    void setSnapDevice(const char*) override {}
    int getMetadata(int id, char* buffer, short* length) override {
        Copy(metadata[id], buffer, *length);
        return getMetadataResult;
    }
    int setMetadata(int id, const char* text) override {
        metadata[id] = text;
        return 0;
    }
    void reportError(int code, const char* text) override { errors.emplace_back(code, text); }
    void log(int level, const char* tag, const char* text) override {
        logText += std::to_string(level) + "|" + tag + "|" + text + "\n";
    }
    void setSourceLunId(int) override {}
    unsigned getNumericId() override { return 1; }
    void getConfigInt(const char* key, int* value) override {
        auto it = configInts.find(key);
        if (it != configInts.end()) {
            *value = it->second;
        }
    }
    void getConfigString(const char* key, char* buffer, int* length) override {
        auto it = configStrings.find(key);
        if (it != configStrings.end()) {
            Copy(it->second, buffer, *length);
        }
    }
    void setTransientMetadata(int, const char*) override {}
    int getValueInt(int, int*) override { return 1; }
    int getValueString(int, char*, short*) override { return 1; }
    void addVolumeFlag(uint64_t) override {}
    bool getTransientMetadata(short id, std::string& text) override {
        auto it = transient.find(id);
        if (it == transient.end()) {
            return false;
        }
        text = it->second;
        return true;
    }

    bool logged(const std::string& part) const { return logText.find(part) != std::string::npos; }

  private:
    template <typename N>
    static void Copy(const std::string& from, char* buffer, N& length) {
        size_t n = std::min(from.size(), static_cast<size_t>(length) - 1);
        std::memcpy(buffer, from.data(), n);
        buffer[n] = '\0';
        length = static_cast<N>(n);
    }
};

const char* const kCredentials =
    "{arrayId:A1,hostName:10.0.0.5,hostUserName:admin,hostPassword:S3cret!,engineId:39}";

struct Loaded {
    bool ok;
    _HuaweiCliParams params;
    short engineId = 0;
};

Loaded Load(ScriptedVolume& v, const std::string& arrayId = "A1", bool firstUse = false) {
    Loaded l;
    l.ok = initAndGetArrayParams(&v, arrayId, l.params, l.engineId, firstUse);
    return l;
}

}  // namespace

TEST(ArrayParams, LoadsCredentialsAndDefaults) {
    ScopedSettings none("");
    ScriptedVolume v;
    v.credentials = kCredentials;
    Loaded l = Load(v);
    ASSERT_TRUE(l.ok) << v.logText;
    EXPECT_EQ("A1", v.requestedArray);
    EXPECT_EQ("A1", l.params.arrayId);
    EXPECT_EQ("10.0.0.5", l.params.hostName);
    EXPECT_EQ("admin", l.params.userName);
    EXPECT_EQ("S3cret!", l.params.password);
    EXPECT_EQ(39, l.engineId);
    EXPECT_EQ("job_snap", l.params.snapName);
    EXPECT_EQ(1800000u, l.params.cliTimeoutMs);
    EXPECT_EQ(2592000u, l.params.jobTimeoutSecs);
    EXPECT_EQ(2u, l.params.jobSpeed);
    EXPECT_EQ(3u, l.params.cloneRetainCount);
    EXPECT_TRUE(l.params.fullClone);
    EXPECT_FALSE(l.params.useDevicesOnlyFromGroup);
    EXPECT_FALSE(l.params.preferIscsi);
    EXPECT_TRUE(l.params.parallel);
    EXPECT_TRUE(l.params.ignoreFirmwareCheck);
    EXPECT_TRUE(v.errors.empty());

    DumpCliParams(&v, l.params);
    EXPECT_TRUE(
        v.logged("1|DumpCliParams|[Huawei-Log]:[ Array-id - A1 ]  [Host - 10.0.0.5] [failover - ] [5 - 7] "
                 "[Snap-name - "
                 "job_snap] [CliTimeout 1800000 M.seconds] [Job timeout 2592000 seconds] [Job-speed - 2] "
                 "[Full-Clone - "
                 "Yes] [Use-device group- NO] [Device-Group - ] [provision method - use-source] [Alloc - 0%] "
                 "[Clone-retain count - 3] [prefer iSCSI -No] [Mapping port - ] [Mapping view - ]"))
        << v.logText;
    EXPECT_FALSE(v.logged("S3cret!"));
}

TEST(ArrayParams, SettingsStoreWinsOverTheHost) {
    struct Case {
        const char* settings;
        std::map<std::string, int> hostInts;
        unsigned cliTimeoutMs, jobSpeed, cloneRetain;
        bool fullClone, parallel, preferIscsi, fromGroup;
        int provisioning;
    } const cases[] = {
        {"HW_CLI_TIMEOUT_SECS=60\nHW_JOB_SPEED=4\n", {}, 60000, 4, 3, true, true, false, false, 0},
        {"HW_JOB_SPEED=5\nHW_CLONE_RETAIN_COUNT=0\n", {}, 1800000, 2, 3, true, true, false, false, 0},
        {"HW_JOB_SPEED=0\nHW_USE_INCREMENTAL_CLONE=1\nHW_PREFER_ISCSI=7\n",
         {},
         1800000,
         2,
         3,
         false,
         true,
         true,
         false,
         0},
        {"HW_ENABLE_PARALLEL_SNAP_OPERATIONS=0\n",
         {{"SMCONFIG_NAME_ENABLE_PARALLEL_SNAP_OPERATIONS", 1}},
         1800000,
         2,
         3,
         true,
         false,
         false,
         false,
         0},
        {"",
         {{"SMCONFIG_NAME_CLI_TIMEOUT_SECS", 10},
          {"SMCONFIG_NAME_CLONE_RETAIN_COUNT", 5},
          {"SMCONFIG_NAME_USE_DEVICES_ONLY_FROM_THIS_GROUP", 1},
          {"SMCONFIG_NAME_PROVISIONING", 1},
          {"SMCONFIG_NAME_ENABLE_PARALLEL_SNAP_OPERATIONS", 0}},
         10000,
         2,
         5,
         true,
         false,
         false,
         true,
         1},
        {"HW_USE_DEVICES_ONLY_FROM_THIS_GROUP=2\n",
         {{"SMCONFIG_NAME_USE_DEVICES_ONLY_FROM_THIS_GROUP", 1}},
         1800000,
         2,
         3,
         true,
         true,
         false,
         false,
         0},
    };
    for (const auto& c : cases) {
        ScopedSettings s(std::string("[~Dravel]\n") + c.settings);
        ScriptedVolume v;
        v.credentials = kCredentials;
        v.configInts = c.hostInts;
        Loaded l = Load(v);
        ASSERT_TRUE(l.ok) << c.settings;
        EXPECT_EQ(c.cliTimeoutMs, l.params.cliTimeoutMs) << c.settings;
        EXPECT_EQ(c.jobSpeed, l.params.jobSpeed) << c.settings;
        EXPECT_EQ(c.cloneRetain, l.params.cloneRetainCount) << c.settings;
        EXPECT_EQ(c.fullClone, l.params.fullClone) << c.settings;
        EXPECT_EQ(c.parallel, l.params.parallel) << c.settings;
        EXPECT_EQ(c.preferIscsi, l.params.preferIscsi) << c.settings;
        EXPECT_EQ(c.fromGroup, l.params.useDevicesOnlyFromGroup) << c.settings;
        EXPECT_EQ(c.provisioning, l.params.provisioning) << c.settings;
    }
}

TEST(ArrayParams, StringSettingsAndBlanks) {
    struct Case {
        const char* settings;
        std::map<std::string, std::string> host;
        bool ok;
        const char* error;
        const char* logged;
    } const cases[] = {
        {"HW_STORAGE_DEVICE_GROUP=pool 1\n",
         {},
         false,
         "Invalid Storage-pool name has been configured ",
         "[ERROR]Invalid Storage-pool name has been configured [pool 1]"},
        {"",
         {{"SMCONFIG_NAME_USE_ONLY_THIS_PORT", "iqn x"}},
         false,
         "Invalid Initiator id has been configured",
         "[ERROR]Invalid Initiator id has been configured [iqn x]"},
        {"",
         {{"SMCONFIG_NAME_USE_ONLY_THIS_MAPPING_VIEW", "my view"}},
         false,
         "Invalid Mapping-view name has been configured",
         "[ERROR]Invalid Mapping-view name has been configured [my view]"},
        {"HW_STORAGE_DEVICE_GROUP=pool1\n",
         {{"SMCONFIG_NAME_STORAGE_DEVICE_GROUP", "hostpool"},
          {"SMCONFIG_NAME_FAILOVER_CONTROLER_IP", "10.0.0.6"},
          {"SMCONFIG_NAME_USE_ONLY_THIS_MAPPING_VIEW", "view1"}},
         true,
         "",
         ""},
    };
    for (const auto& c : cases) {
        ScopedSettings s(std::string("[~Dravel]\n") + c.settings);
        ScriptedVolume v;
        v.credentials = kCredentials;
        v.configStrings = c.host;
        Loaded l = Load(v);
        EXPECT_EQ(c.ok, l.ok) << c.settings;
        if (!c.ok) {
            ASSERT_EQ(1u, v.errors.size());
            EXPECT_EQ(62005, v.errors[0].first);
            EXPECT_EQ(c.error, v.errors[0].second);
            EXPECT_TRUE(v.logged(c.logged)) << v.logText;
        } else {
            EXPECT_EQ("pool1", l.params.storagePool);
            EXPECT_EQ("10.0.0.6", l.params.failoverHostName);
            EXPECT_EQ("view1", l.params.mappingView);
        }
    }
}

TEST(ArrayParams, CredentialFailures) {
    ScopedSettings none("");
    {
        ScriptedVolume v;
        v.setCredentialsResult = 1;
        EXPECT_FALSE(Load(v).ok);
        ASSERT_EQ(1u, v.errors.size());
        EXPECT_EQ("Unable to set the array login credentials", v.errors[0].second);
        EXPECT_TRUE(v.logged("[ERROR]Unable to set the login credentials"));
    }
    {
        ScriptedVolume v;
        v.getCredentialsResult = 2;
        EXPECT_FALSE(Load(v).ok);
        ASSERT_EQ(1u, v.errors.size());
        EXPECT_EQ((std::pair<int, std::string>(62005, "Failed to get array info")), v.errors[0]);
    }
    {
        ScriptedVolume v;
        v.credentials = kCredentials;
        EXPECT_FALSE(Load(v, "B2").ok);
        ASSERT_EQ(1u, v.errors.size());
        EXPECT_EQ("Failed to get array info", v.errors[0].second);
        EXPECT_TRUE(v.logged("[ERROR]array info returns wrong array-id [A1]"));
        // First-use mode takes the host's id.
        ScriptedVolume w;
        w.credentials = kCredentials;
        Loaded l = Load(w, "nas_name", true);
        EXPECT_TRUE(l.ok);
        EXPECT_EQ("A1", l.params.arrayId);
    }
    {
        // A missing item fails with the reader's line only.
        ScriptedVolume v;
        v.credentials = "{arrayId:A1,hostName:10.0.0.5,hostUserName:admin,hostPassword:pw}";
        EXPECT_FALSE(Load(v).ok);
        EXPECT_TRUE(v.errors.empty());
        EXPECT_TRUE(v.logged("The item being requested [engineId] is not in Json string"));
        EXPECT_FALSE(v.logged(":pw")) << v.logText;
    }
}

TEST(ArrayParams, OnlyTheSecondBackslashOfTheUserIsDropped) {
    ScopedSettings none("");
    const std::pair<const char*, const char*> cases[] = {
        {"dom\\user", "dom\\user"},
        {"dom\\\\user", "dom\\user"},
        {"dom\\\\\\user", "dom\\\\user"},
        {"a\\b\\c", "a\\bc"},
    };
    for (const auto& c : cases) {
        ScriptedVolume v;
        v.credentials =
            std::string("{arrayId:A1,hostName:h,hostUserName:") + c.first + ",hostPassword:p,engineId:7}";
        Loaded l = Load(v);
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(c.second, l.params.userName);
        EXPECT_EQ(7, l.engineId);
    }
}

TEST(MetaDataFromHost, ReadsMetadataOneAndTransientValues) {
    ScriptedVolume v;
    v.metadata[1] = "3*A1*17*233*39*1*lun_a*snap_a*0***";
    _MetaDataParams r;
    ASSERT_TRUE(GetMetaDataParams(&v, &r));
    EXPECT_EQ(233u, r.snapId);
    DumpMeta(&v, r);
    EXPECT_TRUE(v.logged(
        "1|DumpMeta|[Huawei-Log]:[ Array-id - A1 ] [Src-Lun - (17) lun_a] [Target-Lun- (233)[233] snap_a] "
        "[Engine - 39] [Full-Clone - No] [FS-Snap type - 0] [Version - 3] [Shared-IPs - ],[Quota - ]"))
        << v.logText;

    v.metadata[1] = "";
    EXPECT_FALSE(GetMetaDataParams(&v, &r));
    EXPECT_TRUE(v.logged(" Empty Metadata returned"));
    v.metadata[1] = "9*A1*17*233*39*1*lun_a*snap_a*0***";
    EXPECT_FALSE(GetMetaDataParams(&v, &r));
    EXPECT_TRUE(v.logged("2|GetMetaDataParams|[Huawei-Log]:GetMetaDataParams failed"));
    v.getMetadataResult = 1;
    EXPECT_FALSE(GetMetaDataParams(&v, &r));
    EXPECT_TRUE(v.logged("GetMetadata failed"));
    EXPECT_FALSE(GetMetaDataParams(&v, nullptr));
    EXPECT_TRUE(v.logged(" Invalid Parameter passed "));

    v.transient[TAVSO::TRANSIENT_TRANSPORT] = "HUAWEI_CONNECT_CLI";
    std::string value;
    EXPECT_TRUE(GetTransientMetadata(&v, TAVSO::TRANSIENT_TRANSPORT, value));
    EXPECT_EQ("HUAWEI_CONNECT_CLI", value);
    EXPECT_FALSE(GetTransientMetadata(&v, TAVSO::TRANSIENT_DEVICE_LIST, value));
}
