#include "cli/HuaweiManager.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "cli/HuaeiParser.h"
#include "platform/UboUtils.h"

namespace {

const char kSnapByName[] = "show snapshot general|filterRow column=Name predict=equal_to value=";
const char kLunGroupByName[] = "show lun_group general|filterRow column=Name predict=equal_to value=";
const char kSnapSuccess[] = "Snap Success";
const char kSnapIdSuccess[] = "Snap ID Success";
const char kSnapIdFailed[] = "Fetching Snap-ID failed";
const char kUninitialized[] = "[ERROR] Uninitialized object";

// Restore job poll interval.
const unsigned kRestorePollMs = 15000;

bool contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

const char* Str(const std::string& text) {
    return text.c_str();
}

}  // namespace

void CHuaweiManager::MLog(const char* tag, TAVSO::LogLevel level, const char* format, ...) {
    if (!m_pfnMgrLog) {
        return;
    }
    va_list args;
    va_start(args, format);
    std::string text = UboFormatV(format, args);
    va_end(args);
    m_pfnMgrLog(tag, m_pMgrLogContext, level, "%s", text.c_str());
}

const char* CHuaweiManager::RestoreSpeedName(unsigned int jobSpeed) {
    switch (jobSpeed) {
        case 1:
            return "Low";
        case 3:
            return "High";
        case 4:
            return "Highest";
        default:
            return "Middle";
    }
}

std::string CHuaweiManager::CapacityForCreate(const std::string& capacity) {
    size_t dot = capacity.find('.');
    if (dot == std::string::npos) {
        return capacity;
    }
    std::string unit = capacity.size() >= 2 ? capacity.substr(capacity.size() - 2) : capacity;
    return capacity.substr(0, dot) + unit;
}

bool CHuaweiManager::CreateSnap(const char* name, std::vector<_HM_SnapParams>& snaps) {
    static const char tag[] = "CHuaweiManager::CreateSnap";
    if (!m_bInitialized) {
        m_strLastError = std::string(tag) + kUninitialized;
        return false;
    }
    if (!name) {
        m_strLastError = std::string(tag) + "[ERROR] Invalid Parameters";
        return false;
    }
    if (snaps.empty()) {
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] 0 items in the snap list");
        return false;
    }

    std::string ids;
    for (const auto& snap : snaps) {
        if (!ids.empty()) {
            ids += ",";
        }
        ids += UboFormat("%u", snap.sourceId);
    }
    std::string command = "create snapshot general lun_id_list=" + ids + " name=" + name;
    m_strLastError.clear();
    // With several LUNs the array appends the position in the list as four digits to the name.
    auto nameAt = [&](unsigned long long position) {
        return snaps.size() == 1 ? std::string(name) : UboFormat("%s%04llu", name, position);
    };
    // A snapshot whose ID is unknown cannot be activated or taken away again: say so, by name.
    auto leftBehind = [&](const _HM_SnapParams& snap, unsigned long long position, const char* how) {
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] Snapshot (%s) of LUN [%u] %s left on the array inactive: %s",
             nameAt(position).c_str(), snap.sourceId, how, m_strLastError.c_str());
    };
    std::string reply;
    if (!RunCommand(Str(command), reply)) {
        // A busy array ran nothing; any other lost reply may follow a batch that was made.
        if (!contains(m_strLastError, "The system is busy")) {
            for (size_t i = 0; i < snaps.size(); ++i) {
                leftBehind(snaps[i], i, "may be");
            }
        }
        return false;
    }

    int successCount = 0;
    if (!HuaeiParser::CheckSnapResults(0, command.c_str(), reply.c_str(), snaps, successCount,
                                       m_strLastError)) {
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] %s", command.c_str(), m_strLastError.c_str());
        return false;
    }
    if (successCount == 0) {
        m_strLastError = "[ERROR - " + snaps.front().status + "]";
        MLog(tag, TAVSO::LOG_ERROR, "[%s] %s", command.c_str(), m_strLastError.c_str());
        return false;
    }
    reply.clear();
    m_strLastError.clear();

    unsigned long long position = 0;
    std::string lookupError;
    for (auto& snap : snaps) {
        if (snap.status == kSnapSuccess) {
            std::string snapName = nameAt(position);
            unsigned int id = 0;
            if (GetSnapIDbyName(snapName, id, true) && id != 0) {
                snap.status = kSnapIdSuccess;
                snap.snapId = id;
                snap.snapName = snapName;
            } else {
                lookupError = m_strLastError;
                leftBehind(snap, position, "is");
                snap.status = kSnapIdFailed;
                snap.snapId = 0;
                snap.snapName.clear();
            }
        }
        ++position;
    }

    std::string activateIds;
    for (const auto& snap : snaps) {
        if (snap.status == kSnapIdSuccess) {
            if (!activateIds.empty()) {
                activateIds += ",";
            }
            activateIds += UboFormat("%u", snap.snapId);
        }
    }
    if (activateIds.empty()) {
        // Not one ID could be read: there is nothing to activate, and an empty list is no command.
        m_strLastError = lookupError.empty() ? std::string(kSnapIdFailed) : lookupError;
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] No snapshot ID of [%s] could be read: %s", command.c_str(),
             m_strLastError.c_str());
        return false;
    }
    if (!ActivateSnap(activateIds)) {
        // Never leave inactive snapshots of a failed batch behind.
        DumpLastCLIActivity();
        std::string activateError = m_strLastError;
        for (auto& snap : snaps) {
            bool gone = false;
            std::string id = UboFormat("%u", snap.snapId);
            if (snap.snapId != 0 && !DeleteSnap(id.c_str(), snap.snapName.c_str(), gone)) {
                MLog(tag, TAVSO::LOG_ERROR,
                     "[ERROR] Snapshot [%s] (%s) could not be deleted and is left on the array: %s",
                     id.c_str(), snap.snapName.c_str(), m_strLastError.c_str());
            }
            snap.status.clear();
        }
        m_strLastError = activateError;
        return false;
    }
    MLog(tag, TAVSO::LOG_DETAIL, "[result] [Succeeded]");
    return true;
}

