// REST file systems, their snapshots, NFS and CIFS shares.
#include "platform/TavManageHuawei.h"

#include "platform/TavManageHuaweiCall.h"

using namespace tavrest;
using namespace tavrest::code;

// Not built yet: each fails clearly instead of pretending.
CUboError TavManageHuawei::getFileSystemInfoById(const std::string&, _HuaweiFileSystemsInfo&,
                                                 const std::string&) {
    return CUboError(-1, notImplemented("getFileSystemInfoById").GetErrorString());
}

bool TavManageHuawei::createFileSystemSnapshot(const std::string&, std::string&, bool, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "createFileSystemSnapshot");
    return false;
}

bool TavManageHuawei::deleteFileSystemSnapshot(const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "deleteFileSystemSnapshot");
    return false;
}

bool TavManageHuawei::getFileSystemSnapshotInfo(const std::string&, _HuaweiSnapshotInfo&,
                                                const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "getFileSystemSnapshotInfo");
    return false;
}

bool TavManageHuawei::getShareInfoByName(_HuaweiShareInfo&, const std::string&, const std::string&,
                                         const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "getShareInfoByName");
    return false;
}

bool TavManageHuawei::getShareInfoByFSID(_HuaweiShareInfo&, const std::string&, const std::string&,
                                         const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "getShareInfoByFSID");
    return false;
}

bool TavManageHuawei::createNFSShare(std::string&, const std::string&, const std::string&, const std::string&,
                                     const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "createNFSShare");
    return false;
}

bool TavManageHuawei::deleteNFSShare(const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "deleteNFSShare");
    return false;
}

bool TavManageHuawei::getNFSSharePermissionsFromParentId(std::vector<_HuaweiNFSSharePermissionInfo>&,
                                                         const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "getNFSSharePermissionsFromParentId");
    return false;
}

bool TavManageHuawei::addNFSSharePermission(std::string&, const std::string&, const std::string&,
                                            const std::string&, const std::string&, const std::string&,
                                            const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "addNFSSharePermission");
    return false;
}

bool TavManageHuawei::deleteNFSSharePermission(const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "deleteNFSSharePermission");
    return false;
}

bool TavManageHuawei::createCIFSShare(std::string&, const std::string&, const std::string&,
                                      const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "createCIFSShare");
    return false;
}

bool TavManageHuawei::deleteCIFSShare(const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "deleteCIFSShare");
    return false;
}

bool TavManageHuawei::getCIFSSharePermissionsFromParentId(std::vector<_HuaweiCIFSSharePermissionInfo>&,
                                                          const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "getCIFSSharePermissionsFromParentId");
    return false;
}

bool TavManageHuawei::addCIFSSharePermission(std::string&, const std::string&, const std::string&,
                                             const std::string&, const std::string&, const std::string&) {
    logNotImplemented(jobIdOf(*m_impl), "addCIFSSharePermission");
    return false;
}
