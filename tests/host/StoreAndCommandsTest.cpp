#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/HostConfig.h"
#include "host/JobStore.h"
#include "host/PluginLibrary.h"
#include "tests/host/HostRun.h"

using namespace tavso::host;
namespace fs = std::filesystem;

using hosttest::HostRun;
using hosttest::scratch;
using hosttest::tavsoHost;

TEST(JobStore, WhatOneStepStoredIsThereForTheNext) {
    const fs::path dir = scratch("store");
    const std::string path = (dir / "jobs.db").string();
    int64_t job = 0;
    {
        JobStore store(path);
        job = store.createJob("nightly", {"/dev/sdb", "{type:nfs,host:10.0.0.9,share:/vol/fs1}"});
        auto volumes = store.volumes(job);
        ASSERT_EQ(2u, volumes.size());
        volumes[0].status = 1;
        volumes[0].metadata[1] = "a,b:c";
        volumes[0].transient[145] = "1";
        volumes[1].status = 2;
        volumes[1].errorCode = 62008;
        volumes[1].errorText = "Failed to connect to array";
        store.recordStep(job, "prepare", 2, volumes,
                         {{1, "Huawei-tavso_prepareDevices", "started", volumes[0].id, "t", ""}});
    }
    JobStore again(path);  // as the next step's process opens it
    EXPECT_EQ(job, *again.latestJobId());
    auto volumes = again.volumes(job);
    EXPECT_EQ("/dev/sdb", volumes[0].sourceDevice);
    EXPECT_EQ(1, volumes[0].status);
    EXPECT_EQ("a,b:c", volumes[0].metadata.at(1));
    EXPECT_EQ("1", volumes[0].transient.at(145));
    EXPECT_EQ(62008, volumes[1].errorCode);
    EXPECT_NE(volumes[0].snapName, volumes[1].snapName);
    ASSERT_EQ(1u, again.steps(job).size());
    EXPECT_EQ(2, again.steps(job)[0].result);
    EXPECT_EQ(1u, again.log(job, 1).size());
    EXPECT_EQ(0u, again.log(job, 2).size());
}

TEST(HostConfig, ReadsArraysJobAndMountHost) {
    const fs::path dir = scratch("config");
    std::ofstream(dir / "pw") << "S3cret!\n";
    const auto c = parseHostConfig(nlohmann::json::parse(R"({
        "plugin": "lib/libtavso_huawei.so",
        "arrays": [{"arrayId": "A1", "address": "10.0.0.5", "user": "admin", "passwordFile": "pw", "flags": 8}],
        "job": {"SMCONFIG_NAME_JOB_SPEED": 3, "SMCONFIG_NAME_STORAGE_DEVICE_GROUP": "pool0"},
        "mountHost": {"kind": "simulated", "initiators": [{"name": "iqn.x", "type": "iscsi"}],
                      "simulatorControl": "127.0.0.1:8099"}})"),
                                   dir.string());
    EXPECT_EQ((dir / "lib/libtavso_huawei.so").string(), c.pluginPath);
    ASSERT_NE(nullptr, c.findArray("A1"));
    EXPECT_EQ("S3cret!", c.findArray("A1")->password);
    EXPECT_EQ(8u, c.findArray("A1")->flags);
    EXPECT_EQ(39, c.findArray("A1")->engineId);
    EXPECT_EQ(3, *c.configInt("SMCONFIG_NAME_JOB_SPEED"));
    EXPECT_EQ("3", *c.configString("SMCONFIG_NAME_JOB_SPEED"));
    EXPECT_EQ("pool0", *c.configString("SMCONFIG_NAME_STORAGE_DEVICE_GROUP"));
    EXPECT_TRUE(c.mountHost.initiators[0].iscsi);
    EXPECT_EQ((dir / "devices").string(), c.mountHost.deviceDir);
    EXPECT_EQ("127.0.0.1", c.mountHost.controlAddress);
    EXPECT_EQ(8099, c.mountHost.controlPort);
}

