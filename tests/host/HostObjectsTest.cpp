#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "host/HostOsUtil.h"
#include "host/HostVolume.h"
#include "host/SimulatedHost.h"

using namespace tavso::host;

namespace {

HostConfig oneArray() {
    HostConfig c;
    c.arrays.push_back({"2102351234ABCD000001", "10.0.0.5", "admin", "S3cret!", 39, 8, "huawei"});
    c.jobConfig["SMCONFIG_NAME_JOB_SPEED"] = 3;
    c.jobConfig["SMCONFIG_NAME_STORAGE_DEVICE_GROUP"] = "pool0";
    c.mountHost.initiators = {{"21000024ff5a6b7c", false}, {"iqn.1994-05.com.example:b1", true}};
    c.mountHost.deviceDir = ::testing::TempDir() + "/host-objects-devices";
    return c;
}

VolumeRecord record() {
    VolumeRecord r;
    r.id = 7;
    r.sourceDevice = "/dev/sdb";
    r.snapName = "tavso_1_0";
    r.metadata[1] = "metadata-one";
    return r;
}

}  // namespace

TEST(HostVolume, BuffersNeverCarryACutText) {
    HostConfig c = oneArray();
    JobLog log;
    HostVolume v(record(), c, log, "backup01");
    char buf[64];

    // capacity, expected answer, expected length out
    struct Case {
        short capacity;
        int answer;
        short length;
    } cases[] = {{64, 0, 12}, {13, 0, 12}, {12, 2, 13}, {1, 2, 13}, {0, 2, 13}};
    for (const auto& k : cases) {
        std::memset(buf, 'x', sizeof buf);
        short len = k.capacity;
        EXPECT_EQ(k.answer, v.getMetadata(1, buf, &len)) << k.capacity;
        EXPECT_EQ(k.length, len) << k.capacity;
        if (k.answer == 0) {
            EXPECT_STREQ("metadata-one", buf);
        } else if (k.capacity > 0) {
            EXPECT_STREQ("", buf) << "a short buffer must not receive a cut text";
        }
    }
    short len = sizeof buf;
    EXPECT_EQ(1, v.getMetadata(6, buf, &len)) << "absent metadata is a failure";

    len = 5;
    EXPECT_EQ(2, v.getHostId(buf, &len));
    EXPECT_EQ(9, len);
    len = 9;
    EXPECT_EQ(0, v.getHostId(buf, &len));
    EXPECT_STREQ("backup01", buf);

    len = 4;
    v.getSourceDevice(buf, &len);
    EXPECT_STREQ("", buf);
    EXPECT_EQ(9, len);

    int ilen = 3;
    v.getConfigString("SMCONFIG_NAME_STORAGE_DEVICE_GROUP", buf, &ilen);
    EXPECT_EQ(6, ilen);
    ilen = 1023;
    v.getConfigString("SMCONFIG_NAME_STORAGE_DEVICE_GROUP", buf, &ilen);
    EXPECT_STREQ("pool0", buf);
    int value = -5;
    v.getConfigInt("SMCONFIG_NAME_MISSING", &value);
    EXPECT_EQ(-5, value) << "an absent key leaves the value untouched";
    v.getConfigInt("SMCONFIG_NAME_JOB_SPEED", &value);
    EXPECT_EQ(3, value);
}

