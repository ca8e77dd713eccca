// Runs the built tavso-host as a separate process, as a user or a scheduler would.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace hosttest {

// A fresh, empty folder of the test's own.
inline std::filesystem::path scratch(const std::string& name) {
    std::filesystem::path p = std::filesystem::path(::testing::TempDir()) / ("tavso-host-" + name);
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

struct HostRun {
    int code;
    std::string output;  // stdout and stderr together
};

inline HostRun tavsoHost(const std::string& args) {
    const std::string command = std::string(TAVSO_HOST_EXE) + " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 512> buf;
    while (pipe != nullptr && fgets(buf.data(), buf.size(), pipe) != nullptr) {
        out += buf.data();
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace hosttest