TEST(HostConfig, RejectsWhatThePluginCouldNotCarry) {
    const char* bad[] = {
        R"({"arrays": [{"arrayId": "A1", "address": "h", "user": "u", "password": "a,b"}]})",
        R"({"arrays": [{"arrayId": "A1", "address": "h", "user": "u", "password": "x}"}]})",
        R"({"arrays": [{"arrayId": "A1", "address": "h", "user": "u"}]})",
        R"({"arrays": [{"arrayId": "A1", "address": "h", "user": "u", "passwordFile": "/nonexistent/pw"}]})",
        R"({"arrays": [{"arrayId": "A1", "address": "h", "user": "u", "password": "p"},
                      {"arrayId": "A1", "address": "h", "user": "u", "password": "p"}]})",
        R"({"mountHost": {"kind": "windows"}})",
        R"({"job": {"SMCONFIG_NAME_X": [1]}})",
        R"({"mountHost": {"simulatorControl": "127.0.0.1:65536"}})",
        R"({"mountHost": {"simulatorControl": ":8099"}})",
        R"({"mountHost": {"simulatorControl": "127.0.0.1:+80"}})",
    };
    for (const char* text : bad) {
        EXPECT_THROW(parseHostConfig(nlohmann::json::parse(text), "/tmp"), ConfigError) << text;
    }
}

TEST(PluginLibrary, MissingOrWrongLibraryIsAClearError) {
    try {
        PluginLibrary p("/nonexistent/libtavso_huawei.so");
        FAIL();
    } catch (const PluginError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("cannot load plug-in /nonexistent"));
    }
    try {
        PluginLibrary p("libsqlite3.so.0");
        FAIL();
    } catch (const PluginError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("lacks the export tavso_version"));
    }
}

TEST(Commands, ConfigurationErrorsExitOne) {
    const fs::path dir = scratch("commands");
    std::ofstream(dir / "broken.json") << "{ not json";
    std::ofstream(dir / "nolib.json") << R"({"plugin": "/nonexistent/lib.so", "store": "jobs.db"})";
    std::ofstream(dir / "nosettings.json") << R"({"plugin": ")" << TAVSO_FAKE_PLUGIN
                                           << R"(", "store": "jobs.db", "settingsFile": "absent.conf"})";
    std::ofstream(dir / "nosim.json") << R"({"plugin": ")" << TAVSO_FAKE_PLUGIN << R"(", "store": "jobs.db",
        "mountHost": {"simulatorControl": "127.0.0.1:1"}})";
    std::ofstream(dir / "badsim.json") << R"({"mountHost": {"simulatorControl": "127.0.0.1"}})";
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {"--config " + (dir / "absent.json").string() + " show", "cannot read configuration file"},
        {"--config " + (dir / "broken.json").string() + " show", "is not valid JSON"},
        {"--config " + (dir / "nolib.json").string() + " run prepare", "no job yet"},
        {"--config " + (dir / "nolib.json").string() + " run bogus", "bogus"},
        {"demo --plugin /nonexistent/lib.so --work-dir " + (dir / "demo").string(),
         "cannot load plug-in /nonexistent/lib.so"},
    };
    for (const auto& k : cases) {
        const HostRun r = tavsoHost(k.args);
        EXPECT_EQ(1, r.code) << k.args << "\n" << r.output;
        EXPECT_NE(std::string::npos, r.output.find(k.message)) << r.output;
    }
    ASSERT_EQ(0, tavsoHost("--config " + (dir / "nolib.json").string() + " job new /dev/sdb").code);
    // The job store is shared: each configuration below finds that job.
    const Case afterJob[] = {
        {"--config " + (dir / "nolib.json").string() + " run prepare",
         "cannot load plug-in /nonexistent/lib.so"},
        {"--config " + (dir / "nosettings.json").string() + " run prepare",
         "cannot read settings file " + (dir / "absent.conf").string()},
        {"--config " + (dir / "nosim.json").string() + " run prepare",
         "cannot reach the simulator's control endpoint 127.0.0.1:1"},
        {"--config " + (dir / "badsim.json").string() + " show",
         "\"simulatorControl\" must be <address>:<port>"},
    };
    for (const auto& k : afterJob) {
        const HostRun r = tavsoHost(k.args);
        EXPECT_EQ(1, r.code) << k.args << "\n" << r.output;
        EXPECT_NE(std::string::npos, r.output.find(k.message)) << r.output;
    }
    EXPECT_EQ(0, tavsoHost("--help").code);
    EXPECT_EQ(0, tavsoHost("run --help").code);
}

