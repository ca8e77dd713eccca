#include "host/Commands.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/Demo.h"
#include "host/HostConfig.h"
#include "host/JobStore.h"
#include "host/LinuxHost.h"
#include "host/PluginLibrary.h"
#include "host/SimulatedHost.h"
#include "host/SimulatorControl.h"
#include "host/StepRunner.h"

namespace tavso::host {

namespace {

int64_t jobOrLatest(const JobStore& store, int64_t job) {
    if (job > 0) {
        if (!store.job(job)) {
            throw std::invalid_argument("no job " + std::to_string(job) + " in the job store");
        }
        return job;
    }
    auto latest = store.latestJobId();
    if (!latest) {
        throw std::invalid_argument("the job store holds no job yet: create one with `tavso-host job new`");
    }
    return *latest;
}

std::unique_ptr<HostOsUtil> makeOsUtil(const HostConfig& config, int64_t jobId) {
    if (config.mountHost.kind == MountHostConfig::Kind::Linux) {
        return std::make_unique<LinuxHost>(config, static_cast<uint64_t>(jobId));
    }
    if (config.mountHost.controlPort == 0) {
        return std::make_unique<SimulatedHost>(config, static_cast<uint64_t>(jobId));
    }
    const SimulatorControl control(config.mountHost.controlAddress, config.mountHost.controlPort);
    auto host = std::make_unique<SimulatedHost>(
        config, static_cast<uint64_t>(jobId),
        [control](const std::vector<std::string>& initiators) { return control.presented(initiators); });
    // The host has its devices when the step begins, as a running machine would.
    host->sync();
    return host;
}

nlohmann::json volumeJson(const VolumeRecord& v) {
    nlohmann::json meta = nlohmann::json::object();
    for (const auto& [id, text] : v.metadata) {
        meta[std::to_string(id)] = text;
    }
    nlohmann::json transient = nlohmann::json::object();
    for (const auto& [id, text] : v.transient) {
        transient[std::to_string(id)] = text;
    }
    return {{"id", v.id},
            {"sourceDevice", v.sourceDevice},
            {"snapName", v.snapName},
            {"status", v.status},
            {"statusName", statusName(v.status)},
            {"errorCode", v.errorCode},
            {"errorText", v.errorText},
            {"snapDevice", v.snapDevice},
            {"metadata", meta},
            {"transientMetadata", transient}};
}

}  // namespace

int runCommandLine(int argc, char** argv) {
    CLI::App app{"tavso-host: runs backup-job steps through the tavso-huawei plug-in"};
    app.require_subcommand(1);
    const char* envConfig = std::getenv("TAVSO_HOST_CONFIG");
    std::string configPath = envConfig != nullptr ? envConfig : "tavso-host.json";
    app.add_option("-c,--config", configPath,
                   "configuration file (JSON); default $TAVSO_HOST_CONFIG or ./tavso-host.json");

    auto* demo =
        app.add_subcommand("demo", "two simulated arrays, a job over their LUNs, the life cycle so far");
    std::string demoPlugin, demoDir;
    demo->add_option("--plugin", demoPlugin, "plug-in library; default the build's own");
    demo->add_option("--work-dir", demoDir, "folder for the job store and devices; default a temporary one");

    auto* job = app.add_subcommand("job", "jobs");
    job->require_subcommand(1);
    auto* jobNew = job->add_subcommand("new", "create a job over volumes (device paths or NAS source texts)");
    std::vector<std::string> sources;
    std::string jobName = "job";
    jobNew->add_option("sources", sources, "source devices")->required();
    jobNew->add_option("--name", jobName, "job name");

    auto* run = app.add_subcommand("run", "run one step of a job through the plug-in");
    std::string step;
    int64_t jobId = 0;
    run->add_option("step", step, "step")->required()->check(CLI::IsMember(stepNames()));
    run->add_option("--job", jobId, "job id; default the latest");

    auto* show = app.add_subcommand("show", "jobs, volumes, statuses, errors, metadata");
    bool asJson = false;
    show->add_option("--job", jobId, "job id; default the latest");
    show->add_flag("--json", asJson, "as JSON");

    auto* devicesCmd =
        app.add_subcommand("devices", "the mount host's devices, as a job's sources would name them");

    auto* logCmd = app.add_subcommand("log", "the plug-in's log lines of a job");
    int minLevel = 0;
    logCmd->add_option("--job", jobId, "job id; default the latest");
    logCmd->add_option("--level", minLevel, "lowest level shown (0 detail, 1 information, 2 error)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? 0 : 1;
    }

    try {
        if (demo->parsed()) {
            return runDemo({demoPlugin, demoDir}, std::cout, std::cerr);
        }
        const HostConfig config = loadHostConfig(configPath);
        if (devicesCmd->parsed()) {
            for (const auto& d : makeOsUtil(config, 0)->devices()) {
                std::cout << d.path << "  " << d.vendor << "\n";
            }
            return 0;
        }
        JobStore store(config.storePath);
        if (jobNew->parsed()) {
            const int64_t id = store.createJob(jobName, sources);
            std::cout << "job " << id << " with " << sources.size() << " volume(s)\n";
            return 0;
        }
        if (run->parsed()) {
            const int64_t id = jobOrLatest(store, jobId);
            if (!config.settingsFile.empty()) {
                // The plug-in would take an unreadable file for one without any setting.
                if (!std::ifstream(config.settingsFile)) {
                    throw ConfigError("cannot read settings file " + config.settingsFile);
                }
                setenv("TAVSO_SETTINGS_FILE", config.settingsFile.c_str(), 1);
            }
            PluginLibrary plugin(config.pluginPath);
            auto osUtil = makeOsUtil(config, id);
            StepRunner runner(config, store, plugin.exports(), *osUtil);
            const StepOutcome outcome = runner.run(id, step);
            for (size_t i = 0; i < outcome.volumes.size(); ++i) {
                const auto& v = outcome.volumes[i];
                std::cout << step << "  " << v.sourceDevice << "  "
                          << (i < outcome.notes.size() ? outcome.notes[i] : statusName(v.status));
                if (v.errorCode != 0) {
                    std::cout << "  error " << v.errorCode << " " << v.errorText;
                }
                std::cout << "\n";
            }
            for (const auto& a : outcome.unknownArrays) {
                std::cerr << "tavso-host: the plug-in asked for array " << a << ", which " << configPath
                          << " does not configure\n";
            }
            // The volumes on an array the configuration lacks could not be tried: that is the
            // configuration's fault, whatever became of the others.
            return outcome.unknownArrays.empty() ? outcome.exitCode : 1;
        }
        if (show->parsed()) {
            const int64_t id = jobOrLatest(store, jobId);
            const auto volumes = store.volumes(id);
            if (asJson) {
                nlohmann::json doc = {
                    {"job", id}, {"volumes", nlohmann::json::array()}, {"steps", nlohmann::json::array()}};
                for (const auto& v : volumes) {
                    doc["volumes"].push_back(volumeJson(v));
                }
                for (const auto& s : store.steps(id)) {
                    doc["steps"].push_back({{"step", s.step}, {"result", s.result}, {"time", s.time}});
                }
                std::cout << doc.dump(2) << "\n";
                return 0;
            }
            std::cout << "job " << id << "\n";
            for (const auto& v : volumes) {
                std::cout << "  volume " << v.id << "  " << v.sourceDevice << "  " << statusName(v.status);
                if (!v.snapDevice.empty()) {
                    std::cout << "  device " << v.snapDevice;
                }
                if (v.errorCode != 0) {
                    std::cout << "  error " << v.errorCode << " " << v.errorText;
                }
                std::cout << "\n";
                for (const auto& [mid, text] : v.metadata) {
                    std::cout << "    metadata " << mid << ": " << text << "\n";
                }
            }
            for (const auto& s : store.steps(id)) {
                std::cout << "  step " << s.step << " -> " << s.result << " at " << s.time << "\n";
            }
            return 0;
        }
        if (logCmd->parsed()) {
            for (const auto& l : store.log(jobOrLatest(store, jobId), minLevel)) {
                std::cout << l.time << " [" << l.level << "] " << l.step << " vol " << l.volumeId << " "
                          << l.tag << ": " << l.text << "\n";
            }
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "tavso-host: " << e.what() << "\n";
        return 1;
    }
    return 1;
}

}  // namespace tavso::host