bool CHuaweiManager::ActivateSnap(const std::string& ids) {
    return ExecuteCommandGeneral(("change snapshot activate snapshot_id_list=" + ids).c_str());
}

bool CHuaweiManager::GetSnapIDbyName(const std::string& name, unsigned int& id, bool retry) {
    std::string value;
    if (GetValueByCommand((kSnapByName + name).c_str(), 1, name.c_str(), 0, value, retry) && !value.empty()) {
        id = static_cast<unsigned int>(strtoul(value.c_str(), nullptr, 10));
        return true;
    }
    id = 0;
    return false;
}

bool CHuaweiManager::CreateSnapCopy(unsigned int sourceId, const std::string& copyName, unsigned int& copyId,
                                    std::string& status) {
    static const char tag[] = "CHuaweiManager::CreateSnapCopy";
    m_strLastError.clear();
    if (!m_bInitialized) {
        m_strLastError = std::string(tag) + kUninitialized;
        return false;
    }
    if (GetSnapIDbyName(copyName, copyId, false)) {
        MLog(tag, TAVSO::LOG_ERROR,
             "Snap copy (%s) (%u) found exist already. Trying to delete and create new snap-copy",
             copyName.c_str(), copyId);
        if (!CheckAndDeleteSnapDetail(copyId, copyName)) {
            MLog(tag, TAVSO::LOG_ERROR, "[ERROR] couldn't clear Snap copy info (%s) (%u) ", copyName.c_str(),
                 copyId);
            return false;
        }
    }
    std::string reply;
    if (!RunCommand(Str(UboFormat("create snapshot duplicate snapshot_id=%u name=", sourceId) + copyName),
                    reply)) {
        return false;
    }
    if (GetSnapIDbyName(copyName, copyId, true) && copyId != 0) {
        status = kSnapIdSuccess;
        return true;
    }
    MLog(tag, TAVSO::LOG_ERROR, "[ERROR]Couldn't find snap copy ID");
    status = kSnapIdFailed;
    return false;
}

