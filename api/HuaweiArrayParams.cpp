#include "api/HuaweiArrayParams.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "api/HuaweiLog.h"

namespace {

const char* const kTag = "Huawei-initArrayParams";

// An integer setting: the settings store first, then the host; 0 when neither has it.
int ReadConfigInt(TAVSO::SnapInfo* volume, const char* regKey, const char* hostKey, int fallback = 0) {
    int value = fallback;
    if (!GetRegInt(nullptr, regKey, &value)) {
        value = fallback;
        volume->getConfigInt(hostKey, &value);
    }
    return value;
}

std::string ReadConfigString(TAVSO::SnapInfo* volume, const char* regKey, const char* hostKey) {
    std::string value;
    if (GetRegString(nullptr, regKey, &value)) {
        return value;
    }
    char buffer[1024] = {};
    int length = 1023;
    volume->getConfigString(hostKey, buffer, &length);
    buffer[sizeof buffer - 1] = '\0';
    return std::string(buffer, strnlen(buffer, sizeof buffer - 1));
}

bool HasBlank(const std::string& text) {
    return text.find(' ') != std::string::npos;
}

// A "DOMAIN\\user" login arrives with the backslash doubled; only the second one goes.
void DropSecondBackslash(std::string& userName) {
    size_t first = userName.find('\\');
    if (first == std::string::npos) {
        return;
    }
    size_t second = userName.find('\\', first + 1);
    if (second != std::string::npos) {
        userName.erase(second, 1);
    }
}

bool ReadCredentials(TAVSO::SnapInfo* volume, const std::string& requested, _HuaweiCliParams& p,
                     short& engineId, bool firstUse) {
    if (volume->setLoginCredentials(requested.c_str()) != 0) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "[ERROR]Unable to set the login credentials");
        setError(volume, 62005, "Unable to set the array login credentials");
        return false;
    }
    std::vector<char> buffer(4096, '\0');
    short length = 4096;
    if (volume->getLoginCredentials(buffer.data(), &length) != 0) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "%s: Failed to get array info for array id [%s]",
            "initAndGetArrayParams", requested.c_str());
        setError(volume, 62005, "Failed to get array info");
        return false;
    }
    std::string text(buffer.data(), strnlen(buffer.data(), buffer.size()));
    if (!parseJsonString(volume, text, "arrayId", p.arrayId)) {
        return false;
    }
    if (!firstUse && p.arrayId != requested) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "%s: [ERROR]array info returns wrong array-id [%s]",
            "initAndGetArrayParams", p.arrayId.c_str());
        setError(volume, 62005, "Failed to get array info");
        return false;
    }
    std::string engine;
    if (!parseJsonString(volume, text, "hostName", p.hostName) ||
        !parseJsonString(volume, text, "hostUserName", p.userName) ||
        !parseJsonString(volume, text, "hostPassword", p.password) ||
        !parseJsonString(volume, text, "engineId", engine)) {
        return false;
    }
    engineId = static_cast<short>(std::atoi(engine.c_str()));
    DropSecondBackslash(p.userName);
    return true;
}