// Each step in its own process: prepare stores metadata and transient metadata on the volumes,
// snap finds them again through the job store.
TEST(Commands, StepsInSeparateProcessesShareTheJobStore) {
    const fs::path dir = scratch("steps");
    const std::string config = (dir / "host.json").string();
    std::ofstream(config) << R"({"plugin": ")" << TAVSO_FAKE_PLUGIN << R"(", "store": "jobs.db",
        "arrays": [{"arrayId": "A1", "address": "127.0.0.1", "user": "admin", "password": "S3cret!"}],
        "mountHost": {"kind": "simulated", "name": "backup01"}})";
    const std::string c = "--config " + config + " ";
    ASSERT_EQ(0, tavsoHost(c + "job new /dev/x/A1 /dev/y/A1").code);

    HostRun r = tavsoHost(c + "run prepare");
    EXPECT_EQ(0, r.code) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("prepare  /dev/x/A1  prepared")) << r.output;
    r = tavsoHost(c + "run snap");
    EXPECT_EQ(0, r.code) << r.output;

    r = tavsoHost(c + "show --json");
    ASSERT_EQ(0, r.code) << r.output;
    const auto doc = nlohmann::json::parse(r.output);
    ASSERT_EQ(2u, doc["volumes"].size());
    for (const auto& v : doc["volumes"]) {
        EXPECT_EQ(5, v["status"]);
        EXPECT_EQ("meta:A1:1:snapped", v["metadata"]["1"]);
        EXPECT_EQ("1", v["transientMetadata"]["145"]);
    }
    EXPECT_EQ(2u, doc["steps"].size());

    r = tavsoHost(c + "log --level 1");
    EXPECT_NE(std::string::npos, r.output.find("hostPassword:******")) << r.output;
    EXPECT_EQ(std::string::npos, r.output.find("S3cret!"));
    std::ifstream db(dir / "jobs.db", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(db)), {});
    EXPECT_EQ(std::string::npos, bytes.find("S3cret!")) << "no password in the job store";
}

// Some volumes failing is 2, all failing 1; a volume on an array the configuration lacks makes it
// a configuration error (1) even when the others succeeded.
TEST(Commands, SomeOrNoVolumesFailedExitTwoOrOne) {
    const fs::path dir = scratch("partial");
    const std::string config = (dir / "host.json").string();
    std::ofstream(config) << R"({"plugin": ")" << TAVSO_FAKE_PLUGIN << R"(", "store": "jobs.db",
        "arrays": [{"arrayId": "A1", "address": "127.0.0.1", "user": "admin", "password": "p"}]})";
    const std::string c = "--config " + config + " ";
    ASSERT_EQ(0, tavsoHost(c + "job new /dev/x/A1 /dev/fail/A1").code);
    HostRun r = tavsoHost(c + "run prepare");
    EXPECT_EQ(2, r.code) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("/dev/fail/A1  prepare failed  error 62008")) << r.output;
    ASSERT_EQ(0, tavsoHost(c + "job new /dev/fail/A1").code);
    EXPECT_EQ(1, tavsoHost(c + "run prepare").code);

    ASSERT_EQ(0, tavsoHost(c + "job new /dev/x/A1 /dev/y/B9").code);
    r = tavsoHost(c + "run prepare");
    EXPECT_EQ(1, r.code) << r.output;
    EXPECT_NE(std::string::npos,
              r.output.find("the plug-in asked for array B9, which " + config + " does not configure"))
        << r.output;
    EXPECT_NE(std::string::npos, r.output.find("/dev/x/A1  prepared")) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("error 62005 Failed to get array info")) << r.output;
}

// The demo's own machinery (arrays in process, devices presented to the simulated host, the job,
// the progress lines and the table), run with the stand-in plug-in.
TEST(Commands, DemoRunsTheJobAndPrintsItsTable) {
    const fs::path dir = scratch("demo");
    const HostRun r =
        tavsoHost("demo --plugin " + std::string(TAVSO_FAKE_PLUGIN) + " --work-dir " + dir.string());
    EXPECT_EQ(0, r.code) << r.output;
    for (const char* line : {"supported  hw-2102351234ABCD000001-1", "prepare    hw-2102359876WXYZ000002-2",
                             "snap       hw-2102359876WXYZ000002-1"}) {
        EXPECT_NE(std::string::npos, r.output.find(line)) << line << "\n" << r.output;
    }
    EXPECT_NE(std::string::npos,
              r.output.find("hw-2102351234ABCD000001-2     2102351234ABCD000001  2     snapped"))
        << r.output;
}
