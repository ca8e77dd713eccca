// The real plug-in driving two simulated arrays, one it talks CLI to and one REST, through the
// life cycle as far as it goes: in the demo's one process, and step by step in processes of
// their own with arraysim's part played by this test's process.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "host/DemoArrays.h"
#include "sim/ControlServer.h"
#include "tests/host/HostRun.h"

using namespace tavso::host;
namespace fs = std::filesystem;
using hosttest::HostRun;
using hosttest::scratch;
using hosttest::tavsoHost;

namespace {

const char* kSerialA = "2102351234ABCD000001";
const char* kSerialB = "2102359876WXYZ000002";

const std::pair<std::string, std::string> kSteps[] = {
    {"supported", "supported"}, {"prepare", "prepared \\(1\\)"}, {"snap", "snapped \\(5\\)"}};

size_t count(const std::string& text, const std::regex& pattern) {
    return std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator());
}

}  // namespace

TEST(LifeCycle, DemoSnapsEveryVolumeOnBothArrays) {
    const fs::path dir = scratch("demo-real");
    const HostRun r = tavsoHost("demo --work-dir " + dir.string());
    ASSERT_EQ(0, r.code) << r.output;
    for (const char* serial : {kSerialA, kSerialB}) {
        for (int lun : {1, 2}) {
            const std::string device = "hw-" + std::string(serial) + "-" + std::to_string(lun);
            for (const auto& [step, outcome] : kSteps) {
                EXPECT_TRUE(std::regex_search(
                    r.output, std::regex("  " + step + " +" + device + " +" + outcome + "\n")))
                    << step << " " << device << "\n"
                    << r.output;
            }
            // The table row: device, array, LUN, status and the snapshot the array now holds.
            EXPECT_TRUE(
                std::regex_search(r.output, std::regex(device + " +" + serial + " +" + std::to_string(lun) +
                                                       " +snapped \\(5\\) +[^ -][^\n]*\\(\\d+\\) *\n")))
                << device << "\n"
                << r.output;
        }
    }
    // Each array lists its two LUNs and an activated snapshot of each.
    EXPECT_EQ(2u, count(r.output, std::regex("\n  snapshot \\d+ \\S+ of LUN 1 \\(Activated\\)\n")));
    EXPECT_EQ(2u, count(r.output, std::regex("\n  snapshot \\d+ \\S+ of LUN 2 \\(Activated\\)\n")));
    // Array A is driven over the CLI, array B over REST.
    EXPECT_TRUE(std::regex_search(
        r.output, std::regex("\narray A " + std::string(kSerialA) +
                             " \\(V300R006C00, 127.0.0.1\\): [1-9]\\d* CLI commands, 0 REST")))
        << r.output;
    EXPECT_TRUE(
        std::regex_search(r.output, std::regex("\narray B " + std::string(kSerialB) +
                                               " \\(V500R007C10, 127.0.0.2\\): \\d+ CLI commands, [1-9]")))
        << r.output;
}

// Prepare in one tavso-host process, snap in the next: what prepare left on the volumes reaches
// snap through the job store, and the devices come from the arrays over the control endpoint.
TEST(LifeCycle, StepsInSeparateProcessesAgainstOutOfProcessArrays) {
    const fs::path dir = scratch("steps-real");
    DemoArray a("A", "V300R006C00", kSerialA, "127.0.0.1");
    DemoArray b("B", "V500R007C10", kSerialB, "127.0.0.2");
    a.seed(2, "backup01", "21000024ff5a6b7c");
    b.seed(1, "backup01", "21000024ff5a6b7c");
    uint16_t cliPort = 0, restPort = 0;
    std::string why;
    ASSERT_TRUE(startOnSharedPorts({&a, &b}, cliPort, restPort, why)) << why;
    tavso::sim::ControlServer control({{"A", &a.model}, {"B", &b.model}});
    ASSERT_TRUE(control.start(why)) << why;

    std::ofstream(dir / "settings.conf")
        << "[~Dravel]\nHW_CLI_PORT=" << cliPort << "\nHW_REST_PORT=" << restPort << "\nHW_REST_SCHEME=http\n";
    const std::string config = (dir / "host.json").string();
    std::ofstream(config) << R"({"store": "jobs.db", "settingsFile": "settings.conf",
        "arrays": [{"arrayId": ")"
                          << kSerialA
                          << R"(", "address": "127.0.0.1", "user": "admin", "password": "Demo@1234"},
                   {"arrayId": ")"
                          << kSerialB
                          << R"(", "address": "127.0.0.2", "user": "admin", "password": "Demo@1234"}],
        "mountHost": {"name": "backup01", "initiators": [{"name": "21000024ff5a6b7c"}],
                      "simulatorControl": "127.0.0.1:)"
                          << control.port() << R"("}})";
    const std::string c = "--config " + config + " ";
    // The host's devices, as the user would list them for the job.
    const HostRun listed = tavsoHost(c + "devices");
    ASSERT_EQ(0, listed.code) << listed.output;
    const std::vector<std::pair<const DemoArray*, uint32_t>> volumes = {{&a, 1}, {&a, 2}, {&b, 1}};
    std::string sources;
    for (const auto& [array, lun] : volumes) {
        const std::string device =
            (dir / "devices" / ("hw-" + array->serial + "-" + std::to_string(lun))).string();
        EXPECT_NE(std::string::npos, listed.output.find(device + "  HUAWEI\n")) << listed.output;
        sources += " " + device;
    }
    ASSERT_EQ(0, tavsoHost(c + "job new" + sources).code);

    HostRun r = tavsoHost(c + "run prepare");
    ASSERT_EQ(0, r.code) << r.output;
    auto doc = nlohmann::json::parse(tavsoHost(c + "show --json").output);
    for (const auto& v : doc["volumes"]) {
        EXPECT_EQ(1, v["status"]) << v.dump();
        EXPECT_FALSE(v["metadata"].empty()) << v.dump();
    }

    r = tavsoHost(c + "run snap");
    ASSERT_EQ(0, r.code) << r.output;
    doc = nlohmann::json::parse(tavsoHost(c + "show --json").output);
    ASSERT_EQ(volumes.size(), doc["volumes"].size());
    for (const auto& v : doc["volumes"]) {
        EXPECT_EQ(5, v["status"]) << v.dump();
        EXPECT_EQ(0, v["errorCode"]) << v.dump();
    }
    // Array A is driven over the CLI, array B over REST (its CLI only tells the firmware).
    EXPECT_TRUE(a.rest->requests().empty());
    const auto restCalls = b.rest->requests();
    EXPECT_TRUE(std::any_of(restCalls.begin(), restCalls.end(), [](const std::string& call) {
        return call.rfind("POST /snapshot", 0) == 0;
    })) << ::testing::PrintToString(restCalls);
    for (const auto& command : b.transcript.commands()) {
        EXPECT_EQ(std::string::npos, command.find("snapshot")) << command;
    }
    // On the arrays: one activated snapshot of every volume's LUN, none of any other.
    for (const DemoArray* array : {&a, &b}) {
        std::map<uint32_t, int> snapsOf;
        for (const auto& [id, s] : array->model.copy().snapshots) {
            EXPECT_EQ("Activated", s.running) << array->label << " snapshot " << id;
            ++snapsOf[s.sourceLunId];
        }
        std::map<uint32_t, int> wanted;
        for (const auto& [owner, lun] : volumes) {
            if (owner == array) {
                wanted[lun] = 1;
            }
        }
        EXPECT_EQ(wanted, snapsOf) << "array " << array->label;
    }
}
