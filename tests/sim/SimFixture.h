// A started array and a logged-in shell on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/SimArray.h"
#include "tests/sim/SshTestClient.h"

namespace simtest {

constexpr const char* kPassword = "Admin@123";

// The reply of a command: without its echo line and the final prompt.
inline std::string body(const std::string& raw, const std::string& prompt = "admin:/>") {
    size_t eol = raw.find("\r\n");
    std::string out = eol == std::string::npos ? raw : raw.substr(eol + 2);
    if (out.size() >= prompt.size() && out.compare(out.size() - prompt.size(), prompt.size(), prompt) == 0) {
        out.erase(out.size() - prompt.size());
    }
    return out;
}

class SimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(array.start(&error)) << error;
    }
    // A fresh logged-in shell, the welcome text read.
    std::unique_ptr<SshTestClient> login(const std::string& user = "admin",
                                         const std::string& password = kPassword) {
        auto c = std::make_unique<SshTestClient>();
        EXPECT_TRUE(c->open(array.cliPort(), user, password));
        welcome = c->readUntil(user + ":/>");
        return c;
    }
    tavso::sim::SimArray array;
    std::string welcome;
};

}  // namespace simtest
