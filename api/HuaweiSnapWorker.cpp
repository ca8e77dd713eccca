// The snapshot worker of one array group: one request for all of the group's LUNs, over the
// array's CLI or its REST interface, then the outcome and the completed metadata per volume.
#include <cstdlib>
#include <string>
#include <vector>

#include "api/HuaweiLog.h"
#include "api/HuaweiSnapDevices.h"
#include "cli/HuaweiManager.h"
#include "platform/TavManageHuawei.h"
#include "platform/UboUtils.h"

namespace {

const char kTag[] = "Huawei-snapDeviceThread";
const char kSnapIdSuccess[] = "Snap ID Success";
const char kLunSnap[] = "LUN-Snap";
const int kSnapped = 5;
const int kSnapFailed = 6;
const int kSnapError = 60001;
const size_t kMetadataSize = 4096;

// The group's request: one entry per distinct LUN (two volumes on one LUN share one snapshot),
// and for each volume the index of its entry.
struct GroupRequest {
    std::vector<SnapshotInfo*> volumes;
    std::vector<_HM_SnapParams> entries;
    std::vector<size_t> entryOf;
    // Why entries without a status text failed (a connection or a rolled-back activation).
    std::string fallbackError;
};

GroupRequest buildRequest(std::list<SnapshotInfo>& snaps) {
    GroupRequest request;
    for (SnapshotInfo& info : snaps) {
        DumpSnapInfo(info.volume, info);
        request.volumes.push_back(&info);
        size_t index = 0;
        while (index < request.entries.size() && request.entries[index].sourceId != info.meta.sourceId) {
            ++index;
        }
        if (index == request.entries.size()) {
            _HM_SnapParams entry;
            entry.sourceId = info.meta.sourceId;
            entry.snapName = info.snapName;
            request.entries.push_back(entry);
        }
        request.entryOf.push_back(index);
    }
    return request;
}

void failAll(GroupRequest& request, const std::string& text) {
    for (SnapshotInfo* info : request.volumes) {
        info->volume->setStatus(kSnapFailed);
        setError(info->volume, kSnapError, text.c_str());
    }
}

// False (all volumes failed) when the array could not be reached.
bool snapOverCli(GroupRequest& request, const _HuaweiCliParams& parameters, CHuaweiManager& manager) {
    TAVSO::SnapInfo* first = request.volumes.front()->volume;
    if (!manager.Init(&g_HuaweiCS, parameters, Log, first)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "HUAWEI-RESULT [%s operation][ERROR] Failed to connect Array [%s]",
            kLunSnap, manager.GetLastErrorString());
        failAll(request, manager.GetLastErrorString());
        return false;
    }
    if (!manager.CreateSnap(request.volumes.front()->snapName.c_str(), request.entries)) {
        request.fallbackError = manager.GetLastErrorString();
    }
    return true;
}

// Names as the array gives them to a batch over the CLI: one name shared by several LUNs gets each
// entry's position as four digits, since snapshot names are unique on the array.
std::string restName(const std::vector<_HM_SnapParams>& entries, size_t index) {
    size_t sharing = 0;
    for (const _HM_SnapParams& e : entries) {
        sharing += e.snapName == entries[index].snapName ? 1 : 0;
    }
    return sharing > 1 ? UboFormat("%s%04llu", entries[index].snapName.c_str(),
                                   static_cast<unsigned long long>(index))
                       : entries[index].snapName;
}

// An activation that fails takes every snapshot of the batch away again.
void rollBack(GroupRequest& request, TavManageHuawei& rest, const std::string& vstore,
              const std::string& why) {
    TAVSO::SnapInfo* first = request.volumes.front()->volume;
    for (_HM_SnapParams& entry : request.entries) {
        if (entry.snapId != 0) {
            HuaweiApi::ResultStatus d = rest.deleteLUNSnapshot(std::to_string(entry.snapId), vstore);
            if (d.IsError()) {
                Log(kTag, first, TAVSO::LOG_ERROR,
                    "[ERROR] Snapshot [%u] (%s) of LUN [%u] could not be deleted and is left on the array: "
                    "%s",
                    entry.snapId, entry.snapName.c_str(), entry.sourceId, d.GetErrorString().c_str());
            }
        }
        entry.status = why;
        entry.snapId = 0;
        entry.snapName.clear();
    }
}

bool snapOverRest(GroupRequest& request, const _HuaweiCliParams& parameters) {
    TAVSO::SnapInfo* first = request.volumes.front()->volume;
    TavManageHuawei rest(0);
    if (!rest.createSession(parameters.userName, parameters.password, parameters.hostName)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "Failed to connect to array [%s].", parameters.hostName.c_str());
        failAll(request, "[ERROR] Failed to connect to array");
        return false;
    }
    const std::string vstore = rest.getvStoreId();
    std::vector<std::string> created;
    std::vector<std::string> names;
    for (size_t i = 0; i < request.entries.size(); ++i) {
        names.push_back(restName(request.entries, i));
    }
    for (size_t i = 0; i < request.entries.size(); ++i) {
        _HM_SnapParams& entry = request.entries[i];
        _HuaweiLUNSnapshotInfo record;
        HuaweiApi::ResultStatus s =
            rest.createLUNSnapshot(record, std::to_string(entry.sourceId), names[i], vstore);
        if (s.IsError() || record.id.empty()) {
            entry.status = s.IsError() ? s.GetErrorString() : "The array answered no snapshot ID";
            entry.snapId = 0;
            entry.snapName.clear();
            continue;
        }
        entry.status = kSnapIdSuccess;
        entry.snapId = static_cast<unsigned>(std::strtoul(record.id.c_str(), nullptr, 10));
        entry.snapName = record.name;
        created.push_back(record.id);
    }
    if (!created.empty()) {
        HuaweiApi::ResultStatus a = rest.activateLUNSnapshot(created, vstore);
        if (a.IsError()) {
            Log(kTag, first, TAVSO::LOG_ERROR, "[ERROR] Activation of the snapshots failed: %s",
                a.GetErrorString().c_str());
            rollBack(request, rest, vstore,
                     a.GetErrorString().empty() ? "Snapshot activation failed" : a.GetErrorString());
        }
    }
    rest.closeSession();
    return true;
}

