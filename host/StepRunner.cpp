#include "host/StepRunner.h"

#include <unistd.h>

#include <list>
#include <map>
#include <memory>
#include <stdexcept>

#include "host/HostVolume.h"
#include "host/JobLog.h"

namespace tavso::host {

const std::vector<std::string>& stepNames() {
    static const std::vector<std::string> names = {"supported", "prepare",  "snap",     "is-mapped",
                                                   "map",       "unmap",    "delete",   "revert",
                                                   "reconcile", "identify", "unprepare"};
    return names;
}

int successStatus(const std::string& step) {
    static const std::map<std::string, int> statuses = {{"prepare", 1},  {"snap", 5},    {"map", 12},
                                                        {"unmap", 14},   {"delete", 20}, {"revert", 22},
                                                        {"unprepare", 3}};
    auto it = statuses.find(step);
    return it != statuses.end() ? it->second : 0;
}

std::string statusName(int status) {
    static const std::map<int, std::string> names = {{0, "reset"},
                                                     {1, "prepared"},
                                                     {2, "prepare failed"},
                                                     {3, "unprepared"},
                                                     {5, "snapped"},
                                                     {6, "snap failed"},
                                                     {7, "clone completed"},
                                                     {8, "clone completion failed"},
                                                     {9, "mapped, no device yet"},
                                                     {11, "not mapped"},
                                                     {12, "mapped"},
                                                     {14, "unmapped"},
                                                     {15, "unmap failed"},
                                                     {20, "deleted"},
                                                     {21, "delete failed"},
                                                     {22, "reverted"},
                                                     {23, "revert failed"},
                                                     {24, "gone from the array"}};
    auto it = names.find(status);
    return it != names.end() ? it->second : "status " + std::to_string(status);
}

std::string mountHostName(const HostConfig& config) {
    if (!config.mountHost.name.empty()) {
        return config.mountHost.name;
    }
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

StepRunner::StepRunner(const HostConfig& config, JobStore& store, const PluginExports& plugin,
                       HostOsUtil& osUtil)
    : m_config(config), m_store(store), m_plugin(plugin), m_osUtil(osUtil) {}

namespace {

int exitCodeFor(int succeeded, size_t count) {
    if (count > 0 && succeeded == static_cast<int>(count)) {
        return 0;
    }
    return succeeded > 0 ? 2 : 1;
}

}  // namespace

StepOutcome StepRunner::run(int64_t jobId, const std::string& step) {
    bool known = false;
    for (const auto& s : stepNames()) {
        known = known || s == step;
    }
    if (!known) {
        throw std::invalid_argument("unknown step \"" + step + "\"");
    }
    if (!m_store.job(jobId)) {
        throw std::invalid_argument("no job " + std::to_string(jobId) + " in the job store");
    }
    std::vector<std::string> secrets;
    for (const auto& a : m_config.arrays) {
        secrets.push_back(a.password);
    }
    JobLog log(secrets);
    const std::string hostId = mountHostName(m_config);
    std::vector<std::unique_ptr<HostVolume>> volumes;
    for (auto record : m_store.volumes(jobId)) {
        // A step's outcome is its own: an error of an earlier step does not linger.
        record.errorCode = 0;
        record.errorText.clear();
        volumes.push_back(std::make_unique<HostVolume>(std::move(record), m_config, log, hostId));
    }
    std::vector<TAVSO::SnapInfo*> batch;
    for (auto& v : volumes) {
        batch.push_back(v.get());
    }
    const short count = static_cast<short>(batch.size());
    TAVSO::SnapInfo** list = batch.empty() ? nullptr : batch.data();

    StepOutcome out;
    int succeeded = 0;
    if (step == "supported") {
        out.pluginResult = 0;
        for (auto& v : volumes) {
            const std::string device = v->record().sourceDevice;
            char unused[16] = {};
            const int r = m_plugin.isSupported(device.c_str(), TAVSO::SNAP_TYPE_DEFAULT, &m_osUtil, unused,
                                               sizeof unused);
            out.notes.push_back(r == 0 ? "supported" : r == 2 ? "other product" : "not identified");
            succeeded += r == 0 ? 1 : 0;
            out.pluginResult = std::max(out.pluginResult, r);
        }
        out.exitCode = exitCodeFor(succeeded, volumes.size());
    } else if (step == "identify") {
        std::map<std::string, std::list<std::string>> byVendor;
        auto& huawei = byVendor["HUAWEI  |::|"];
        for (const auto& d : m_osUtil.devices()) {
            if (d.vendor == "HUAWEI") {
                huawei.push_back(d.path);
            }
        }
        out.pluginResult = m_plugin.identifyDevices(list, count, &byVendor, 3, nullptr, &m_osUtil);
        for (const auto& d : byVendor["HUAWEI  |::|"]) {
            out.notes.push_back(d);
        }
        out.exitCode = out.pluginResult == 0 ? 0 : 1;
    } else {
        static const std::map<std::string, PluginExports::Batch PluginExports::*> batches = {
            {"prepare", &PluginExports::prepareDevices},    {"snap", &PluginExports::snapDevices},
            {"is-mapped", &PluginExports::isMapped},        {"map", &PluginExports::mapSnaps},
            {"unmap", &PluginExports::unmapSnaps},          {"delete", &PluginExports::deleteSnaps},
            {"revert", &PluginExports::revertSnaps},        {"reconcile", &PluginExports::reconcileSnaps},
            {"unprepare", &PluginExports::unprepareDevices}};
        out.pluginResult = (m_plugin.*batches.at(step))(list, count, &m_osUtil);
        const int wanted = successStatus(step);
        if (wanted == 0) {
            out.exitCode = out.pluginResult == 0 ? 0 : out.pluginResult == 2 ? 2 : 1;
        } else {
            for (auto& v : volumes) {
                succeeded += v->getStatus() == wanted ? 1 : 0;
            }
            out.exitCode = exitCodeFor(succeeded, volumes.size());
            // The plug-in's own word that the call failed is not overruled by the statuses.
            if (out.exitCode == 0 && out.pluginResult != 0) {
                out.exitCode = out.pluginResult == 2 ? 2 : 1;
            }
        }
    }
    for (auto& v : volumes) {
        out.volumes.push_back(v->record());
    }
    out.unknownArrays = log.unknownArrays();
    m_store.recordStep(jobId, step, out.exitCode, out.volumes, log.lines());
    return out;
}

}  // namespace tavso::host