bool ReadConfiguration(TAVSO::SnapInfo* volume, _HuaweiCliParams& p) {
    int v = ReadConfigInt(volume, "HW_CLI_TIMEOUT_SECS", "SMCONFIG_NAME_CLI_TIMEOUT_SECS");
    p.cliTimeoutMs = v == 0 ? 1800000u : static_cast<unsigned>(v) * 1000u;
    v = ReadConfigInt(volume, "HW_JOB_TIMEOUT_SECS", "SMCONFIG_NAME_JOB_TIMEOUT_SECS");
    p.jobTimeoutSecs = v == 0 ? 2592000u : static_cast<unsigned>(v);
    v = ReadConfigInt(volume, "HW_JOB_SPEED", "SMCONFIG_NAME_JOB_SPEED");
    p.jobSpeed = (v < 1 || v > 4) ? 2u : static_cast<unsigned>(v);

    p.storagePool = ReadConfigString(volume, "HW_STORAGE_DEVICE_GROUP", "SMCONFIG_NAME_STORAGE_DEVICE_GROUP");
    if (HasBlank(p.storagePool)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "[ERROR]Invalid Storage-pool name has been configured [%s]",
            p.storagePool.c_str());
        setError(volume, 62005, "Invalid Storage-pool name has been configured ");
        return false;
    }
    p.failoverHostName = ReadConfigString(volume, "SMCONFIG_NAME_FAILOVER_CONTROLER_IP",
                                          "SMCONFIG_NAME_FAILOVER_CONTROLER_IP");
    p.useDevicesOnlyFromGroup = ReadConfigInt(volume, "HW_USE_DEVICES_ONLY_FROM_THIS_GROUP",
                                              "SMCONFIG_NAME_USE_DEVICES_ONLY_FROM_THIS_GROUP") == 1;
    p.provisioning = ReadConfigInt(volume, "HW_PROVISIONING", "SMCONFIG_NAME_PROVISIONING");
    p.fullClone =
        ReadConfigInt(volume, "HW_USE_INCREMENTAL_CLONE", "SMCONFIG_NAME_USE_INCREMENTAL_CLONE") == 0;
    p.thinAllocationPercent =
        ReadConfigInt(volume, "HW_THIN_ALLOCATION_PERCENT", "SMCONFIG_NAME_THIN_ALLOCATION_PERCENT");
    v = ReadConfigInt(volume, "HW_CLONE_RETAIN_COUNT", "SMCONFIG_NAME_CLONE_RETAIN_COUNT");
    p.cloneRetainCount = v == 0 ? 3u : static_cast<unsigned>(v);
    p.preferIscsi = ReadConfigInt(volume, "HW_PREFER_ISCSI", "SMCONFIG_NAME_PREFER_ISCSI") != 0;

    p.mappingPort = ReadConfigString(volume, "HW_USE_ONLY_THIS_PORT", "SMCONFIG_NAME_USE_ONLY_THIS_PORT");
    if (HasBlank(p.mappingPort)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "[ERROR]Invalid Initiator id has been configured [%s]",
            p.mappingPort.c_str());
        setError(volume, 62005, "Invalid Initiator id has been configured");
        return false;
    }
    p.ignoreFirmwareCheck = true;
    p.mappingView.clear();
    p.mappingView = ReadConfigString(volume, "SMCONFIG_NAME_USE_ONLY_THIS_MAPPING_VIEW",
                                     "SMCONFIG_NAME_USE_ONLY_THIS_MAPPING_VIEW");
    if (HasBlank(p.mappingView)) {
        Log(kTag, volume, TAVSO::LOG_ERROR, "[ERROR]Invalid Mapping-view name has been configured [%s]",
            p.mappingView.c_str());
        setError(volume, 62005, "Invalid Mapping-view name has been configured");
        return false;
    }
    p.parallel = true;
    v = ReadConfigInt(volume, "HW_ENABLE_PARALLEL_SNAP_OPERATIONS",
                      "SMCONFIG_NAME_ENABLE_PARALLEL_SNAP_OPERATIONS", 1);
    if (v == 0) {
        Log(kTag, volume, TAVSO::LOG_DETAIL,
            "found Array Config Huawei Disabled PARALLEL Snap operation - %d", v);
        p.parallel = false;
    }
    return true;
}

}  // namespace

bool initAndGetArrayParams(TAVSO::SnapInfo* volume, std::string arrayId, _HuaweiCliParams& parameters,
                           short& engineId, bool firstUse) {
    if (!volume) {
        return false;
    }
    if (!ReadCredentials(volume, arrayId, parameters, engineId, firstUse)) {
        return false;
    }
    char name[1024] = {};
    short length = 1024;
    volume->getSnapName(name, &length);
    name[sizeof name - 1] = '\0';
    parameters.snapName.assign(name, strnlen(name, sizeof name - 1));
    return ReadConfiguration(volume, parameters);
}

void DumpCliParams(TAVSO::SnapInfo* volume, _HuaweiCliParams& p) {
    const char* provisioning = p.provisioning == 0 ? "use-source" : (p.provisioning == 1 ? "Thin" : "Thick");
    Log("DumpCliParams", volume, TAVSO::LOG_INFO,
        "[ Array-id - %s ]  [Host - %s] [failover - %s] [%u - %u] [Snap-name - %s] [CliTimeout %u M.seconds] "
        "[Job timeout %u seconds] [Job-speed - %u] [Full-Clone - %s] [Use-device group- %s] [Device-Group - "
        "%s] [provision method - %s] [Alloc - %u%%] [Clone-retain count - %u] [prefer iSCSI -%s] [Mapping "
        "port - %s] [Mapping view - %s]",
        p.arrayId.c_str(), p.hostName.c_str(), p.failoverHostName.c_str(),
        static_cast<unsigned>(p.userName.size()), static_cast<unsigned>(p.password.size()),
        p.snapName.c_str(), p.cliTimeoutMs, p.jobTimeoutSecs, p.jobSpeed, p.fullClone ? "Yes" : "No",
        p.useDevicesOnlyFromGroup ? "Yes" : "NO", p.storagePool.c_str(), provisioning,
        static_cast<unsigned>(p.thinAllocationPercent), p.cloneRetainCount, p.preferIscsi ? "Yes" : "No",
        p.mappingPort.c_str(), p.mappingView.c_str());
}
