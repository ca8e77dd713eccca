// The prepare operation: finds the array and LUN behind every volume, chooses the transport per
// array, checks the array and the LUN, and stores the first metadata text on the volume.
#include <map>
#include <string>

#include "api/HuaweiArrayParams.h"
#include "api/HuaweiDeviceInfo.h"
#include "api/HuaweiKeyValue.h"
#include "api/HuaweiLog.h"
#include "api/HuaweiMetaData.h"
#include "api/HuaweiRestSelection.h"
#include "api/HuaweiSettings.h"
#include "api/TAVSOHuaweiAPI.h"
#include "cli/HuaeiParser.h"
#include "cli/HuaweiManager.h"
#include "platform/TavManageHuawei.h"

namespace {

const char kTag[] = "Huawei-tavso_prepareDevices";
const int kPrepareError = 62008;
const int kPrepared = 1;
const int kPrepareFailed = 2;
const size_t kSourceDeviceSize = 1024;
const size_t kMetadataSize = 4096;
const char kNoNdmp[] = "Brisko operations for Huawei NDMP DRV is not supported.";

// What one call keeps: the transport per array (asked once each) and the job-wide engine.
struct PrepareCall {
    TAVSO::SnapInfo** volumes;
    short count;
    TAVSO::TAVOSUtil* osUtil;
    std::map<std::string, bool> restByArray;
    bool engineFixed = false;
    bool snapshotEngine = true;
    bool parallel = true;
    _MetaDataParams meta;
};

std::string sourceDeviceOf(TAVSO::SnapInfo* volume) {
    std::string buffer(kSourceDeviceSize, '\0');
    short length = static_cast<short>(kSourceDeviceSize);
    volume->getSourceDevice(&buffer[0], &length);
    return buffer.substr(0, buffer.find('\0'));
}

void fail(TAVSO::SnapInfo* volume, const std::string& text) {
    volume->setStatus(kPrepareFailed);
    setError(volume, kPrepareError, text.c_str());
}

// File-system volumes go to the file-system engine as a whole call. It is not part of this build:
// the call fails on every volume rather than preparing some of them as LUNs.
int prepareFileSystemCall(const PrepareCall& call, unsigned fsType) {
    const std::string text =
        "File-system snapshots (type " + std::to_string(fsType) + ") are not available in this plug-in build";
    Log(kTag, call.volumes[0], TAVSO::LOG_ERROR, "%s", text.c_str());
    for (short i = 0; i < call.count; ++i) {
        if (call.volumes[i]) {
            fail(call.volumes[i], text);
        }
    }
    return 1;
}

// The call is handed over or refused as a whole when a volume is a file-system source; -1 otherwise.
int fileSystemHandOver(const PrepareCall& call, TAVSO::SnapInfo* volume, const std::string& device) {
    std::string type;
    if (!GetJsonVal(device, "type", type)) {
        return -1;
    }
    if (type == "nfs") {
        return prepareFileSystemCall(call, 1);
    }
    if (type == "unc") {
        return prepareFileSystemCall(call, 2);
    }
    if (type != "native_huawei") {
        return -1;
    }
    int enabled = 0;
    if (!GetRegInt(nullptr, "EnableHuaweiNDMPSnap", &enabled)) {
        Log(kTag, call.volumes[0], TAVSO::LOG_ERROR,
            "Unable to get the registry key setting [EnableHuaweiNDMPSnap]. ");
        setError(volume, kPrepareError, kNoNdmp);
        return 1;
    }
    if (enabled == 0) {
        setError(volume, kPrepareError, kNoNdmp);
        return 1;
    }
    return prepareFileSystemCall(call, 3);
}

bool verifyOverCli(TAVSO::SnapInfo* first, TAVSO::SnapInfo* volume, const _HuaweiCliParams& parameters,
                   const std::string& arrayId, unsigned lunId, std::string& lunName,
                   const std::string& device) {
    CHuaweiManager manager;
    if (!manager.Init(&g_HuaweiCS, parameters, Log, volume)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "HUAWEI-RESULT [ERROR] Failed to connect Array [%s]",
            manager.GetLastErrorString());
        fail(volume, manager.GetLastErrorString());
        return false;
    }
    if (!manager.VerifyArrayAndLun(arrayId.c_str(), lunId, lunName)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "(%s)", device.c_str());
        fail(volume, manager.GetLastErrorString());
        manager.DumpLastCLIActivity();
        manager.Uninitialize();
        return false;
    }
    manager.Uninitialize();
    Log(kTag, first, TAVSO::LOG_INFO,
        "Array has been verified [Array - %s] [source Lun - %s][source lun-id - %u]", arrayId.c_str(),
        lunName.c_str(), lunId);
    return true;
}

