#include "tests/cli/CliSimFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/TavClock.h"
#include "platform/TavPlatformInfo.h"
#include "sim/CliServer.h"
#include "sim/Transcript.h"

namespace clitest {

struct SimCli::Impl {
    tavso::sim::ArrayModel model;
    tavso::sim::FaultPlanState faults;
    tavso::sim::Transcript transcript;
    std::unique_ptr<tavso::sim::CliServer> server;
    std::unique_ptr<ScopedSettings> settings;
};

SimCli::SimCli(Login login, const std::string& firmware) : m_impl(std::make_unique<Impl>()) {
    m_impl->model.addUser({kUser, kPassword, "Super_admin", "", ""});
    m_impl->model.with([&](tavso::sim::ArrayState& s) { s.system.productVersion = firmware; });
    tavso::sim::CliOptions options;
    options.keyboardInteractive = login != Login::Password;
    options.kbdintPrompt = login == Login::KbdUpperPrompt ? "Password:" : "password: ";
    m_impl->server = std::make_unique<tavso::sim::CliServer>(
        tavso::sim::CliBackend{m_impl->model, m_impl->faults, m_impl->transcript, tavso::clock()}, options);
    std::string error;
    EXPECT_TRUE(m_impl->server->start(error)) << error;
    SetSettings("");
}

SimCli::~SimCli() {
    m_impl->server->stop();
}

int SimCli::Port() const {
    return m_impl->server->port();
}

tavso::sim::ArrayModel& SimCli::Model() {
    return m_impl->model;
}

void SimCli::SetPlan(const tavso::sim::FaultPlan& plan) {
    m_impl->faults.set(plan);
}

void SimCli::SetSettings(const std::string& lines) {
    m_impl->settings.reset();
    m_impl->settings =
        std::make_unique<ScopedSettings>("[~Dravel]\nHW_CLI_PORT=" + std::to_string(Port()) + "\n" + lines);
}

std::vector<std::string> SimCli::Commands() const {
    return m_impl->transcript.commands();
}

int SimCli::CountCommand(const std::string& command) const {
    auto all = Commands();
    return static_cast<int>(std::count(all.begin(), all.end(), command));
}

int SimCli::ActiveSessions() const {
    return m_impl->server->activeSessions();
}

_HuaweiCliParams SimCli::Params(uint32_t timeoutMs) const {
    _HuaweiCliParams params;
    params.hostName = "127.0.0.1";
    params.userName = kUser;
    params.password = kPassword;
    params.cliTimeoutMs = timeoutMs;
    return params;
}

void SimCli::AddUser(const std::string& name, const std::string& level) {
    m_impl->model.addUser({name, kPassword, level, "", ""});
}

}  // namespace clitest