void finishVolume(GroupRequest& request, size_t k) {
    SnapshotInfo& info = *request.volumes[k];
    const _HM_SnapParams& entry = request.entries[request.entryOf[k]];
    TAVSO::SnapInfo* volume = info.volume;
    // The group's lines go to its first volume; each volume gets its own status and error.
    TAVSO::SnapInfo* first = request.volumes.front()->volume;
    if ((entry.snapId == 0 && entry.snapIdText.empty()) || entry.status != kSnapIdSuccess) {
        const std::string& why = entry.status.empty() ? request.fallbackError : entry.status;
        Log(kTag, first, TAVSO::LOG_ERROR,
            "HUAWEI-RESULT [ERROR][%s] Create snap failed [%s] for[src lun - %u(%s)] [ Dest Lun - %u "
            "[%s](%s)]",
            kLunSnap, why.c_str(), info.meta.sourceId, info.meta.sourceName.c_str(), entry.snapId,
            entry.snapIdText.c_str(), entry.snapName.c_str());
        volume->setStatus(kSnapFailed);
        setError(volume, kSnapError, why.empty() ? "Snapshot creation failed" : why.c_str());
        return;
    }
    volume->setSourceLunId(static_cast<int>(info.meta.sourceId));
    Log(kTag, first, TAVSO::LOG_INFO,
        "HUAWEI-RESULT [SUCCESS] Create snap succeeded for[%s] [src lun - %u(%s)] [ Dest Lun - %u[%s](%s)]",
        kLunSnap, info.meta.sourceId, info.meta.sourceName.c_str(), entry.snapId, entry.snapIdText.c_str(),
        entry.snapName.c_str());
    info.meta.snapId = entry.snapId;
    info.meta.targetName = entry.snapName;
    info.meta.snapIdText = entry.snapIdText;
    char text[kMetadataSize];
    const bool built = ConstructMetaData(text, sizeof text, &info.meta);
    if (built) {
        Log(kTag, first, TAVSO::LOG_DETAIL, "setting metadata [%s]", text);
    }
    if (!built || volume->setMetadata(TAVSO::METADATA_SNAP, text) == 1) {
        // Without its metadata no later step can find this snapshot: the volume has not been snapped.
        Log(kTag, first, TAVSO::LOG_ERROR,
            "[ERROR] Unable to store the metadata of snapshot [%u] (%s); it is left on the array",
            entry.snapId, entry.snapName.c_str());
        volume->setStatus(kSnapFailed);
        setError(volume, kSnapError, "Unable to store the snapshot metadata");
        return;
    }
    volume->setStatus(kSnapped);
    for (size_t j = 0; j < k; ++j) {
        if (request.volumes[j]->meta.sourceId == info.meta.sourceId) {
            volume->setSnapName(request.volumes[j]->snapName.c_str());
            break;
        }
    }
}

}  // namespace

int snapDeviceThread(void* argument) {
    auto* args = static_cast<SnapThreadArgs*>(argument);
    if (!args || !args->snaps || !args->parameters || args->snaps->empty()) {
        return 0;
    }
    _HuaweiCliParams& parameters = *args->parameters;
    TAVSO::SnapInfo* first = args->snaps->front().volume;
    DumpCliParams(first, parameters);
    GroupRequest request = buildRequest(*args->snaps);
    CHuaweiManager manager;
    const bool reached =
        parameters.useRest ? snapOverRest(request, parameters) : snapOverCli(request, parameters, manager);
    if (!reached) {
        return 0;
    }
    for (size_t k = 0; k < request.volumes.size(); ++k) {
        const _HM_SnapParams& entry = request.entries[request.entryOf[k]];
        if (!parameters.useRest && entry.status != kSnapIdSuccess) {
            manager.DumpLastCLIActivity();
        }
        finishVolume(request, k);
    }
    if (!parameters.useRest) {
        manager.Uninitialize();
    }
    return 0;
}

int snapDeviceThread2(void* argument) {
    auto* args = static_cast<SnapThreadArgs*>(argument);
    if (!args || !args->snaps) {
        return 0;
    }
    // File-system snapshots are made by the file-system engine, which this build does not carry.
    for (SnapshotInfo& info : *args->snaps) {
        Log("Huawei-snapDeviceThread2", info.volume, TAVSO::LOG_ERROR,
            "File-system snapshots are not available in this plug-in build [FS - %u]", info.meta.sourceId);
        info.volume->setStatus(kSnapFailed);
        setError(info.volume, kSnapError, "File-system snapshots are not available in this plug-in build");
    }
    return 0;
}
