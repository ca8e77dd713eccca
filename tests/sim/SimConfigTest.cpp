// Arrays from their JSON description, and the state written back.
#include <gtest/gtest.h>

#include "sim/SimConfig.h"
#include "tests/sim/SimFixture.h"

namespace simtest {
namespace {

using namespace tavso::sim;

TEST(SimConfig, BuildsArraysWithObjectsUsersAndFaults) {
    auto config = nlohmann::json::parse(R"({"arrays": [
        {"name": "a1", "rest_port": 18089, "system": {"serial": "2102351234ABCD000009"},
         "users": [{"name": "backup", "password": "pw", "level": "Admin"}],
         "luns": [{"name": "lun_a", "capacity_gb": 10}],
         "faults": {"model": {"refuse_activation": true},
                    "cli": {"rules": [{"pattern": "^show lun", "busy": 1}]}}},
        {"name": "a2", "seed_defaults": false}]})");
    std::vector<std::unique_ptr<SimArray>> arrays;
    std::string error;
    ASSERT_TRUE(arraysFromJson(config, arrays, error)) << error;
    ASSERT_EQ(arrays.size(), 2u);
    ASSERT_TRUE(arrays[0]->start());
    SshTestClient c;
    ASSERT_TRUE(c.open(arrays[0]->cliPort(), "backup", "pw"));
    c.readUntil("backup:/>");
    EXPECT_EQ(body(c.command("show lun general"), "backup:/>").rfind("Error: The system is busy.", 0), 0u);
    EXPECT_NE(c.command("show lun general").find("lun_a"), std::string::npos);
    EXPECT_TRUE(arrays[0]->model().copy().faults.refuseActivation);
    EXPECT_TRUE(arrays[1]->model().copy().users.empty());
    EXPECT_EQ(arrays[0]->options().rest.port, 18089);

    auto state = stateToJson(arrays[0]->model().copy());
    EXPECT_EQ(state["system"]["serial"], "2102351234ABCD000009");
    EXPECT_EQ(state["luns"][0]["wwn"].get<std::string>().substr(24), "00000001");

    EXPECT_FALSE(arraysFromJson(nlohmann::json::parse(R"({"arrays": [{"luns": [{"capacity_gb": 1}]}]})"),
                                arrays, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace simtest
