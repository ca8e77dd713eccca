// The REST client of one array (or vStore) session. One object may be called from several threads
// at once; each call reuses an idle connection of the object. Ids travel as decimal text; a vStore
// argument of "-12345" means "not in a vStore" and is not sent.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "platform/UboError.h"
#include "rest/HuaweiApiStatus.h"
#include "rest/HuaweiRestRecords.h"

class TavManageHuawei {
  public:
    static constexpr const char* kNoVStore = "-12345";

    explicit TavManageHuawei(const uint64_t& jobId);
    ~TavManageHuawei();
    TavManageHuawei(const TavManageHuawei&) = delete;
    TavManageHuawei& operator=(const TavManageHuawei&) = delete;

    // Session. The password goes into the login body and nowhere else.
    bool createSession(const std::string& user, const std::string& password, const std::string& host);
    void closeSession();
    std::string getvStoreId() const;
    // The text of the last failed login (never the password), for the caller's error report.
    std::string lastSessionError() const;

    // System and vStores.
    HuaweiApi::ResultStatus getSystemInformation(_HuaweiSystemInformation& info);
    HuaweiApi::ResultStatus getVStoreNameFromId(const std::string& vstoreId, std::string& name);

    // LUNs.
    HuaweiApi::ResultStatus getLUNInfo(_HuaweiLUNInfo& info, const std::string& lunId,
                                       const std::string& vstoreId);
    HuaweiApi::ResultStatus createLUN(std::string& newId, const _HuaweiLUNInfo& info);
    HuaweiApi::ResultStatus modifyLun(const std::string& lunId, const std::string& name);
    HuaweiApi::ResultStatus deleteLun(const std::string& lunId, const std::string& vstoreId);

    // LUN snapshots.
    HuaweiApi::ResultStatus createLUNSnapshot(_HuaweiLUNSnapshotInfo& info, const std::string& lunId,
                                              const std::string& name, const std::string& vstoreId);
    HuaweiApi::ResultStatus activateLUNSnapshot(const std::vector<std::string>& snapshotIds,
                                                const std::string& vstoreId);
    HuaweiApi::ResultStatus deActivateLUNSnapshot(const std::string& snapshotId, bool& skip,
                                                  const std::string& vstoreId);
    HuaweiApi::ResultStatus deleteLUNSnapshot(const std::string& snapshotId, const std::string& vstoreId);
    HuaweiApi::ResultStatus revertLUNSnapshot(const std::string& snapshotId, const std::string& speed,
                                              const std::string& vstoreId);
    HuaweiApi::ResultStatus getLUNSnapshotInfo(_HuaweiLUNSnapshotInfo& info, const std::string& snapshotId,
                                               bool& notFound, const std::string& vstoreId);
    HuaweiApi::ResultStatus getLUNSnapshotInfoByName(_HuaweiLUNSnapshotInfo& info, const std::string& name,
                                                     bool& notFound, const std::string& vstoreId);
    HuaweiApi::ResultStatus createLUNSnapshotCopy(_HuaweiLUNSnapshotInfo& info, const std::string& snapshotId,
                                                  const std::string& name, const std::string& vstoreId);

    // Hosts and initiators.
    HuaweiApi::ResultStatus getHostIDFromHostName(const std::string& name, std::string& hostId,
                                                  const std::string& vstoreId);
    HuaweiApi::ResultStatus createHost(_HuaweiLUNHostInfo& info, const std::string& name,
                                       const std::string& vstoreId, bool isVMware);
    HuaweiApi::ResultStatus getHostIDFromInitiatorID(const std::string& port, bool isIscsi,
                                                     std::string& hostId, const std::string& vstoreId);
    HuaweiApi::ResultStatus createInitiator(_HuaweiInitiator& info, const std::string& port,
                                            const std::string& hostId, bool isIscsi, bool& exists,
                                            const std::string& vstoreId);
    HuaweiApi::ResultStatus updateInitiatorWithHostID(const std::string& port, const std::string& hostId,
                                                      bool isIscsi, const std::string& vstoreId);

