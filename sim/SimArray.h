// One simulated array: its model, its fault plan, its clock and the front ends that serve it
// (the SSH CLI server, and the REST server beside it). Tests embed it in-process:
//
//   tavso::sim::SimArray array;            // user admin / Admin@123, pool 0
//   array.start();                          // CLI on 127.0.0.1:array.cliPort()
//   uint32_t lun = array.model().addLun("lun_a", 10 * tavso::sim::kSectorsPerGb);
//   ... drive it ...
//   array.transcript().commands();          // what the sessions received
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/TavClock.h"
#include "sim/ArrayModel.h"
#include "sim/CliServer.h"
#include "sim/FaultPlan.h"
#include "sim/FrontEnd.h"
#include "sim/RestServer.h"
#include "sim/Transcript.h"

namespace tavso::sim {

struct SimArrayOptions {
    std::string name = "array";
    CliOptions cli;
    bool startCli = true;
    // The REST server's settings when startRest() is given none of its own.
    RestOptions rest;
    // A user "admin" (password "Admin@123", Super_admin) and a storage pool 0 of 100 TB.
    bool seedDefaults = true;
    // The array's own clock for its delays and time-outs; null: the system clock. Never the
    // plug-in's clock, so a test's fake plug-in clock does not hurry the array.
    Clock* clock = nullptr;
};

class SimArray {
  public:
    explicit SimArray(SimArrayOptions options = {});
    ~SimArray();
    SimArray(const SimArray&) = delete;
    SimArray& operator=(const SimArray&) = delete;

    // Starts the CLI server (unless options say not to); false with `error` set on failure.
    bool start(std::string* error = nullptr);
    // Stops every front end; sessions are closed. Safe to call twice.
    void stop();

    const std::string& name() const { return m_options.name; }
    uint16_t cliPort() const;
    ArrayModel& model() { return m_model; }
    const ArrayModel& model() const { return m_model; }
    Transcript& transcript() { return m_transcript; }
    FaultPlanState& faults() { return m_faults; }
    Clock& clock() { return *m_clock; }
    const SimArrayOptions& options() const { return m_options; }

    void setFaultPlan(FaultPlan plan) { m_faults.set(std::move(plan)); }
    void setModelFaults(const ModelFaults& f) { m_model.setFaults(f); }

    // The REST server beside the CLI, on the same model; null with `error` set when it does not
    // start. A second call returns the running one.
    RestServer* startRest(const RestOptions& options, std::string* error = nullptr);
    RestServer* startRest(std::string* error = nullptr) { return startRest(m_options.rest, error); }
    RestServer* rest() const;
    uint16_t restPort() const;

    // Another front end on the same model; stopped with the array.
    void addFrontEnd(std::unique_ptr<FrontEnd> frontEnd);
    FrontEnd* frontEnd(const std::string& kind) const;
    CliBackend cliBackend() { return CliBackend{m_model, m_faults, m_transcript, *m_clock}; }

  private:
    SimArrayOptions m_options;
    SystemClock m_systemClock;
    Clock* m_clock;
    ArrayModel m_model;
    FaultPlanState m_faults;
    Transcript m_transcript;
    std::vector<std::unique_ptr<FrontEnd>> m_frontEnds;
};

}  // namespace tavso::sim
