#pragma once
// One simulated array served over SSH on loopback, with the settings that point the plug-in at
// it and parameters for its admin user. The array runs on the clock installed when it starts.

#include <memory>
#include <string>
#include <vector>

#include "api/HuaweiArrayParams.h"
#include "sim/ArrayModel.h"
#include "sim/FaultPlan.h"

namespace clitest {

constexpr const char* kUser = "admin";
constexpr const char* kPassword = "Adm1n-S3cret!";

// How the simulated array lets users log in.
enum class Login { Password, KbdLowerPrompt, KbdUpperPrompt };

class SimCli {
  public:
    explicit SimCli(Login login = Login::Password, const std::string& firmware = "V200R002C00");
    ~SimCli();
    SimCli(const SimCli&) = delete;
    SimCli& operator=(const SimCli&) = delete;

    int Port() const;
    tavso::sim::ArrayModel& Model();
    void SetPlan(const tavso::sim::FaultPlan& plan);
    // Extra lines for the [~Dravel] settings section (besides HW_CLI_PORT).
    void SetSettings(const std::string& lines);
    // Command lines the array received, in order, over all sessions.
    std::vector<std::string> Commands() const;
    int CountCommand(const std::string& command) const;
    int ActiveSessions() const;
    _HuaweiCliParams Params(uint32_t timeoutMs = 20000) const;
    // Adds a user with this level (password kPassword).
    void AddUser(const std::string& name, const std::string& level);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace clitest
