#include "host/Demo.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>

#include "host/HostConfig.h"
#include "host/JobStore.h"
#include "host/PluginLibrary.h"
#include "host/SimulatedHost.h"
#include "host/StepRunner.h"
#include "platform/TavClock.h"
#include "sim/CliServer.h"

namespace tavso::host {

namespace fs = std::filesystem;

namespace {

const char* kHostName = "backup01";
const char* kInitiator = "21000024ff5a6b7c";

struct DemoArray {
    std::string label;
    std::string firmware;
    std::string serial;
    sim::ArrayModel model;
    std::vector<uint32_t> luns;
};

// A few LUNs in a LUN group that a mapping view presents to the backup host's FC port.
void seed(DemoArray& a, int lunCount) {
    a.model.with([&](sim::ArrayState& s) {
        s.system.serial = a.serial;
        s.system.productVersion = a.firmware;
    });
    a.model.addUser({"admin", "Demo@1234", "Super_admin", "", ""});
    const uint32_t pool = a.model.addPool("pool0", 1024 * sim::kSectorsPerGb, 900 * sim::kSectorsPerGb);
    for (int i = 0; i < lunCount; ++i) {
        sim::LunSpec spec;
        spec.name = "db_" + a.label + "_" + std::to_string(i);
        spec.poolId = pool;
        spec.capacity = 10 * sim::kSectorsPerGb;
        a.luns.push_back(a.model.addLun(spec));
    }
    const uint32_t host = std::stoul(a.model.createHost(kHostName, "Linux").id);
    a.model.createInitiator(false, kInitiator);
    a.model.addInitiatorToHost(host, false, kInitiator);
    const uint32_t group = std::stoul(a.model.createHostGroup(std::string(kHostName) + "_HG").id);
    a.model.addHostToHostGroup(group, host);
    const uint32_t lunGroup = std::stoul(a.model.createLunGroup("backup_LG").id);
    for (uint32_t lun : a.luns) {
        a.model.addToLunGroup(lunGroup, lun);
    }
    const uint32_t view = std::stoul(a.model.createMappingView("backup_MV").id);
    a.model.addHostGroupToView(view, group);
    a.model.addLunGroupToView(view, lunGroup);
}

std::string cell(const std::string& text, size_t width) {
    std::string t = text.size() > width ? text.substr(0, width) : text;
    return t + std::string(width - t.size() + 2, ' ');
}

}  // namespace

int runDemo(const DemoOptions& options, std::ostream& out, std::ostream& err) {
    const fs::path work = options.workDir.empty()
                              ? fs::temp_directory_path() / ("tavso-demo-" + std::to_string(getpid()))
                              : fs::path(options.workDir);
    fs::create_directories(work);

    DemoArray cliArray{"A", "V300R006C00", "2102351234ABCD000001", {}, {}};
    DemoArray restArray{"B", "V500R007C10", "2102359876WXYZ000002", {}, {}};
    seed(cliArray, 2);
    seed(restArray, 2);

    sim::FaultPlanState faults;
    sim::Transcript transcript;
    sim::CliServer cli({cliArray.model, faults, transcript, clock()}, {});
    std::string why;
    if (!cli.start(why)) {
        err << "tavso-host demo: cannot start the simulated CLI: " << why << "\n";
        return 1;
    }

    const fs::path settings = work / "settings.conf";
    {
        std::ofstream s(settings);
        s << "[~Dravel]\nHW_CLI_PORT=" << cli.port() << "\nHW_REST_SCHEME=http\n";
    }
    setenv("TAVSO_SETTINGS_FILE", settings.c_str(), 1);

    HostConfig config;
    config.pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    config.storePath = (work / "jobs.db").string();
    config.settingsFile = settings.string();
    for (DemoArray* a : {&cliArray, &restArray}) {
        config.arrays.push_back({a->serial, "127.0.0.1", "admin", "Demo@1234", 39, 0, "huawei"});
    }
    config.mountHost.kind = MountHostConfig::Kind::Simulated;
    config.mountHost.name = kHostName;
    config.mountHost.initiators = {{kInitiator, false}};
    config.mountHost.deviceDir = (work / "devices").string();

    try {
        PluginLibrary plugin(config.pluginPath);
        JobStore store(config.storePath);
        std::vector<std::string> sources;
        {
            SimulatedHost scan(config, 0, {&cliArray.model, &restArray.model});
            scan.sync();
            for (DemoArray* a : {&cliArray, &restArray}) {
                for (uint32_t lun : a->luns) {
                    sources.push_back(scan.devicePath(a->serial, lun));
                }
            }
        }
        const int64_t jobId = store.createJob("demo", sources);
        out << "job " << jobId << ": " << sources.size() << " volumes on array " << cliArray.serial
            << " (CLI, " << cliArray.firmware << ") and " << restArray.serial << " (REST, "
            << restArray.firmware << ")\n";
        SimulatedHost host(config, static_cast<uint64_t>(jobId), {&cliArray.model, &restArray.model});
        StepRunner runner(config, store, plugin.exports(), host);
        bool allOk = true;
        for (const std::string step : {"supported", "prepare", "snap"}) {
            const StepOutcome o = runner.run(jobId, step);
            for (size_t i = 0; i < o.volumes.size(); ++i) {
                const auto& v = o.volumes[i];
                out << "  " << cell(step, 9) << cell(fs::path(v.sourceDevice).filename().string(), 28)
                    << (i < o.notes.size() ? o.notes[i] : statusName(v.status));
                if (v.errorCode != 0) {
                    out << "  (" << v.errorCode << " " << v.errorText << ")";
                }
                out << "\n";
            }
            if (o.exitCode != 0) {
                allOk = false;
                err << "tavso-host demo: step " << step << " did not succeed for every volume (exit "
                    << o.exitCode << ")\n";
                break;
            }
        }

        out << "\n"
            << cell("device", 28) << cell("array", 20) << cell("LUN", 4) << cell("status", 14)
            << cell("snapshot", 20) << "error\n";
        for (const auto& v : store.volumes(jobId)) {
            const std::string name = fs::path(v.sourceDevice).filename().string();
            // hw-<serial>-<lun>
            const std::string serial = name.size() > 24 ? name.substr(3, 20) : "";
            const std::string lun = name.size() > 24 ? name.substr(24) : "";
            out << cell(name, 28) << cell(serial, 20) << cell(lun, 4) << cell(statusName(v.status), 14)
                << cell(v.snapName, 20)
                << (v.errorCode != 0 ? std::to_string(v.errorCode) + " " + v.errorText : "") << "\n";
        }
        for (DemoArray* a : {&cliArray, &restArray}) {
            out << "\narray " << a->serial << ":\n";
            for (const auto& l : a->model.copy().luns) {
                out << "  LUN " << l.first << " " << l.second.name << "\n";
            }
            for (const auto& s : a->model.copy().snapshots) {
                out << "  snapshot " << s.first << " " << s.second.name << " of LUN " << s.second.sourceLunId
                    << " (" << s.second.running << ")\n";
            }
        }
        cli.stop();
        return allOk ? 0 : 1;
    } catch (const std::exception& e) {
        cli.stop();
        err << "tavso-host demo: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace tavso::host
