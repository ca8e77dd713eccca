#include "host/HostConfig.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef TAVSO_DEFAULT_PLUGIN
#define TAVSO_DEFAULT_PLUGIN "libtavso_huawei.so"
#endif

namespace tavso::host {

namespace fs = std::filesystem;
using nlohmann::json;

std::string defaultPluginPath() {
    return TAVSO_DEFAULT_PLUGIN;
}

const ArrayConfig* HostConfig::findArray(const std::string& arrayId) const {
    for (const auto& a : arrays) {
        if (a.arrayId == arrayId) {
            return &a;
        }
    }
    return nullptr;
}

std::optional<int> HostConfig::configInt(const std::string& key) const {
    auto it = jobConfig.find(key);
    if (it == jobConfig.end()) {
        return std::nullopt;
    }
    if (it->second.is_number_integer()) {
        return it->second.get<int>();
    }
    if (it->second.is_boolean()) {
        return it->second.get<bool>() ? 1 : 0;
    }
    try {
        size_t used = 0;
        const std::string text = it->second.get<std::string>();
        int v = std::stoi(text, &used);
        if (used == text.size()) {
            return v;
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<std::string> HostConfig::configString(const std::string& key) const {
    auto it = jobConfig.find(key);
    if (it == jobConfig.end()) {
        return std::nullopt;
    }
    if (it->second.is_string()) {
        return it->second.get<std::string>();
    }
    if (it->second.is_boolean()) {
        return std::string(it->second.get<bool>() ? "1" : "0");
    }
    return it->second.dump();
}

namespace {

std::string readTextFile(const std::string& path, const std::string& what) {
    std::ifstream in(path);
    if (!in) {
        throw ConfigError("cannot read " + what + " " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string resolvePath(const std::string& baseDir, const std::string& p) {
    if (p.empty() || fs::path(p).is_absolute() || baseDir.empty()) {
        return p;
    }
    return (fs::path(baseDir) / p).lexically_normal().string();
}

std::string getString(const json& obj, const char* key, const std::string& where, bool required,
                      const std::string& fallback = {}) {
    auto it = obj.find(key);
    if (it == obj.end()) {
        if (required) {
            throw ConfigError(where + ": \"" + key + "\" is missing");
        }
        return fallback;
    }
    if (!it->is_string()) {
        throw ConfigError(where + ": \"" + key + "\" must be a text");
    }
    return it->get<std::string>();
}

// The plug-in reads the access details as key:value items split at commas and braces, with no
// quoting: such a character inside a value would cut it, or smuggle in another item.
void checkItemValue(const std::string& value, const std::string& where, const char* key) {
    for (char c : value) {
        if (c == ',' || c == '{' || c == '}' || static_cast<unsigned char>(c) < 0x20) {
            throw ConfigError(where + ": \"" + key +
                              "\" holds a comma, a brace or a control character, which the plug-in "
                              "cannot carry");
        }
    }
}

ArrayConfig parseArray(const json& a, size_t index, const std::string& baseDir) {
    const std::string where = "arrays[" + std::to_string(index) + "]";
    if (!a.is_object()) {
        throw ConfigError(where + " must be an object");
    }
    ArrayConfig c;
    c.arrayId = getString(a, "arrayId", where, true);
    c.address = getString(a, "address", where, true);
    c.user = getString(a, "user", where, true);
    if (a.contains("passwordFile")) {
        std::string text = readTextFile(resolvePath(baseDir, getString(a, "passwordFile", where, true)),
                                        where + " password file");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        c.password = text;
    } else {
        c.password = getString(a, "password", where, true);
    }
    c.engineName = getString(a, "engineName", where, false, "huawei");
    if (a.contains("engineId")) {
        if (!a["engineId"].is_number_integer()) {
            throw ConfigError(where + ": \"engineId\" must be an integer");
        }
        c.engineId = a["engineId"].get<int>();
    }
    if (a.contains("flags")) {
        if (!a["flags"].is_number_unsigned()) {
            throw ConfigError(where + ": \"flags\" must be a non-negative integer");
        }
        c.flags = a["flags"].get<unsigned>();
    }
    if (c.arrayId.empty()) {
        throw ConfigError(where + ": \"arrayId\" is empty");
    }
    checkItemValue(c.arrayId, where, "arrayId");
    checkItemValue(c.address, where, "address");
    checkItemValue(c.user, where, "user");
    checkItemValue(c.password, where, "password");
    checkItemValue(c.engineName, where, "engineName");
    return c;
}

void parseEndpoint(const std::string& text, MountHostConfig& c) {
    const size_t colon = text.rfind(':');
    const std::string port = colon == std::string::npos ? "" : text.substr(colon + 1);
    unsigned long number = 0;
    if (!port.empty() && port.size() <= 5 && port.find_first_not_of("0123456789") == std::string::npos) {
        number = std::stoul(port);
    }
    if (colon == 0 || number == 0 || number > 65535) {
        throw ConfigError("mountHost: \"simulatorControl\" must be <address>:<port>, not \"" + text + "\"");
    }
    c.controlAddress = text.substr(0, colon);
    c.controlPort = static_cast<uint16_t>(number);
}

MountHostConfig parseMountHost(const json& m, const std::string& baseDir) {
    const std::string where = "mountHost";
    if (!m.is_object()) {
        throw ConfigError(where + " must be an object");
    }
    MountHostConfig c;
    const std::string kind = getString(m, "kind", where, false, "simulated");
    if (kind == "simulated") {
        c.kind = MountHostConfig::Kind::Simulated;
    } else if (kind == "linux") {
        c.kind = MountHostConfig::Kind::Linux;
    } else {
        throw ConfigError(where + ": \"kind\" must be \"simulated\" or \"linux\", not \"" + kind + "\"");
    }
    c.name = getString(m, "name", where, false);
    if (m.contains("simulatorControl")) {
        parseEndpoint(getString(m, "simulatorControl", where, true), c);
    }
    c.deviceDir = resolvePath(baseDir, getString(m, "deviceDir", where, false, "devices"));
    c.sysRoot = getString(m, "sysRoot", where, false, c.sysRoot);
    c.iscsiNameFile = getString(m, "iscsiNameFile", where, false, c.iscsiNameFile);
    if (m.contains("initiators")) {
        if (!m["initiators"].is_array()) {
            throw ConfigError(where + ": \"initiators\" must be a list");
        }
        for (const auto& i : m["initiators"]) {
            InitiatorConfig ic;
            ic.name = getString(i, "name", where + ".initiators", true);
            const std::string type = getString(i, "type", where + ".initiators", false, "fc");
            if (type != "fc" && type != "iscsi") {
                throw ConfigError(where + ".initiators: \"type\" must be \"fc\" or \"iscsi\"");
            }
            ic.iscsi = type == "iscsi";
            checkItemValue(ic.name, where + ".initiators", "name");
            c.initiators.push_back(ic);
        }
    }
    return c;
}

}  // namespace

HostConfig parseHostConfig(const json& doc, const std::string& baseDir) {
    if (!doc.is_object()) {
        throw ConfigError("the configuration must be a JSON object");
    }
    HostConfig c;
    c.pluginPath =
        resolvePath(baseDir, getString(doc, "plugin", "configuration", false, defaultPluginPath()));
    c.storePath = resolvePath(baseDir, getString(doc, "store", "configuration", false, "tavso-host.db"));
    c.settingsFile = resolvePath(baseDir, getString(doc, "settingsFile", "configuration", false));
    if (doc.contains("arrays")) {
        if (!doc["arrays"].is_array()) {
            throw ConfigError("\"arrays\" must be a list");
        }
        for (size_t i = 0; i < doc["arrays"].size(); ++i) {
            ArrayConfig a = parseArray(doc["arrays"][i], i, baseDir);
            if (c.findArray(a.arrayId) != nullptr) {
                throw ConfigError("array " + a.arrayId + " is configured twice");
            }
            c.arrays.push_back(a);
        }
    }
    if (doc.contains("job")) {
        if (!doc["job"].is_object()) {
            throw ConfigError("\"job\" must be an object of SMCONFIG_NAME_* values");
        }
        for (const auto& [key, value] : doc["job"].items()) {
            if (!value.is_primitive() || value.is_null()) {
                throw ConfigError("job: \"" + key + "\" must be a number or a text");
            }
            c.jobConfig[key] = value;
        }
    }
    if (doc.contains("mountHost")) {
        c.mountHost = parseMountHost(doc["mountHost"], baseDir);
    } else {
        c.mountHost.deviceDir = resolvePath(baseDir, "devices");
    }
    return c;
}

HostConfig loadHostConfig(const std::string& path) {
    const std::string text = readTextFile(path, "configuration file");
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::parse_error& e) {
        throw ConfigError("configuration file " + path + " is not valid JSON: " + e.what());
    }
    const std::string baseDir = fs::path(path).parent_path().string();
    try {
        return parseHostConfig(doc, baseDir.empty() ? "." : baseDir);
    } catch (const ConfigError& e) {
        throw ConfigError("configuration file " + path + ": " + e.what());
    }
}

}  // namespace tavso::host