TEST(HostVolume, CredentialsOfTheChosenArrayOnly) {
    HostConfig c = oneArray();
    JobLog log({"S3cret!"});
    HostVolume v(record(), c, log, "backup01");
    char buf[4096];
    short len = sizeof buf;
    EXPECT_NE(0, v.getLoginCredentials(buf, &len)) << "no array chosen yet";
    EXPECT_NE(0, v.setLoginCredentials("NOSUCHARRAY"));
    EXPECT_EQ(std::set<std::string>{"NOSUCHARRAY"}, log.unknownArrays());
    ASSERT_EQ(0, v.setLoginCredentials("2102351234ABCD000001"));
    len = sizeof buf;
    ASSERT_EQ(0, v.getLoginCredentials(buf, &len));
    EXPECT_STREQ(
        "{arrayId:2102351234ABCD000001,hostName:10.0.0.5,hostUserName:admin,hostPassword:S3cret!,engineId:"
        "39}",
        buf);

    SimulatedHost os(c, 42);
    len = sizeof buf;
    ASSERT_EQ(0, os.getArrayLoginCredentials("2102351234ABCD000001", buf, &len));
    // The password is followed at once by engineName: the plug-in masks what lies between.
    EXPECT_STREQ("{hostName:10.0.0.5,hostUserName:admin,hostPassword:S3cret!,engineName:huawei,hostFlags:8}",
                 buf);
    EXPECT_EQ(1, os.getArrayLoginCredentials("other", buf, &len));
    EXPECT_EQ(42u, os.getJobId());

    v.log(1, "tag", "login with S3cret! done");
    v.reportError(62005, "bad password S3cret!");
    for (const auto& l : log.lines()) {
        EXPECT_EQ(std::string::npos, l.text.find("S3cret!")) << l.text;
    }
    EXPECT_EQ("bad password ******", v.record().errorText);
}

TEST(HostOsUtil, InitiatorsSizingThenFilling) {
    HostConfig c = oneArray();
    SimulatedHost os(c, 1);
    short namesLen = 0, kindsLen = 0, count = 0;
    ASSERT_TRUE(os.getInitiators(nullptr, "x", nullptr, &namesLen, nullptr, &kindsLen, &count));
    const std::string expected = "21000024ff5a6b7c,iqn.1994-05.com.example:b1";
    EXPECT_EQ(static_cast<short>(expected.size() + 1), namesLen);
    EXPECT_EQ(2, kindsLen);
    std::vector<char> names(namesLen), kinds(kindsLen);
    short shortLen = namesLen - 1;
    EXPECT_FALSE(os.getInitiators(nullptr, "x", names.data(), &shortLen, kinds.data(), &kindsLen, &count));
    ASSERT_TRUE(os.getInitiators(nullptr, "x", names.data(), &namesLen, kinds.data(), &kindsLen, &count));
    EXPECT_EQ(expected, names.data());
    EXPECT_NE(1, kinds[0]);
    EXPECT_EQ(1, kinds[1]);

    HostConfig none = oneArray();
    none.mountHost.initiators.clear();
    SimulatedHost bare(none, 1);
    namesLen = kindsLen = 5;
    ASSERT_TRUE(bare.getInitiators(nullptr, "x", nullptr, &namesLen, nullptr, &kindsLen, &count));
    EXPECT_EQ(0, namesLen) << "no initiator: the plug-in sees an empty names length";
}

TEST(HostVolume, WorkersMayLogAndReportConcurrently) {
    HostConfig c = oneArray();
    JobLog log({"S3cret!"});
    std::vector<std::unique_ptr<HostVolume>> volumes;
    for (int i = 0; i < 4; ++i) {
        VolumeRecord r = record();
        r.id = i + 1;
        volumes.push_back(std::make_unique<HostVolume>(r, c, log, "backup01"));
    }
    std::vector<std::thread> workers;
    for (int t = 0; t < 8; ++t) {
        workers.emplace_back([&, t] {
            HostVolume& v = *volumes[t % 4];
            for (int i = 0; i < 200; ++i) {
                v.log(0, "worker", ("line " + std::to_string(i)).c_str());
                v.setMetadata(1, ("meta " + std::to_string(t)).c_str());
                v.setTransientMetadata(145, "rest");
                v.setStatus(5);
                char buf[64];
                short len = sizeof buf;
                v.getMetadata(1, buf, &len);
                if (i % 50 == 0) {
                    v.reportError(60001, "[ERROR] Failed to connect to array");
                }
            }
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    size_t worker = 0;
    for (const auto& l : log.lines()) {
        worker += l.tag == "worker" ? 1 : 0;
    }
    EXPECT_EQ(8u * 200u, worker);
    for (auto& v : volumes) {
        EXPECT_EQ(5, v->getStatus());
        EXPECT_EQ(60001, v->record().errorCode);
    }
}
