// Block operations over the array's CLI: LUN snapshots (create, activate, copy, look up, delete,
// roll back) and the LUN queries that mapping and clones share.
#pragma once

#include <string>
#include <vector>

#include "cli/HuaweiManagerCliBase.h"
#include "cli/HuaweiSnapParams.h"

class CHuaweiManager : public CHuaweiManagerCliBase {
  public:
    // Creates one snapshot per entry with a single command, finds their IDs and activates them
    // together. True when at least one was created and all created ones were activated.
    bool CreateSnap(const char* name, std::vector<_HM_SnapParams>& snaps);
    bool ActivateSnap(const std::string& ids);
    bool GetSnapIDbyName(const std::string& name, unsigned int& id, bool retry);
    bool CreateSnapCopy(unsigned int sourceId, const std::string& copyName, unsigned int& copyId,
                        std::string& status);
    bool CheckAndDeleteSnapDetail(unsigned int id, const std::string& name);
    bool DeleteSnap(const char* id, const char* name, bool& alreadyGone);
    bool RestoreSnap(const char* id, const char* name);
    bool WaitAndCheckRestoreJob(const char* id);
    bool GetJobInfo(const char* id, std::string& name, std::string& status, std::string& progress);
    bool GetLunStatus(bool isSnapshot, const char* id, const char* expectedName, bool& gone);
    bool GetLunInfo(const char* id, std::string& name, std::string& poolId, std::string& capacity,
                    std::string& splitCloneIds, bool& thin, std::string& owner, std::string& runningStatus,
                    bool& exists);
    bool VerifyArrayAndLun(const char* serial, unsigned int lunId, std::string& lunName);
    bool RemoveFromGroup(const char* id, bool isSnapshot);

    // Restore speed name for a job speed: 1 Low, 2 Middle, 3 High, 4 Highest, otherwise Middle.
    static const char* RestoreSpeedName(unsigned int jobSpeed);
    // "10.000GB" -> "10GB": the integral part and the unit, as LUN creation takes it.
    static std::string CapacityForCreate(const std::string& capacity);

  private:
    void MLog(const char* tag, TAVSO::LogLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
};