// The session's array (or vStore) must be the one the device names.
std::string wrongArrayText(TavManageHuawei& rest, const std::string& arrayId) {
    const std::string vstoreId = rest.getvStoreId();
    if (vstoreId == TavManageHuawei::kNoVStore) {
        _HuaweiSystemInformation system;
        rest.getSystemInformation(system);
        if (system.serialNumber != arrayId) {
            return "[ERROR]  Incorrect array has been configured [" + arrayId + "]. Connected to array [" +
                   system.serialNumber + "]";
        }
        return {};
    }
    std::string vstoreName;
    rest.getVStoreNameFromId(vstoreId, vstoreName);
    if (vstoreName != arrayId) {
        return "[ERROR]  Incorrect vstore has been configured [" + arrayId + "]. Connected to vstore [" +
               vstoreName + "]";
    }
    return {};
}

bool verifyOverRest(TAVSO::SnapInfo* first, TAVSO::SnapInfo* volume, uint64_t jobId,
                    const _HuaweiCliParams& parameters, const std::string& arrayId, unsigned lunId,
                    std::string& lunName) {
    TavManageHuawei rest(jobId);
    if (!rest.createSession(parameters.userName, parameters.password, parameters.hostName)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "HUAWEI-RESULT[FS] [ERROR] Failed to connect to array.");
        fail(volume, "Failed to connect to array");
        return false;
    }
    const std::string wrong = wrongArrayText(rest, arrayId);
    if (!wrong.empty()) {
        Log(kTag, first, TAVSO::LOG_ERROR, "%s", wrong.c_str());
        fail(volume, wrong);
        rest.closeSession();
        return false;
    }
    _HuaweiLUNInfo lun;
    HuaweiApi::ResultStatus status = rest.getLUNInfo(lun, std::to_string(lunId), rest.getvStoreId());
    rest.closeSession();
    if (status.IsError()) {
        Log(kTag, first, TAVSO::LOG_ERROR,
            "Prepare Failed [Array - %s] [source Lun - %s][source lun-id - %u]", arrayId.c_str(),
            lunName.c_str(), lunId);
        fail(volume, status.GetErrorString());
        return false;
    }
    lunName = lun.name;
    Log(kTag, first, TAVSO::LOG_INFO,
        "Array has been verified [Array - %s] [source Lun - %s][source lun-id - %u]", arrayId.c_str(),
        lunName.c_str(), lunId);
    return true;
}

// The device's array and LUN; false (status set) when the device is not a supported LUN.
bool identify(TAVSO::SnapInfo* first, TAVSO::SnapInfo* volume, TAVSO::TAVOSUtil* osUtil,
              const std::string& device, std::string& arrayId, int& lunId) {
    Log(kTag, first, TAVSO::LOG_DETAIL, "%s: **Attempting to get array info from host device path %s", kTag,
        device.c_str());
    const size_t inquiry = device.find("standardinqury:");
    if (device.find("vmware") != std::string::npos && inquiry != std::string::npos) {
        const size_t start = inquiry + std::string("standardinqury:").size();
        convertHexToAsciiAndDump(device.substr(start, device.find(',', start) - start));
    }
    std::string vendor, product, lunWwn, lunUuid;
    if (!getDevArrayInfo(device.c_str(), vendor, product, arrayId, lunWwn, lunUuid, lunId, first, osUtil)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "%s: Failed to get Huawei Array name from host device name[%s]",
            kTag, device.c_str());
        volume->setStatus(kPrepareFailed);
        return false;
    }
    Log(kTag, first, TAVSO::LOG_INFO,
        "%s [Vendor-id - %s] [Product-id - %s] [Array-id - %s] [Lun-WWN - %s] [LUN-ID - %u] [Src-Dev - %s]",
        kTag, vendor.c_str(), product.c_str(), arrayId.c_str(), lunWwn.c_str(), static_cast<unsigned>(lunId),
        device.c_str());
    HuaeiParser::trimstring(product);
    if (isSupportedProduct(product)) {
        return true;
    }
    Log(kTag, first, TAVSO::LOG_ERROR,
        "%s: The device %s does not belong to Huawei array. Vendor of the device is - %s and [product line "
        "%s](%d)",
        kTag, device.c_str(), vendor.c_str(), product.c_str(), static_cast<int>(product.size()));
    for (size_t i = 0; i < product.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(product[i]);
        Log(kTag, first, TAVSO::LOG_ERROR, "%s: [Product-id(%llu) = %u - %c]", kTag,
            static_cast<unsigned long long>(i), static_cast<unsigned>(c), c);
    }
    volume->setStatus(kPrepareFailed);
    return false;
}