bool CHuaweiManager::CheckAndDeleteSnapDetail(unsigned int id, const std::string& name) {
    static const char tag[] = "CHuaweiManager::CheckAndDeleteSnapDetail";
    std::string idText = UboFormat("%u", id);
    bool gone = false;
    if (!DeleteSnap(idText.c_str(), name.c_str(), gone)) {
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] couldn't delete Snap (%s) (%u) ", name.c_str(), id);
        return false;
    }

    std::string groupId;
    if (!GetValueByCommand((kLunGroupByName + name).c_str(), 1, name.c_str(), 0, groupId, false)) {
        MLog(tag, TAVSO::LOG_ERROR,
             " couldn't find LUN-Group for Snap (%s) (%u) it might be removed already ", name.c_str(), id);
    } else if (!ExecuteCommandGeneral(
                   ("remove lun_group lun lun_group_id=" + groupId + " lun_id_list=" + idText).c_str())) {
        MLog(tag, TAVSO::LOG_ERROR,
             " couldn't remove snapshot from LUN-Group(%s) for Snap (%s) (%u) it might be removed already ",
             groupId.c_str(), name.c_str(), id);
    }

    std::vector<std::vector<std::string>> rows;
    if (!GetColumnsOfaRow(("show lun_group mapping_view lun_group_id=" + groupId).c_str(), rows) ||
        rows.empty() || rows.front().empty()) {
        MLog(tag, TAVSO::LOG_ERROR,
             " couldn't find mapping view lungroup (%s) for Snap (%s) (%u) it might be removed already ",
             groupId.c_str(), name.c_str(), id);
    } else if (!ExecuteCommandGeneral(("remove mapping_view lun_group mapping_view_id=" +
                                       rows.front().front() + " lun_group_id=" + groupId)
                                          .c_str())) {
        MLog(tag, TAVSO::LOG_ERROR, " couldn't remove Mapping view  of LUN-Group(%s) for Snap (%s) (%u) ",
             groupId.c_str(), name.c_str(), id);
    }
    return true;
}

bool CHuaweiManager::DeleteSnap(const char* id, const char* name, bool& alreadyGone) {
    static const char tag[] = "CHuaweiManager::DeleteSnap";
    alreadyGone = false;
    if (!m_bInitialized) {
        m_strLastError = std::string(tag) + kUninitialized;
        return false;
    }
    if (!id) {
        m_strLastError = std::string(tag) + "[ERROR] Invalid Parameter";
        return false;
    }
    bool gone = false;
    if (GetLunStatus(true, id, name ? name : "", gone) && gone) {
        alreadyGone = true;
        return true;
    }

    std::string reply;
    if (!RunCommand(Str(std::string("change snapshot deactivate snapshot_id=") + id), reply)) {
        return false;
    }
    if (contains(reply, "does not exist.") || contains(reply, "unavailable.")) {
        alreadyGone = true;
        return true;
    }

    RemoveFromGroup(id, true);

    std::string command = std::string("delete snapshot snapshot_id_list=") + id;
    if (!RunCommand(Str(command), reply)) {
        return false;
    }
    if (contains(reply, "successfully.")) {
        return true;
    }
    m_strLastError = reply;
    MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] %s", command.c_str(), reply.c_str());
    return false;
}

bool CHuaweiManager::RemoveFromGroup(const char* id, bool isSnapshot) {
    if (!id) {
        return false;
    }
    std::string command =
        std::string(isSnapshot ? "show snapshot lun_group snapshot_id=" : "show lun lun_group lun_id=") + id;
    std::vector<std::string> groups;
    if (!GetValueListByCommand(command.c_str(), 0, groups)) {
        return false;
    }
    for (const auto& group : groups) {
        ExecuteCommandGeneral(("remove lun_group lun lun_group_id=" + group + " lun_id_list=" + id).c_str());
    }
    return true;
}

bool CHuaweiManager::RestoreSnap(const char* id, const char* name) {
    static const char tag[] = "CHuaweiManager::RestoreSnap";
    if (!m_bInitialized) {
        m_strLastError = std::string(tag) + kUninitialized;
        return false;
    }
    if (!id) {
        m_strLastError = std::string(tag) + "[ERROR] Invalid parameter";
        return false;
    }
    std::string expected = name ? name : "";
    bool gone = false;
    if (!GetLunStatus(true, id, expected.c_str(), gone)) {
        return false;
    }
    if (gone) {
        m_strLastError = std::string("Restore Error. Lun ") + id + "Not found [" + expected + "]";
        return false;
    }
    m_strLastError.clear();
    std::string command = std::string("change snapshot restore snapshot_id=") + id +
                          " restore_speed=" + RestoreSpeedName(m_Params.jobSpeed);
    if (!ExecuteCommandGeneral(command.c_str())) {
        MLog("RestoreSnap", TAVSO::LOG_ERROR, "[ERROR] RestoreSnap failed [%s] ", m_strLastError.c_str());
        return false;
    }
    if (WaitAndCheckRestoreJob(id)) {
        MLog("RestoreSnap", TAVSO::LOG_INFO, "RestoreSnap Succeeded [%s] ", id);
        return true;
    }
    m_strLastError += std::string("[ERROR] Lun-Restore Failed ") + id;
    MLog("RestoreSnap", TAVSO::LOG_ERROR, "[%s] ", m_strLastError.c_str());
    return false;
}

