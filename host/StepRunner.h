// Runs one step of a job through the plug-in: the job's volumes from the store become host
// volumes, the export is called with all of them, and their new state goes back to the store
// together with the step's log lines.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "host/HostConfig.h"
#include "host/HostOsUtil.h"
#include "host/JobStore.h"
#include "host/PluginLibrary.h"

namespace tavso::host {

struct StepOutcome {
    int exitCode = 1;       // 0 every volume succeeded, 2 some, 1 none or the whole call failed
    int pluginResult = -1;  // what the export answered
    std::vector<VolumeRecord> volumes;
    std::vector<std::string> notes;  // per volume, for steps that answer per volume (supported)
    std::set<std::string> unknownArrays;
};

// Step names as the command line takes them.
const std::vector<std::string>& stepNames();
// The status a volume reaches when the step succeeds for it; 0 when the step sets none.
int successStatus(const std::string& step);
std::string statusName(int status);

class StepRunner {
  public:
    StepRunner(const HostConfig& config, JobStore& store, const PluginExports& plugin, HostOsUtil& osUtil);
    // Throws std::invalid_argument for an unknown step or job.
    StepOutcome run(int64_t jobId, const std::string& step);

  private:
    const HostConfig& m_config;
    JobStore& m_store;
    const PluginExports& m_plugin;
    HostOsUtil& m_osUtil;
};

std::string mountHostName(const HostConfig& config);

}  // namespace tavso::host
