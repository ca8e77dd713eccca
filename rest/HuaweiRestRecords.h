// The records the REST operations fill and the plug-in reads. Members the plug-in does not use are
// kept so that the library can carry what the array reports.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "rest/HuaweiApiValues.h"

struct _HuaweiSystemInformation {
    std::string serialNumber;
    std::string name;
    std::string productVersion;
    std::string productMode;
    std::string healthStatus;
    void clear() { *this = _HuaweiSystemInformation(); }
};

// A file-system snapshot.
struct _HuaweiSnapshotInfo {
    std::string id;
    std::string name;
    std::string parentId;
    std::string healthStatus;
    std::string snapDiffState = "8";  // "8": usable for changed-file comparison
    bool notFound = false;
    void clear() { *this = _HuaweiSnapshotInfo(); }
};

struct _HuaweiLUNInfo {
    std::string id;
    std::string name;
    std::string storagePoolId;
    std::vector<std::string> cloneIds;
    HuaweiApi::AllocType allocType;
    std::string capacity;
    HuaweiApi::RunningStatus runningStatus;
    std::string vstoreId;
    std::string vstoreName;
    std::string owningController;
    // Leaves the vStore name and the owner as they are.
    void clear() {
        id.clear();
        name.clear();
        storagePoolId.clear();
        cloneIds.clear();
        allocType.clear();
        capacity.clear();
        runningStatus.clear();
        vstoreId.clear();
    }
};

struct _HuaweiLUNSnapshotInfo {
    std::string id;
    std::string name;
    std::string parentId;
    std::string sourceSnapshotId;
    std::string runningStatus;  // "43": activated
    std::string healthStatus;
    std::string wwn;
    void clear() { *this = _HuaweiLUNSnapshotInfo(); }
};

struct _HuaweiInitiator {
    std::string id;
    std::string type;
    std::string parentId;  // empty: the initiator belongs to no host
    std::string parentName;
    std::string runningStatus;
    std::string isFree;
    // Leaves the last member as it is.
    void clear() {
        id.clear();
        type.clear();
        parentId.clear();
        parentName.clear();
        runningStatus.clear();
    }
};

struct _HuaweiLUNHostInfo {
    std::string id;
    std::string name;
    std::string operatingSystem;
    std::string ipAddress;
    std::string healthStatus;
    void clear() { *this = _HuaweiLUNHostInfo(); }
};

struct _HuaweiHostGroupInfo {
    std::string id;
    std::string name;
    std::string description;
    std::string isAddToMappingView;
    void clear() { *this = _HuaweiHostGroupInfo(); }
};

struct _HuaweiLunGroupInfo {
    std::string id;
    std::string name;
    std::string appType;
    std::string description;
    std::string isAddToMappingView;
    void clear() { *this = _HuaweiLunGroupInfo(); }
};

struct _HuaweiLUNMappingView {
    std::string id;
    std::string name;
    std::string description;
    std::string enableInbandCommand;
    void clear() { *this = _HuaweiLUNMappingView(); }
};

struct _HuaweiFileSystemsInfo {
    std::string id;
    std::string name;
    std::string parentId;
    void clear() { *this = _HuaweiFileSystemsInfo(); }
};

struct _HuaweiShareInfo {
    std::string id;
    std::string fileSystemId;
    std::string name;
    std::string localPath;  // begins with a slash
    std::string subPath;    // below the file-system root, without slashes
    std::string description;
    std::string vstoreId;
    void clear() { *this = _HuaweiShareInfo(); }
};

struct _HuaweiNFSSharePermissionInfo {
    std::string id;
    std::string accessName;
    std::string accessValue;
    std::string sync;
    std::string allSquash;
    std::string rootSquash;
    std::string parentId;
    std::string secure;
    std::string vstoreId;
    void clear() { *this = _HuaweiNFSSharePermissionInfo(); }
};

struct _HuaweiCIFSSharePermissionInfo {
    std::string id;
    std::string accessName;
    std::string domainType;
    std::string parentId;
    std::string permission;
    std::string vstoreId;
    std::string type;
    void clear() { *this = _HuaweiCIFSSharePermissionInfo(); }
};

struct _HuaweiStoragePoolInfo {
    std::string id;
    std::string name;
    std::string usageType;
    void clear() { *this = _HuaweiStoragePoolInfo(); }
};

struct _HuaweiCloneInfo {
    std::string id;
    std::string name;
    std::string primaryLunId;
    void clear() { *this = _HuaweiCloneInfo(); }
};

struct _HuaweiCloneSecondaryLUN {
    std::string lunId;
    std::string name;
    std::string cloneId;
    HuaweiApi::CopySpeedValue copySpeed;
    HuaweiApi::ResumePolicyValue resumePolicy;
    HuaweiApi::CloneSecondaryLunRunningStatus runningStatus;
    int32_t syncProgress = 0;  // percent
    // Keeps the LUN id.
    void clear() {
        name.clear();
        cloneId.clear();
        copySpeed.clear();
        resumePolicy.clear();
        runningStatus.clear();
        syncProgress = 0;
    }
};
