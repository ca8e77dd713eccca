// The demo's two simulated arrays: each seeded with a few LUNs that a mapping view presents to the
// backup host, and served over the CLI (SSH) and REST on a loopback address of its own. Both use
// the same two ports, since the plug-in's settings name one CLI port and one REST port for all
// arrays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/ArrayModel.h"
#include "sim/CliServer.h"
#include "sim/FaultPlan.h"
#include "sim/RestServer.h"
#include "sim/Transcript.h"

namespace tavso::host {

struct DemoArray {
    DemoArray(std::string label, std::string firmware, std::string serial, std::string address);
    ~DemoArray();
    DemoArray(const DemoArray&) = delete;
    DemoArray& operator=(const DemoArray&) = delete;

    // `lunCount` LUNs in a LUN group that a mapping view presents to the host's initiator.
    void seed(int lunCount, const std::string& hostName, const std::string& initiator);
    void stop();

    const std::string label;
    const std::string firmware;  // the plug-in talks CLI or REST to the array by it
    const std::string serial;
    const std::string address;
    sim::ArrayModel model;
    sim::FaultPlanState faults;
    sim::Transcript transcript;
    std::vector<uint32_t> luns;
    std::unique_ptr<sim::CliServer> cli;
    std::unique_ptr<sim::RestServer> rest;
};

extern const char* const kDemoUser;
extern const char* const kDemoPassword;

// Starts every array's servers: the first array's take free ports, the others the same ones on
// their own addresses. False with `error` set when no such pair of ports could be had.
bool startOnSharedPorts(const std::vector<DemoArray*>& arrays, uint16_t& cliPort, uint16_t& restPort,
                        std::string& error);

}  // namespace tavso::host