bool CHuaweiManager::WaitAndCheckRestoreJob(const char* id) {
    const unsigned long long maxPolls = m_Params.jobTimeoutSecs / 15;
    unsigned long long polls = 0;
    long lastProgress = 0;
    std::string name, status, progress;
    for (;;) {
        if (polls >= maxPolls) {
            m_strLastError =
                "Job-Timeout " + name + " [status - " + status + "] [progress - " + progress + "%]";
            MLog("WaitAndCheckRestoreJob", TAVSO::LOG_ERROR, "[ERROR] [%s] ", m_strLastError.c_str());
            return false;
        }
        if (!GetJobInfo(id, name, status, progress)) {
            return false;
        }
        if (status == "Activated" || progress == "100" || progress == "--") {
            MLog("Restore Job Completed", TAVSO::LOG_ERROR, "Job-status -%s  [status - %s] [progress - %s]",
                 name.c_str(), status.c_str(), progress.c_str());
            return true;
        }
        long current = strtol(progress.c_str(), nullptr, 10);
        if (current > lastProgress) {
            MLog("Restore Job Status", TAVSO::LOG_INFO, "Job-status -%s  [status - %s] [progress - %s]",
                 name.c_str(), status.c_str(), progress.c_str());
            lastProgress = current;
        }
        UboSleepMs(kRestorePollMs);
        ++polls;
    }
}

bool CHuaweiManager::GetJobInfo(const char* id, std::string& name, std::string& status,
                                std::string& progress) {
    static const char tag[] = "CHuaweiManager::GetJobInfo";
    std::string command = std::string("show snapshot general snapshot_id=") + (id ? id : "");
    std::string reply;
    if (!RunCommand(Str(command), reply)) {
        return false;
    }
    std::vector<_ObjectProp> props;
    HuaeiParser::ParseObjectProps(reply.c_str(), props);
    const char* missing = nullptr;
    if (!HuaeiParser::GetObjProp(props, "Name", name)) {
        missing = "Unable to find Lun-Copy";
    } else if (!HuaeiParser::GetObjProp(props, "Running Status", status)) {
        missing = "Unable to find Running Status";
    } else if (!HuaeiParser::GetObjProp(props, "Restore Progress(%)", progress)) {
        missing = "Unable to find Restore Progress(%)";
    }
    if (missing) {
        m_strLastError = missing;
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] [%s] [%s]", m_strLastError.c_str(), command.c_str(),
             reply.c_str());
        return false;
    }
    return true;
}

bool CHuaweiManager::GetLunStatus(bool isSnapshot, const char* id, const char* expectedName, bool& gone) {
    gone = false;
    std::string command =
        std::string(isSnapshot ? "show snapshot general snapshot_id=" : "show lun general lun_id=") +
        (id ? id : "");
    std::string reply;
    if (!RunCommand(Str(command), reply)) {
        return false;
    }
    if (contains(reply, "does not exist") || contains(reply, "unavailable.")) {
        m_strLastError = reply;
        gone = true;
        return true;
    }
    std::vector<_ObjectProp> props;
    HuaeiParser::ParseObjectProps(reply.c_str(), props);
    std::string name;
    if (!HuaeiParser::GetObjProp(props, "Name", name) || name != (expectedName ? expectedName : "")) {
        // Missing, or the ID now belongs to another object.
        gone = true;
    }
    return true;
}

