// Connection, login and configuration of one array, loaded from the host and the settings store.
#pragma once

#include <string>

#include "api/HuaweiKeyValue.h"
#include "api/HuaweiSettings.h"
#include "platform/TavsoHost.h"

// Engine id of the snapshot engine; every other id means the clone engine.
constexpr short HUAWEI_SNAPSHOT_ENGINE_ID = 39;

struct _HuaweiCliParams {
    std::string hostName;
    std::string failoverHostName;
    std::string userName;
    std::string password;  // never logged
    std::string arrayId;
    std::string snapName;
    std::string mappingView;
    unsigned int cliTimeoutMs = 108000;
    unsigned int jobTimeoutSecs = 2592000;
    unsigned int jobSpeed = 2;
    unsigned int cloneRetainCount = 3;
    // Set only by initAndGetArrayParams; a record that did not pass through it is not for clones.
    bool useDevicesOnlyFromGroup = false;
    std::string storagePool;
    int provisioning = 0;
    int thinAllocationPercent = 0;
    bool fullClone = false;
    std::string mappingPort;
    bool preferIscsi = false;
    bool parallel = true;
    bool ignoreFirmwareCheck = false;
    bool useRest = true;
};

// Fills parameters for arrayId from the host's credentials and the configuration. In first-use mode
// the host may report another array id than the one asked for.
bool initAndGetArrayParams(TAVSO::SnapInfo* volume, std::string arrayId, _HuaweiCliParams& parameters,
                           short& engineId, bool firstUse);

// Logs the record at level 1; the user name and password only by length.
void DumpCliParams(TAVSO::SnapInfo* volume, _HuaweiCliParams& parameters);
