// A simulated array serving REST over plain HTTP on loopback, and a client pointed at it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/TavClock.h"
#include "platform/TavManageHuawei.h"
#include "platform/TavPlatformInfo.h"
#include "sim/RestServer.h"
#include "sim/SimArray.h"

namespace resttest {

constexpr const char* kUser = "admin";
constexpr const char* kPassword = "Admin@123";
constexpr const char* kNoVStore = "-12345";

inline tavso::sim::SimArrayOptions restOnly(tavso::Clock* clock) {
    tavso::sim::SimArrayOptions o;
    o.startCli = false;
    o.clock = clock;
    return o;
}

class RestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tavso::sim::RestOptions options;
        options.sessionTtlMs = 60000;
        options.plainHttp = true;
        auto server = std::make_unique<tavso::sim::RestServer>(array.model(), array.clock(), options);
        std::string error;
        ASSERT_TRUE(server->start(error)) << error;
        rest = server.get();
        array.addFrontEnd(std::move(server));
        settings = std::make_unique<ScopedSettings>(
            "[~Dravel]\nHW_REST_SCHEME=http\nHW_REST_PORT=" + std::to_string(rest->port()) + "\n");
    }
    bool login(TavManageHuawei& c, const std::string& user = kUser, const std::string& password = kPassword) {
        return c.createSession(user, password, "127.0.0.1");
    }

    tavso::FakeClock arrayClock;
    tavso::sim::SimArray array{restOnly(&arrayClock)};
    tavso::sim::RestServer* rest = nullptr;
    std::unique_ptr<ScopedSettings> settings;
    TavManageHuawei client{0};
};

}  // namespace resttest