bool CHuaweiManager::GetLunInfo(const char* id, std::string& name, std::string& poolId, std::string& capacity,
                                std::string& splitCloneIds, bool& thin, std::string& owner,
                                std::string& runningStatus, bool& exists) {
    static const char tag[] = "CHuaweiManager::GetLunInfo";
    if (!m_bInitialized) {
        m_strLastError = std::string(tag) + kUninitialized;
        return false;
    }
    if (!id) {
        m_strLastError = std::string(tag) + "[ERROR] Invalid Parameter";
        return false;
    }
    exists = true;
    std::string command = std::string("show lun general lun_id=") + id;
    std::string reply;
    if (!RunCommand(Str(command), reply)) {
        return false;
    }
    if (contains(reply, "Error:") && contains(reply, "unavailable.")) {
        m_strLastError = reply;
        MLog(tag, TAVSO::LOG_ERROR, " [%s] %s", command.c_str(), m_strLastError.c_str());
        exists = false;
        return false;
    }
    std::vector<_ObjectProp> props;
    HuaeiParser::ParseObjectProps(reply.c_str(), props);
    std::string type;
    std::string rawCapacity;
    const char* missing = nullptr;
    if (!HuaeiParser::GetObjProp(props, "Name", name)) {
        missing = "Unable to find name";
    } else if (!HuaeiParser::GetObjProp(props, "Pool ID", poolId)) {
        missing = "Unable to find Storage Pool";
    } else if (!HuaeiParser::GetObjProp(props, "Capacity", rawCapacity)) {
        missing = "Unable to find Capacity";
    } else if (!HuaeiParser::GetObjProp(props, "Split Clone ID(s)", splitCloneIds)) {
        missing = "Unable to find Split Clone ID(s) ID";
    } else if (!HuaeiParser::GetObjProp(props, "Type", type)) {
        missing = "Unable to find Type";
    } else if (!HuaeiParser::GetObjProp(props, "Owner Controller", owner)) {
        missing = "Unable to find OwnerCtrl";
    } else if (!HuaeiParser::GetObjProp(props, "Running Status", runningStatus)) {
        missing = "Unable to find Status";
    }
    if (missing) {
        m_strLastError = missing;
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] [%s]", command.c_str(), reply.c_str());
        return false;
    }
    capacity = CapacityForCreate(rawCapacity);
    if (splitCloneIds == "--") {
        splitCloneIds.clear();
    }
    thin = type == "Thin";
    return true;
}

bool CHuaweiManager::VerifyArrayAndLun(const char* serial, unsigned int lunId, std::string& lunName) {
    static const char tag[] = "CHuaweiManager::VerifyArrayAndLun";
    m_strLastError.clear();
    if (!serial) {
        m_strLastError = std::string(tag) + "[ERROR] Invalid Params";
        return false;
    }
    if (!m_bInitialized) {
        m_strLastError = std::string(tag) + kUninitialized;
        return false;
    }
    std::string reply;
    if (!RunCommand(Str("show system general"), reply)) {
        MLog(tag, TAVSO::LOG_ERROR, "[%s]", m_strLastError.c_str());
        return false;
    }
    std::vector<_ObjectProp> props;
    HuaeiParser::ParseObjectProps(reply.c_str(), props);
    for (const auto& prop : props) {
        MLog(tag, TAVSO::LOG_DETAIL, "[Sys props] [%s] [%s]", prop.name.c_str(), prop.value.c_str());
    }
    std::string sn;
    if (!HuaeiParser::GetObjProp(props, "SN", sn)) {
        m_strLastError = std::string("Unable to find Serial No.") + serial;
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] [%s] [%s]", m_strLastError.c_str(), serial, reply.c_str());
        return false;
    }
    if (sn != serial) {
        m_strLastError = std::string("[ERROR] Wrong Array has been configured [ ") + serial +
                         "]. Connected [ " + sn + "].";
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] [%s] [%s]", m_strLastError.c_str(), serial, reply.c_str());
        return false;
    }
    if (!RunCommand(Str(UboFormat("show lun general lun_id=%u", lunId)), reply)) {
        return false;
    }
    if (contains(reply, "does not exist") || contains(reply, "unavailable.")) {
        m_strLastError = reply;
        return false;
    }
    props.clear();
    HuaeiParser::ParseObjectProps(reply.c_str(), props);
    if (!HuaeiParser::GetObjProp(props, "Name", lunName)) {
        m_strLastError = "Unable to find src Lun Name ";
        MLog(tag, TAVSO::LOG_ERROR, "[ERROR] [%s] [%s] [%s]", m_strLastError.c_str(), serial, reply.c_str());
        return false;
    }
    MLog(tag, TAVSO::LOG_DETAIL, "[result] [Src lun name - %s]", lunName.c_str());
    return true;
}
