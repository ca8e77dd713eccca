// arraysim's control endpoint as its description asks for it.
#include <gtest/gtest.h>

#include <httplib.h>

#include "sim/ControlServer.h"

namespace {

using namespace tavso::sim;

TEST(ControlServer, FromTheDescription) {
    std::vector<std::unique_ptr<SimArray>> arrays;
    SimArrayOptions options;
    options.name = "a1";
    options.startCli = false;
    arrays.push_back(std::make_unique<SimArray>(options));
    std::unique_ptr<ControlServer> control;
    std::string error;

    ASSERT_TRUE(ControlServer::fromJson(nlohmann::json::parse(R"({"arrays": []})"), arrays, control, error));
    EXPECT_EQ(nullptr, control) << "no control endpoint unless asked for";

    for (const char* bad :
         {R"({"control": 8080})", R"({"control": {"port": "8080"}})", R"({"control": {"port": 70000}})",
          R"({"control": {"address": 1}})", R"({"control": {"address": "not.an.address"}})"}) {
        error.clear();
        EXPECT_FALSE(ControlServer::fromJson(nlohmann::json::parse(bad), arrays, control, error)) << bad;
        EXPECT_EQ(0u, error.rfind("control: ", 0)) << bad << ": " << error;
        EXPECT_EQ(nullptr, control);
    }

    ASSERT_TRUE(ControlServer::fromJson(nlohmann::json::parse(R"({"control": {}})"), arrays, control, error))
        << error;
    ASSERT_NE(nullptr, control);
    httplib::Client client("127.0.0.1", control->port());
    auto res = client.Get("/control/presented?initiator=iqn.x");
    ASSERT_TRUE(res);
    EXPECT_EQ(200, res->status);
    const auto body = nlohmann::json::parse(res->body);
    ASSERT_EQ(1u, body["arrays"].size());
    EXPECT_EQ("a1", body["arrays"][0]["name"]);
    EXPECT_EQ(arrays[0]->model().system().serial, body["arrays"][0]["serial"]);
    EXPECT_TRUE(body["arrays"][0]["presented"].empty());

    res = client.Get("/control/luns");
    ASSERT_TRUE(res);
    EXPECT_EQ(404, res->status);
    EXPECT_EQ("no such control resource", nlohmann::json::parse(res->body)["error"]);
}

}  // namespace
