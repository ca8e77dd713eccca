#include "host/SimulatedHost.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>

#include "host/InquiryImageFile.h"

namespace tavso::host {

namespace fs = std::filesystem;

SimulatedHost::SimulatedHost(const HostConfig& config, uint64_t jobId, std::vector<sim::ArrayModel*> arrays)
    : SimulatedHost(config, jobId, [arrays](const std::vector<std::string>& initiators) {
          return presentedBy(arrays, initiators);
      }) {}

SimulatedHost::SimulatedHost(const HostConfig& config, uint64_t jobId, PresentationSource source)
    : HostOsUtil(config, jobId), m_dir(config.mountHost.deviceDir), m_source(std::move(source)) {
    std::error_code ec;
    fs::create_directories(m_dir, ec);
}

std::string SimulatedHost::devicePath(const std::string& serial, uint32_t objectId) const {
    return (fs::path(m_dir) / ("hw-" + serial + "-" + std::to_string(objectId))).string();
}

std::vector<HostDevice> SimulatedHost::devices() {
    std::vector<HostDevice> out;
    std::error_code ec;
    for (fs::directory_iterator it(m_dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file()) {
            continue;
        }
        if (auto pages = readInquiryImage(it->path().string())) {
            out.push_back({it->path().string(), inquiryVendor(*pages)});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const HostDevice& a, const HostDevice& b) { return a.path < b.path; });
    return out;
}

std::vector<InitiatorConfig> SimulatedHost::initiators() {
    return config().mountHost.initiators;
}

void SimulatedHost::sync() {
    std::vector<std::string> names;
    for (const auto& i : initiators()) {
        names.push_back(i.name);
    }
    std::error_code ec;
    for (const auto& array : m_source(names)) {
        std::set<std::string> keep;
        for (const auto& d : array.devices) {
            const std::string path = devicePath(array.serial, d.id);
            writeInquiryImage(path, d.pages);
            keep.insert(path);
        }
        // What this array no longer presents is gone from the bus.
        const std::string prefix = "hw-" + array.serial + "-";
        std::vector<fs::path> stale;
        for (fs::directory_iterator it(m_dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.rfind(prefix, 0) == 0 && keep.count(it->path().string()) == 0) {
                stale.push_back(it->path());
            }
        }
        for (const auto& p : stale) {
            fs::remove(p, ec);
        }
    }
}

void SimulatedHost::rescan(const std::vector<std::string>&, const std::vector<std::string>& remove) {
    // Only files of our own device folder are ever removed, whatever path we are handed.
    std::error_code ec;
    const fs::path dir = fs::weakly_canonical(m_dir, ec);
    for (const auto& device : remove) {
        const fs::path p = fs::weakly_canonical(device, ec);
        if (!ec && p.parent_path() == dir && fs::is_regular_file(p, ec)) {
            fs::remove(p, ec);
        }
    }
    try {
        sync();
    } catch (const PresentationError& e) {
        // The plug-in's rescan has no way to hear of it; it will find no new device.
        std::cerr << "tavso-host: bus rescan: " << e.what() << "; the devices stay as they were\n";
    }
}

}  // namespace tavso::host
