#include "host/Demo.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "host/DemoArrays.h"
#include "host/HostConfig.h"
#include "host/JobStore.h"
#include "host/PluginLibrary.h"
#include "host/SimulatedHost.h"
#include "host/StepRunner.h"

namespace tavso::host {

namespace fs = std::filesystem;

namespace {

const char* kHostName = "backup01";
const char* kInitiator = "21000024ff5a6b7c";

std::string cell(const std::string& text, size_t width) {
    std::string t = text.size() > width ? text.substr(0, width) : text;
    return t + std::string(width - t.size() + 2, ' ');
}

std::string statusText(int status) {
    return statusName(status) + " (" + std::to_string(status) + ")";
}

struct VolumePlace {
    const DemoArray* array = nullptr;
    uint32_t lun = 0;
};

// The array's snapshots of one LUN, as "name (id)".
std::string snapshotsOf(const sim::ArrayState& state, uint32_t lun) {
    std::string out;
    for (const auto& [id, s] : state.snapshots) {
        if (s.sourceLunId == lun) {
            out += (out.empty() ? "" : ", ") + s.name + " (" + std::to_string(id) + ")";
        }
    }
    return out.empty() ? "-" : out;
}

void printStep(std::ostream& out, const std::string& step, const StepOutcome& o) {
    for (size_t i = 0; i < o.volumes.size(); ++i) {
        const auto& v = o.volumes[i];
        out << "  " << cell(step, 9) << cell(fs::path(v.sourceDevice).filename().string(), 28)
            << (i < o.notes.size() ? o.notes[i] : statusText(v.status));
        if (v.errorCode != 0) {
            out << "  (" << v.errorCode << " " << v.errorText << ")";
        }
        out << "\n";
    }
}

void printSummary(std::ostream& out, const std::vector<VolumeRecord>& volumes,
                  const std::map<std::string, VolumePlace>& places, const std::vector<DemoArray*>& arrays) {
    out << "\n"
        << cell("device", 28) << cell("array", 20) << cell("LUN", 4) << cell("status", 14)
        << cell("snapshot", 30) << "error\n";
    for (const auto& v : volumes) {
        const VolumePlace& p = places.at(v.sourceDevice);
        std::string row = cell(fs::path(v.sourceDevice).filename().string(), 28) + cell(p.array->serial, 20) +
                          cell(std::to_string(p.lun), 4) + cell(statusText(v.status), 14) +
                          cell(snapshotsOf(p.array->model.copy(), p.lun), 30) +
                          (v.errorCode != 0 ? std::to_string(v.errorCode) + " " + v.errorText : "");
        out << row.substr(0, row.find_last_not_of(' ') + 1) << "\n";
    }
    for (const DemoArray* a : arrays) {
        const sim::ArrayState state = a->model.copy();
        // What each front end received shows which way the plug-in talked to the array.
        out << "\narray " << a->label << " " << a->serial << " (" << a->firmware << ", " << a->address
            << "): " << a->transcript.commands().size() << " CLI commands, " << a->rest->requests().size()
            << " REST requests\n";
        for (const auto& [id, l] : state.luns) {
            out << "  LUN " << id << " " << l.name << "\n";
        }
        for (const auto& [id, s] : state.snapshots) {
            out << "  snapshot " << id << " " << s.name << " of LUN " << s.sourceLunId << " (" << s.running
                << ")\n";
        }
    }
}

}  // namespace

int runDemo(const DemoOptions& options, std::ostream& out, std::ostream& err) {
    const fs::path work = options.workDir.empty()
                              ? fs::temp_directory_path() / ("tavso-demo-" + std::to_string(getpid()))
                              : fs::path(options.workDir);
    fs::create_directories(work);

    // Array A's firmware has the plug-in use its CLI, array B's its REST interface; B still
    // answers on the CLI, where the plug-in reads the firmware version.
    DemoArray cliArray("A", "V300R006C00", "2102351234ABCD000001", "127.0.0.1");
    DemoArray restArray("B", "V500R007C10", "2102359876WXYZ000002", "127.0.0.2");
    const std::vector<DemoArray*> arrays = {&cliArray, &restArray};
    for (DemoArray* a : arrays) {
        a->seed(2, kHostName, kInitiator);
    }
    uint16_t cliPort = 0, restPort = 0;
    std::string why;
    if (!startOnSharedPorts(arrays, cliPort, restPort, why)) {
        err << "tavso-host demo: cannot start the simulated arrays: " << why << "\n";
        return 1;
    }

    const fs::path settings = work / "settings.conf";
    std::ofstream(settings) << "[~Dravel]\nHW_CLI_PORT=" << cliPort << "\nHW_REST_PORT=" << restPort
                            << "\nHW_REST_SCHEME=http\n";
    setenv("TAVSO_SETTINGS_FILE", settings.c_str(), 1);

    HostConfig config;
    config.pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    config.storePath = (work / "jobs.db").string();
    config.settingsFile = settings.string();
    for (const DemoArray* a : arrays) {
        config.arrays.push_back({a->serial, a->address, kDemoUser, kDemoPassword, 39, 0, "huawei"});
    }
    config.mountHost.kind = MountHostConfig::Kind::Simulated;
    config.mountHost.name = kHostName;
    config.mountHost.initiators = {{kInitiator, false}};
    config.mountHost.deviceDir = (work / "devices").string();

    try {
        PluginLibrary plugin(config.pluginPath);
        JobStore store(config.storePath);
        std::vector<std::string> sources;
        std::map<std::string, VolumePlace> places;
        {
            const SimulatedHost names(config, 0);
            for (const DemoArray* a : arrays) {
                for (uint32_t lun : a->luns) {
                    sources.push_back(names.devicePath(a->serial, lun));
                    places[sources.back()] = {a, lun};
                }
            }
        }
        const int64_t jobId = store.createJob("demo", sources);
        out << "job " << jobId << ": " << sources.size() << " volumes on array A " << cliArray.serial
            << " (CLI, " << cliArray.firmware << ") and array B " << restArray.serial << " (REST, "
            << restArray.firmware << ")\n";
        SimulatedHost host(config, static_cast<uint64_t>(jobId), {&cliArray.model, &restArray.model});
        host.sync();
        StepRunner runner(config, store, plugin.exports(), host);
        bool allOk = true;
        for (const std::string step : {"supported", "prepare", "snap"}) {
            const StepOutcome o = runner.run(jobId, step);
            printStep(out, step, o);
            if (o.exitCode != 0) {
                allOk = false;
                err << "tavso-host demo: step " << step << " did not succeed for every volume (exit "
                    << o.exitCode << ")\n";
                break;
            }
        }
        printSummary(out, store.volumes(jobId), places, arrays);
        return allOk ? 0 : 1;
    } catch (const std::exception& e) {
        err << "tavso-host demo: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace tavso::host
