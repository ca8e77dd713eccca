// The snap operation: reads every volume's metadata, groups the volumes per array and runs one
// snapshot worker per array, in parallel.
#include "api/HuaweiSnapDevices.h"

#include <list>
#include <memory>
#include <string>

#include "api/HuaweiLog.h"
#include "api/TAVSOHuaweiAPI.h"
#include "platform/TavThread.h"

namespace {

const char kTag[] = "Huawei-tavso_snapDevices";
const int kSnapped = 5;
const int kSnapFailed = 6;
const int kCloneCompleted = 7;
const int kSnapError = 60001;
const size_t kMetadataSize = 4096;

// One array's volumes and parameters; the worker's argument points into it.
struct SnapGroup {
    _HuaweiCliParams parameters;
    std::list<SnapshotInfo> snaps;
    SnapThreadArgs args;
    std::unique_ptr<TavThread> thread;
};

bool isFileSystem(unsigned fsSnapType) {
    return fsSnapType == HUAWEI_FS_NFS || fsSnapType == HUAWEI_FS_CIFS || fsSnapType == HUAWEI_FS_NDMP;
}

// Metadata text `id` of the volume; false when the host has none to give.
bool readMetadata(TAVSO::SnapInfo* volume, int id, std::string& text) {
    std::string buffer(kMetadataSize, '\0');
    short length = static_cast<short>(kMetadataSize);
    if (volume->getMetadata(id, &buffer[0], &length) == 1) {
        return false;
    }
    text = buffer.substr(0, buffer.find('\0'));
    return true;
}

void failGroup(SnapGroup& group, const std::string& text) {
    for (SnapshotInfo& s : group.snaps) {
        s.volume->setStatus(kSnapFailed);
        setError(s.volume, kSnapError, text.c_str());
    }
}

// The volume's SnapshotInfo and parameters, or false with status 6 set.
bool loadVolume(TAVSO::SnapInfo* first, TAVSO::SnapInfo* volume, SnapshotInfo& info,
                _HuaweiCliParams& parameters, short& engineId) {
    std::string text, uuid;
    const bool haveText = readMetadata(volume, TAVSO::METADATA_SNAP, text);
    const bool haveUuid = readMetadata(volume, TAVSO::METADATA_SM_MDT_SNAP_UUID, uuid);
    if (!haveText) {
        Log(kTag, first, TAVSO::LOG_ERROR, "Failed to get metadata [id : %d]", TAVSO::METADATA_SNAP);
        volume->setStatus(kSnapFailed);
        return false;
    }
    info.volume = volume;
    bool parsed = GetMetaDataParams(volume, text.c_str(), &info.meta);
    // Only file-system volumes carry the second text; a LUN volume without one is complete.
    if (parsed && !haveUuid && isFileSystem(info.meta.fsSnapType)) {
        Log(kTag, first, TAVSO::LOG_ERROR, "Failed to get metadata [id : %d]",
            TAVSO::METADATA_SM_MDT_SNAP_UUID);
        volume->setStatus(kSnapFailed);
        return false;
    }
    if (parsed && (info.meta.fsSnapType == HUAWEI_FS_NFS || info.meta.fsSnapType == HUAWEI_FS_CIFS)) {
        parsed = GetSMMDTSnapUUIDParams(volume, uuid, info.meta);
    }
    if (!parsed) {
        DumpMeta(first, info.meta);
        Log(kTag, first, TAVSO::LOG_ERROR, "%s: Failed to parse unique  identifier [%s]", kTag, text.c_str());
        volume->setStatus(kSnapFailed);
        return false;
    }
    if (!initAndGetArrayParams(volume, info.meta.arrayId, parameters, engineId, false)) {
        DumpMeta(first, info.meta);
        Log(kTag, first, TAVSO::LOG_ERROR, "%s: Failed to get array-info [%s]", kTag,
            info.meta.arrayId.c_str());
        volume->setStatus(kSnapFailed);
        return false;
    }
    std::string transport;
    const bool haveTransport = GetTransientMetadata(volume, TAVSO::TRANSIENT_TRANSPORT, transport);
    // REST unless prepare chose the CLI.
    parameters.useRest = !haveTransport || transport.empty() || transport == "HUAWEI_CONNECT_REST";
    if (parameters.useRest) {
        Log(kTag, first, TAVSO::LOG_DETAIL, "Huawei Connect Type [%s]", transport.c_str());
    }
    info.snapName = parameters.snapName;
    return true;
}

void startWorkers(std::list<SnapGroup>& groups, bool fileSystemCall, TAVSO::SnapInfo* first) {
    Log(kTag, first, TAVSO::LOG_DETAIL, "Starting %u Snapp-threads", static_cast<unsigned>(groups.size()));
    unsigned number = 0;
    for (SnapGroup& group : groups) {
        ++number;
        if (group.snaps.empty()) {
            Log(kTag, first, TAVSO::LOG_ERROR, "[ERROR] found 0 devices in the snap list-%u", number);
            continue;
        }
        group.args.snaps = &group.snaps;
        group.args.parameters = &group.parameters;
        group.thread = std::make_unique<TavThread>();
        Log(kTag, first, TAVSO::LOG_DETAIL, "[%u] Snapping threadsdevice count[%u]", number,
            static_cast<unsigned>(group.snaps.size()));
        if (group.thread->createThread(fileSystemCall ? snapDeviceThread2 : snapDeviceThread, &group.args) <
            0) {
            group.thread.reset();
            Log(kTag, first, TAVSO::LOG_ERROR, "%s:[ERROR] Unable to create thread", kTag);
            // The group's volumes would otherwise stay "prepared" with no word of why.
            failGroup(group, "[ERROR] Unable to start the snapshot worker");
        }
    }
}

}  // namespace

