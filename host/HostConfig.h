// tavso-host's configuration file (JSON): the arrays and their access details, the host job
// configuration handed to the plug-in, its settings file, and the mount host.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tavso::host {

class ConfigError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ArrayConfig {
    std::string arrayId;  // the array's serial number, or a vStore's name
    std::string address;  // management address
    std::string user;
    std::string password;
    int engineId = 39;
    unsigned flags = 0;  // 8: a vStore
    std::string engineName;
};

struct InitiatorConfig {
    std::string name;  // FC port WWN or iSCSI name
    bool iscsi = false;
};

struct MountHostConfig {
    enum class Kind { Simulated, Linux };
    Kind kind = Kind::Simulated;
    std::string name;  // empty: this machine's host name
    // Simulated host.
    std::vector<InitiatorConfig> initiators;
    std::string deviceDir;
    // arraysim's control endpoint ("simulatorControl": "<address>:<port>"); no port: the arrays
    // are embedded in this process (the demo) or there are none.
    std::string controlAddress;
    uint16_t controlPort = 0;
    // Real Linux host; both are roots so that a test can point them at a fake tree.
    std::string sysRoot = "/sys";
    std::string iscsiNameFile = "/etc/iscsi/initiatorname.iscsi";
};

struct HostConfig {
    std::string pluginPath;
    std::string storePath;
    std::string settingsFile;  // empty: leave TAVSO_SETTINGS_FILE as it is
    std::vector<ArrayConfig> arrays;
    std::map<std::string, nlohmann::json> jobConfig;  // SMCONFIG_NAME_* -> number or text
    MountHostConfig mountHost;

    const ArrayConfig* findArray(const std::string& arrayId) const;
    std::optional<int> configInt(const std::string& key) const;
    std::optional<std::string> configString(const std::string& key) const;
};

// Relative paths in the file are taken from the file's own folder. Throws ConfigError.
HostConfig loadHostConfig(const std::string& path);
HostConfig parseHostConfig(const nlohmann::json& doc, const std::string& baseDir);

// Where the build put the plug-in.
std::string defaultPluginPath();

}  // namespace tavso::host
