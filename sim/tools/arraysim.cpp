// Runs simulated arrays from a JSON file until SIGINT or SIGTERM.
//   arraysim <config.json> [--state-out <file>]
// Prints "<name> cli <port>" per array once it listens (and "control <port>" for the control
// endpoint the description asks for, see sim/ControlServer.h); on exit, writes every array's final
// state to the state file as {"<name>": {...}}.
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "sim/ControlServer.h"
#include "sim/SimConfig.h"

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--state-out")) {
        std::cerr << "usage: arraysim <config.json> [--state-out <file>]\n";
        return 2;
    }
    nlohmann::json config;
    try {
        std::ifstream in(argv[1]);
        if (!in) {
            std::cerr << "arraysim: cannot read " << argv[1] << "\n";
            return 1;
        }
        config = nlohmann::json::parse(in);
    } catch (const std::exception& e) {
        std::cerr << "arraysim: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    // Block the signals before any thread starts, so that only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::unique_ptr<tavso::sim::SimArray>> arrays;
    std::string error;
    if (!tavso::sim::arraysFromJson(config, arrays, error)) {
        std::cerr << "arraysim: " << error << "\n";
        return 1;
    }
    for (auto& a : arrays) {
        if (!a->start(&error)) {
            std::cerr << "arraysim: " << a->name() << ": " << error << "\n";
            return 1;
        }
        std::cout << a->name() << " cli " << a->cliPort() << std::endl;
    }
    std::unique_ptr<tavso::sim::ControlServer> control;
    if (!tavso::sim::ControlServer::fromJson(config, arrays, control, error)) {
        std::cerr << "arraysim: " << error << "\n";
        return 1;
    }
    if (control) {
        std::cout << "control " << control->port() << std::endl;
    }
    int sig = 0;
    sigwait(&stopSignals, &sig);
    nlohmann::json state = nlohmann::json::object();
    for (auto& a : arrays) {
        a->stop();
        state[a->name()] = tavso::sim::stateToJson(a->model().copy());
    }
    if (argc == 4) {
        std::ofstream out(argv[3]);
        out << state.dump(2) << "\n";
        if (!out) {
            std::cerr << "arraysim: cannot write " << argv[3] << "\n";
            return 1;
        }
    }
    return 0;
}