TAVSO_EXPORT int tavso_snapDevices(TAVSO::SnapInfo** volumes, short count, TAVSO::TAVOSUtil*) {
    if (count <= 0 || !volumes || !volumes[0]) {
        Log(kTag, nullptr, TAVSO::LOG_ERROR, "found 0 devices");
        return 1;
    }
    TAVSO::SnapInfo* first = volumes[0];
    Log("", first, TAVSO::LOG_INFO,
        "|-------------------- Starting to Snapshot/Clone(%d) --------------------|",
        static_cast<int>(count));
    std::list<SnapGroup> groups;
    bool decided = false;
    bool fileSystemCall = false;
    bool snapshotEngine = true;
    for (short i = 0; i < count; ++i) {
        TAVSO::SnapInfo* volume = volumes[i];
        if (!volume) {
            continue;
        }
        SnapshotInfo info;
        _HuaweiCliParams parameters;
        short engineId = 0;
        if (!loadVolume(first, volume, info, parameters, engineId)) {
            continue;
        }
        if (!decided) {
            decided = true;
            fileSystemCall = isFileSystem(info.meta.fsSnapType);
            snapshotEngine = engineId == HUAWEI_SNAPSHOT_ENGINE_ID;
        }
        volume->setSnapFlag(1);
        SnapGroup* group = nullptr;
        for (SnapGroup& g : groups) {
            if (g.parameters.arrayId == info.meta.arrayId) {
                group = &g;
                break;
            }
        }
        if (!group) {
            groups.emplace_back();
            group = &groups.back();
            group->parameters = parameters;
        }
        group->snaps.push_back(std::move(info));
    }
    if (snapshotEngine) {
        startWorkers(groups, fileSystemCall, first);
    } else {
        // Clones are completed by the clone engine, which this build does not carry.
        Log(kTag, first, TAVSO::LOG_ERROR, "The clone engine is not available in this plug-in build");
        for (SnapGroup& group : groups) {
            failGroup(group, "The clone engine is not available in this plug-in build");
        }
    }
    // Every worker was started before any is joined; join in start order.
    for (SnapGroup& group : groups) {
        if (group.thread) {
            group.thread->joinThread();
        }
    }
    groups.clear();
    unsigned done = 0;
    for (short i = 0; i < count; ++i) {
        const int status = volumes[i] ? volumes[i]->getStatus() : 0;
        done += (status == kSnapped || status == kCloneCompleted) ? 1 : 0;
    }
    Log("", first, TAVSO::LOG_INFO,
        "|-------------------- Completed snapshot/clone.[ success - %u/%u] --------------------|", done,
        static_cast<unsigned>(count));
    if (done == static_cast<unsigned>(count)) {
        return 0;
    }
    return done == 0 ? 1 : 2;
}

void DumpSnapInfo(TAVSO::SnapInfo* volume, SnapshotInfo& info) {
    DumpMeta(volume, info.meta);
}

void GetSnapshotCopyName(TAVSO::SnapInfo* volume, unsigned int snapId, std::string& name) {
    name = "TAVCL" + std::to_string(snapId) + "_" + std::to_string(volume->getNumericId());
}

bool iSnapCopyFlagset(TAVSO::SnapInfo* volume) {
    return volume->isFlagSet(TAVSO::SNAP_FLAG_SNAPSHOT_COPY);
}