    // Host groups.
    HuaweiApi::ResultStatus getHostGroupIDFromName(const std::string& name, std::string& groupId,
                                                   const std::string& vstoreId);
    HuaweiApi::ResultStatus createHostGroup(_HuaweiHostGroupInfo& info, const std::string& name,
                                            const std::string& vstoreId);
    HuaweiApi::ResultStatus isHostAssociatedToHostGroup(const std::string& hostGroupId,
                                                        const std::string& hostId,
                                                        const std::string& vstoreId);
    HuaweiApi::ResultStatus addHostToHostGroup(const std::string& hostGroupId, const std::string& hostId,
                                               const std::string& vstoreId);

    // LUN groups.
    HuaweiApi::ResultStatus getLUNGroupIDFromName(const std::string& name, std::string& groupId,
                                                  const std::string& vstoreId);
    HuaweiApi::ResultStatus createLUNGroup(_HuaweiLunGroupInfo& info, const std::string& name,
                                           const std::string& vstoreId, const std::string& appType);
    HuaweiApi::ResultStatus addLuntoLunGroup(const std::string& lunGroupId, const std::string& lunId,
                                             const std::string& vstoreId);
    HuaweiApi::ResultStatus addSnapshotLuntoLunGroup(const std::string& lunGroupId,
                                                     const std::string& snapshotId,
                                                     const std::string& vstoreId);
    HuaweiApi::ResultStatus isLunAssociatedToLunGroup(const std::string& lunGroupId,
                                                      const std::string& lunId);
    HuaweiApi::ResultStatus isSnapshotLunAssociatedToLunGroup(const std::string& lunGroupId,
                                                              const std::string& snapshotId,
                                                              const std::string& vstoreId);
    HuaweiApi::ResultStatus removeLunFromLunGroup(const std::string& lunGroupId, const std::string& lunId,
                                                  const std::string& vstoreId);
    HuaweiApi::ResultStatus removeSnapshotLunFromLunGroup(const std::string& lunGroupId,
                                                          const std::string& snapshotId,
                                                          const std::string& vstoreId);
    HuaweiApi::ResultStatus getLunGroupsAssociatedToLun(std::vector<_HuaweiLunGroupInfo>& groups,
                                                        const std::string& lunId,
                                                        const std::string& vstoreId);
    HuaweiApi::ResultStatus deleteLunGroup(const std::string& lunGroupId, const std::string& vstoreId);

    // Mapping views.
    HuaweiApi::ResultStatus getMappingViewInfoByName(_HuaweiLUNMappingView& view, const std::string& name,
                                                     const std::string& vstoreId);
    HuaweiApi::ResultStatus createMappingView(_HuaweiLUNMappingView& view, const std::string& name,
                                              const std::string& vstoreId);
    HuaweiApi::ResultStatus addHostGroupToMappingView(const std::string& hostGroupId,
                                                      const std::string& viewId, const std::string& vstoreId);
    HuaweiApi::ResultStatus addLunGroupToMappingView(const std::string& lunGroupId, const std::string& viewId,
                                                     const std::string& vstoreId);
    HuaweiApi::ResultStatus getLunGroupAssociatedToMappingView(const std::string& viewId,
                                                               std::vector<_HuaweiLunGroupInfo>& groups,
                                                               const std::string& vstoreId);
    HuaweiApi::ResultStatus getHostGroupAssociatedToMappingView(const std::string& viewId,
                                                                std::vector<_HuaweiHostGroupInfo>& groups,
                                                                const std::string& vstoreId);
    HuaweiApi::ResultStatus getMappingViewAssociatedToLunGroup(const std::string& lunGroupId,
                                                               std::vector<_HuaweiLUNMappingView>& views,
                                                               const std::string& vstoreId);
    HuaweiApi::ResultStatus removeLunGroupAssociatedToMappingView(const std::string& lunGroupId,
                                                                  const std::string& viewId,
                                                                  const std::string& vstoreId);
    HuaweiApi::ResultStatus removeHostGroupAssociatedToMappingView(const std::string& hostGroupId,
                                                                   const std::string& viewId,
                                                                   const std::string& vstoreId);
    HuaweiApi::ResultStatus deleteMappingView(const std::string& viewId, const std::string& vstoreId);

