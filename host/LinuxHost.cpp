#include "host/LinuxHost.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

namespace tavso::host {

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& p) {
    std::ifstream in(p);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) {
        line.pop_back();
    }
    return line;
}

bool writeText(const fs::path& p, const std::string& text) {
    std::ofstream out(p);
    out << text;
    return static_cast<bool>(out.flush());
}

std::vector<fs::path> sortedEntries(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Only a plain SCSI disk name taken from /dev/<name>: anything else the plug-in hands over is
// not ours to delete.
bool scsiDiskName(const std::string& device, std::string& name) {
    static const std::regex pattern("^/dev/(sd[a-z]+)$");
    std::smatch m;
    if (!std::regex_match(device, m, pattern)) {
        return false;
    }
    name = m[1];
    return true;
}

}  // namespace

LinuxHost::LinuxHost(const HostConfig& config, uint64_t jobId)
    : HostOsUtil(config, jobId), m_sys(config.mountHost.sysRoot) {}

std::vector<HostDevice> LinuxHost::devices() {
    std::vector<HostDevice> out;
    for (const auto& block : sortedEntries(fs::path(m_sys) / "block")) {
        const fs::path vendorFile = block / "device" / "vendor";
        std::error_code ec;
        if (!fs::exists(vendorFile, ec)) {
            continue;  // not a SCSI device (loop, dm, nvme)
        }
        out.push_back({"/dev/" + block.filename().string(), firstLine(vendorFile)});
    }
    return out;
}

std::vector<InitiatorConfig> LinuxHost::initiators() {
    std::vector<InitiatorConfig> out;
    for (const auto& host : sortedEntries(fs::path(m_sys) / "class" / "fc_host")) {
        std::string port = firstLine(host / "port_name");
        if (port.rfind("0x", 0) == 0) {
            port = port.substr(2);
        }
        if (!port.empty()) {
            out.push_back({port, false});
        }
    }
    std::ifstream in(config().mountHost.iscsiNameFile);
    for (std::string line; std::getline(in, line);) {
        const std::string key = "InitiatorName=";
        if (line.rfind(key, 0) == 0 && line.size() > key.size()) {
            out.push_back({line.substr(key.size()), true});
            break;
        }
    }
    return out;
}

void LinuxHost::rescan(const std::vector<std::string>&, const std::vector<std::string>& remove) {
    for (const auto& device : remove) {
        std::string name;
        if (scsiDiskName(device, name)) {
            writeText(fs::path(m_sys) / "block" / name / "device" / "delete", "1");
        }
    }
    // Wildcard scan of every channel, target and LUN of every SCSI host.
    for (const auto& host : sortedEntries(fs::path(m_sys) / "class" / "scsi_host")) {
        writeText(host / "scan", "- - -");
    }
}

}  // namespace tavso::host
