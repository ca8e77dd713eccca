// Runs simulated arrays from a JSON file until SIGINT or SIGTERM.
//   arraysim <config.json> [--state-out <file>] [--rest-http] [--rest-port <port>]
//            [--rest-cert <file> --rest-key <file>] [--rest-ca-out <file>]
// Each array serves its CLI over SSH and its REST interface over HTTPS (plain HTTP with
// --rest-http) on the same model. Prints "<name> cli <port>" and "<name> rest <port>" per array
// once every array listens, and "control <port>" for the control endpoint the description asks
// for (see sim/ControlServer.h). The REST port is the array's "rest_port" (0 or none: any free port);
// --rest-port gives the first array that port and the next ones the ports after it. Without
// --rest-cert/--rest-key each array makes a certificate of its own; --rest-ca-out writes their
// authorities to one file for a client's HW_REST_CA_FILE. On exit, writes every array's final
// state to the state file as {"<name>": {...}}.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "sim/ControlServer.h"
#include "sim/SimConfig.h"

namespace {

struct Arguments {
    std::string config;
    std::string stateOut;
    bool restHttp = false;
    int restPort = 0;
    std::string restCert, restKey, restCaOut;
};

bool parse(int argc, char** argv, Arguments& a) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--rest-http") {
            a.restHttp = true;
        } else if (arg == "--state-out" && hasValue) {
            a.stateOut = argv[++i];
        } else if (arg == "--rest-port" && hasValue) {
            a.restPort = std::atoi(argv[++i]);
            if (a.restPort <= 0 || a.restPort > 65535) {
                return false;
            }
        } else if (arg == "--rest-cert" && hasValue) {
            a.restCert = argv[++i];
        } else if (arg == "--rest-key" && hasValue) {
            a.restKey = argv[++i];
        } else if (arg == "--rest-ca-out" && hasValue) {
            a.restCaOut = argv[++i];
        } else if (a.config.empty() && arg.rfind("--", 0) != 0) {
            a.config = arg;
        } else {
            return false;
        }
    }
    // Only authorities the arrays made themselves can be written out.
    bool caOutUsable = a.restCaOut.empty() || (!a.restHttp && a.restCert.empty() && a.restKey.empty());
    return !a.config.empty() && caOutUsable;
}

// Starts the array's REST server as the arguments say; adds its authority to the bundle.
bool startRest(tavso::sim::SimArray& array, size_t index, const Arguments& args, std::string& caBundle) {
    tavso::sim::RestOptions options = array.options().rest;
    options.plainHttp = args.restHttp;
    options.certFile = args.restCert;
    options.keyFile = args.restKey;
    if (args.restPort) {
        options.port = static_cast<uint16_t>(args.restPort + index);
    }
    std::string error;
    tavso::sim::RestServer* rest = array.startRest(options, &error);
    if (!rest) {
        std::cerr << "arraysim: " << array.name() << ": REST: " << error << "\n";
        return false;
    }
    if (rest->certificate()) {
        caBundle += rest->certificate()->caPem();
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!parse(argc, argv, args)) {
        std::cerr << "usage: arraysim <config.json> [--state-out <file>] [--rest-http] [--rest-port <port>]\n"
                     "                [--rest-cert <file> --rest-key <file>] [--rest-ca-out <file>]\n";
        return 2;
    }
    nlohmann::json config;
    try {
        std::ifstream in(args.config);
        if (!in) {
            std::cerr << "arraysim: cannot read " << args.config << "\n";
            return 1;
        }
        config = nlohmann::json::parse(in);
    } catch (const std::exception& e) {
        std::cerr << "arraysim: " << args.config << ": " << e.what() << "\n";
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
    std::string caBundle;
    for (size_t i = 0; i < arrays.size(); ++i) {
        auto& a = arrays[i];
        if (!a->start(&error)) {
            std::cerr << "arraysim: " << a->name() << ": " << error << "\n";
            return 1;
        }
        if (!startRest(*a, i, args, caBundle)) {
            return 1;
        }
    }
    if (!args.restCaOut.empty()) {
        std::ofstream out(args.restCaOut, std::ios::trunc);
        out << caBundle;
        out.close();
        if (!out) {
            std::cerr << "arraysim: cannot write " << args.restCaOut << "\n";
            return 1;
        }
    }
    std::unique_ptr<tavso::sim::ControlServer> control;
    if (!tavso::sim::ControlServer::fromJson(config, arrays, control, error)) {
        std::cerr << "arraysim: " << error << "\n";
        return 1;
    }
    // Only now: a reader of these lines may use every port and the CA file at once.
    for (auto& a : arrays) {
        std::cout << a->name() << " cli " << a->cliPort() << "\n"
                  << a->name() << " rest " << a->restPort() << std::endl;
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
    if (!args.stateOut.empty()) {
        std::ofstream out(args.stateOut);
        out << state.dump(2) << "\n";
        if (!out) {
            std::cerr << "arraysim: cannot write " << args.stateOut << "\n";
            return 1;
        }
    }
    return 0;
}