    // Clones.
    HuaweiApi::ResultStatus createClone(_HuaweiCloneInfo& info);
    HuaweiApi::ResultStatus deleteClone(const std::string& cloneId);
    HuaweiApi::ResultStatus getCloneSecondaryLuns(std::list<_HuaweiCloneSecondaryLUN>& secondaries,
                                                  const std::string& cloneId);
    HuaweiApi::ResultStatus addCloneSecondaryLun(const std::string& lunId, const std::string& cloneId,
                                                 const HuaweiApi::CopySpeedValue& speed,
                                                 const HuaweiApi::ResumePolicyValue& resumePolicy,
                                                 const HuaweiApi::FirstSyncValue& firstSync);
    HuaweiApi::ResultStatus syncCloneSecondaryLun(const std::string& lunId, const std::string& cloneId);
    HuaweiApi::ResultStatus splitCloneSecondaryLun(const std::string& lunId, const std::string& cloneId);
    HuaweiApi::ResultStatus removeCloneSecondaryLun(const std::string& lunId, const std::string& cloneId);
    HuaweiApi::ResultStatus getStoragePoolInfoForName(_HuaweiStoragePoolInfo& info, const std::string& name);

    // File systems, their snapshots and shares.
    CUboError getFileSystemInfoById(const std::string& fsId, _HuaweiFileSystemsInfo& info,
                                    const std::string& vstoreId);
    // `name` in: the snapshot's name; out: its ID on the array.
    bool createFileSystemSnapshot(const uint64_t& fsId, std::string& name, bool wait,
                                  const std::string& vstoreId);
    bool deleteFileSystemSnapshot(const std::string& snapshotId, const std::string& vstoreId);
    bool getFileSystemSnapshotInfo(const std::string& snapshotId, _HuaweiSnapshotInfo& info,
                                   const std::string& vstoreId);
    bool getShareInfoByName(_HuaweiShareInfo& info, const std::string& type, const std::string& name,
                            const std::string& vstoreId);
    bool getShareInfoByFSID(_HuaweiShareInfo& info, const std::string& type, const std::string& fsId,
                            const std::string& vstoreId);
    bool createNFSShare(std::string& newId, const std::string& fsId, const std::string& name,
                        const std::string& path, const std::string& vstoreId);
    bool deleteNFSShare(const std::string& shareId, const std::string& vstoreId);
    bool getNFSSharePermissionsFromParentId(std::vector<_HuaweiNFSSharePermissionInfo>& permissions,
                                            const std::string& shareId, const std::string& vstoreId);
    bool addNFSSharePermission(std::string& newId, const std::string& name, const std::string& shareId,
                               const std::string& access, const std::string& sync,
                               const std::string& allSquash, const std::string& rootSquash,
                               const std::string& vstoreId);
    bool deleteNFSSharePermission(const std::string& permissionId, const std::string& vstoreId);
    bool createCIFSShare(std::string& newId, const std::string& name, const std::string& path,
                         const std::string& fsId, const std::string& vstoreId);
    bool deleteCIFSShare(const std::string& name, const std::string& vstoreId);
    bool getCIFSSharePermissionsFromParentId(std::vector<_HuaweiCIFSSharePermissionInfo>& permissions,
                                             const std::string& shareId, const std::string& vstoreId);
    bool addCIFSSharePermission(std::string& newId, const std::string& name, const std::string& shareId,
                                const std::string& permission, const std::string& domainType,
                                const std::string& vstoreId);

    class Impl;

  private:
    std::unique_ptr<Impl> m_impl;
};