void prepareVolume(PrepareCall& call, TAVSO::SnapInfo* volume, const std::string& device) {
    TAVSO::SnapInfo* first = call.volumes[0];
    std::string arrayId;
    int lunId = 0;
    if (!identify(first, volume, call.osUtil, device, arrayId, lunId)) {
        return;
    }
    const unsigned lun = static_cast<unsigned>(lunId);
    auto known = call.restByArray.find(arrayId);
    if (known == call.restByArray.end()) {
        _HuaweiCliParams fresh;
        known =
            call.restByArray.emplace(arrayId, isRESTAPIEnabled(volume, arrayId, fresh, call.osUtil)).first;
    }
    const bool useRest = known->second;
    volume->setTransientMetadata(TAVSO::TRANSIENT_TRANSPORT,
                                 useRest ? "HUAWEI_CONNECT_REST" : "HUAWEI_CONNECT_CLI");
    const uint64_t jobId = call.osUtil ? call.osUtil->getJobId() : 0;
    if (useRest) {
        std::string name;
        CUboError e = getArrayNameUsingLunID(jobId, volume, call.osUtil, arrayId, lun, name);
        if (e.IsError()) {
            Log(kTag, first, TAVSO::LOG_ERROR, "%s: [%s]", kTag, e.GetErrorString().c_str());
            fail(volume, e.GetErrorString());
            return;
        }
        arrayId = name;
    }
    _HuaweiCliParams parameters;
    short engineId = 0;
    if (!initAndGetArrayParams(volume, arrayId, parameters, engineId, false)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "%s: Failed to get Huawei Array Prameters [%s]", kTag,
            arrayId.c_str());
        volume->setStatus(kPrepareFailed);
        return;
    }
    parameters.useRest = useRest;
    if (!call.engineFixed) {
        call.engineFixed = true;
        call.snapshotEngine = engineId == HUAWEI_SNAPSHOT_ENGINE_ID;
        call.parallel = parameters.parallel;
        Log(kTag, first, TAVSO::LOG_INFO, "Preparing HUAWEI-%s %s operations",
            call.snapshotEngine ? "Snap" : "Clone", call.parallel ? "Parallel" : "Serial");
    }
    DumpCliParams(volume, parameters);
    std::string lunName;
    const bool verified = useRest ? verifyOverRest(first, volume, jobId, parameters, arrayId, lun, lunName)
                                  : verifyOverCli(first, volume, parameters, arrayId, lun, lunName, device);
    if (!verified) {
        return;
    }
    _MetaDataParams& meta = call.meta;
    meta.arrayId = arrayId;
    meta.sourceId = lun;
    meta.engineId = engineId;
    meta.sourceName = lunName;
    char text[kMetadataSize];
    if (!ConstructMetaData(text, sizeof text, &meta)) {
        // A name holding the separator cannot be stored faithfully; a later step would misread it.
        Log(kTag, first, TAVSO::LOG_ERROR, "Unable to build the metadata of LUN [%u] (%s)", lun,
            lunName.c_str());
        fail(volume, "Unable to build the snapshot metadata of LUN [" + std::to_string(lun) + "]");
        return;
    }
    Log(kTag, first, TAVSO::LOG_DETAIL, "setting metadata [%s]", text);
    if (volume->setMetadata(TAVSO::METADATA_SNAP, text) == 1) {
        Log(kTag, first, TAVSO::LOG_ERROR, "Failed to set metadata [id : %d]", TAVSO::METADATA_SNAP);
        volume->setStatus(kPrepareFailed);
        return;
    }
    if (!call.snapshotEngine) {
        // Clones are made by the clone engine, which this build does not carry.
        Log(kTag, first, TAVSO::LOG_ERROR,
            "The clone engine (engine id %d) is not available in this plug-in build",
            static_cast<int>(engineId));
        fail(volume, "The clone engine is not available in this plug-in build");
        return;
    }
    DumpMeta(first, meta);
    volume->setStatus(kPrepared);
}

}  // namespace

TAVSO_EXPORT int tavso_prepareDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil* osUtil) {
    if (count <= 0 || !volumes || !volumes[0]) {
        Log(kTag, nullptr, TAVSO::LOG_ERROR, "found 0 devices");
        return 1;
    }
    PrepareCall call{volumes, count, osUtil, {}, false, true, true, {}};
    Log(kTag, volumes[0], TAVSO::LOG_INFO,
        "|-------------------- Starting  to prepare snapshot/clone.[Count - %u]  --------------------|",
        static_cast<unsigned>(count));
    for (short i = 0; i < count; ++i) {
        TAVSO::SnapInfo* volume = volumes[i];
        if (!volume) {
            continue;
        }
        volume->setStatus(0);
        const std::string device = sourceDeviceOf(volume);
        const int handedOver = fileSystemHandOver(call, volume, device);
        if (handedOver >= 0) {
            return handedOver;
        }
        prepareVolume(call, volume, device);
    }
    unsigned prepared = 0;
    for (short i = 0; i < count; ++i) {
        prepared += (volumes[i] && volumes[i]->getStatus() == kPrepared) ? 1 : 0;
    }
    Log("", volumes[0], TAVSO::LOG_INFO,
        "|-------------------- Completed prepare snapshot/clone.[ success - %u/%u] --------------------|",
        prepared, static_cast<unsigned>(count));
    if (prepared == static_cast<unsigned>(count)) {
        return 0;
    }
    return prepared == 0 ? 1 : 2;
}
