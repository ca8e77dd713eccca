// One simulated array's state behind one lock. Both front ends (the SSH CLI server and the REST
// server) drive the same model through the operations below; tests seed and inspect it directly.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tavso::sim {

// 512-byte sectors, as the array counts capacity.
constexpr uint64_t kSectorsPerGb = 2097152;

struct SystemInfo {
    std::string name = "Huawei.Storage";
    std::string health = "Normal";
    std::string running = "Normal";
    uint64_t totalCapacity = 100ull * 1024 * kSectorsPerGb;
    std::string serial = "2102351234ABCD000001";  // always 20 characters
    std::string location;
    std::string productModel = "5500 V3";
    std::string productVersion = "V300R006C00";
};

struct User {
    std::string name;
    std::string password;
    std::string level = "Super_admin";  // Super_admin, Admin, Read_only, Guest
    std::string description;
    std::string vstoreId;  // empty: not in a vStore
};

struct VStore {
    uint32_t id = 0;
    std::string name;
};

struct StoragePool {
    uint32_t id = 0;
    std::string name;
    std::string health = "Normal";
    std::string running = "Online";
    uint64_t totalCapacity = 0;  // sectors
    uint64_t freeCapacity = 0;
    std::string usageType = "1";
};

struct Lun {
    uint32_t id = 0;
    std::string name;
    uint32_t poolId = 0;
    uint64_t capacity = 0;  // sectors
    bool thin = true;
    std::string owner = "0A";        // 0A or 0B
    std::string running = "Online";  // Online, Offline, Initializing
    std::string health = "Normal";
    std::string wwn;  // 32 hex digits, the last 8 the ID
    std::string vstoreId;
    int onlineShowsLeft = 0;  // while > 0 the LUN is Initializing; each show counts one down
};

struct LunSnapshot {
    uint32_t id = 0;  // from the same ID space as LUNs, so a device's ID names one object
    std::string name;
    uint32_t sourceLunId = 0;
    std::string running = "Unactivated";  // Unactivated, Activated, Rolling back
    int restoreProgress = -1;             // percent while rolling back, else -1 ("--")
    std::string health = "Normal";
    std::string wwn;
    std::optional<uint32_t> copiedFrom;  // the snapshot this one duplicates
    std::string restoreSpeed;
    int restoreShows = 0;  // shows seen since the restore began
    std::string vstoreId;
};

struct LunGroup {
    uint32_t id = 0;
    std::string name;
    std::string appType = "0";
    std::set<uint32_t> luns;
    std::set<uint32_t> snapshots;
    std::string vstoreId;
};

struct Host {
    uint32_t id = 0;
    std::string name;
    std::string operatingSystem;
    std::string ipAddress;
    std::string vstoreId;
};

struct Initiator {
    std::string id;  // WWN (FC) or IQN (iSCSI)
    bool iscsi = false;
    std::optional<uint32_t> hostId;  // none: free
    std::string running = "Online";
    std::string alias;
    std::string multipathType = "Default";
    std::string vstoreId;
};

struct HostGroup {
    uint32_t id = 0;
    std::string name;
    std::set<uint32_t> hosts;
    std::string vstoreId;
};

struct MappingView {
    uint32_t id = 0;
    std::string name;
    std::set<uint32_t> hostGroups;
    std::set<uint32_t> lunGroups;
    std::string vstoreId;
};

struct CloneSecondary {
    uint32_t lunId = 0;
    std::string running = "Synchronizing";  // Synchronizing, Normal, Split, Fault
    int progress = 0;
    int syncShows = 0;  // shows seen since the synchronisation began
    std::string speed;
    std::string resumePolicy;
};

struct ClonePair {
    uint32_t id = 0;
    std::string name;
    uint32_t primaryLunId = 0;
    std::string health = "Normal";
    std::string running = "Normal";
    std::vector<CloneSecondary> secondaries;
};

struct FileSystem {
    uint32_t id = 0;
    std::string name;
    uint32_t poolId = 0;
    std::string health = "Normal";
    std::string running = "Online";
    std::string vstoreId;
};

struct FsSnapshot {
    std::string id;  // "<fs id>@<name>"
    std::string name;
    uint32_t fsId = 0;
    std::string running = "Active";
    std::string health = "Normal";
    std::string snapDiffState = "8";
};

struct NfsShare {
    uint32_t id = 0;
    uint32_t fsId = 0;
    std::string localPath;
    std::string description;
    std::string vstoreId = "0";
    std::string alias;
};

struct NfsPermission {
    uint32_t id = 0;
    uint32_t shareId = 0;
    std::string accessName;
    std::string accessType = "read_write";  // read_only, read_write
    bool sync = true;
    bool allSquash = false;
    bool rootSquash = false;
};

struct CifsShare {
    uint32_t id = 0;
    std::string name;
    uint32_t fsId = 0;
    std::string localPath;
};

struct CifsPermission {
    uint32_t id = 0;
    std::string accessName;
    uint32_t shareId = 0;
    std::string type = "user";              // user, group
    std::string permission = "Read Write";  // All Control, Read Write, Read Only, No Access
};

// Behaviour that both front ends share, staged by tests (the CLI's own faults live in FaultPlan).
struct ModelFaults {
    std::map<uint32_t, std::string> snapshotFailures;    // LUN id -> reason for create snapshot
    std::map<uint32_t, std::string> fsSnapshotFailures;  // file system id -> reason
    bool refuseActivation = false;
    // The first restoreShows shows after a restore report "Rolling back" with rising progress, the
    // last of them 100; the next one "Activated".
    int restoreShows = 1;
    // A synchronisation reports "Synchronizing" for cloneSyncShows - 1 shows, then "Normal"
    // (or "Fault" when cloneSyncFault is set) at 100.
    int cloneSyncShows = 1;
    bool cloneSyncFault = false;
    int lunOnlineShows = 0;  // a new LUN stays "Initializing" for this many shows
};

struct ArrayState {
    SystemInfo system;
    std::vector<User> users;
    std::map<uint32_t, VStore> vstores;
    std::map<uint32_t, StoragePool> pools;
    std::map<uint32_t, Lun> luns;
    std::map<uint32_t, LunSnapshot> snapshots;
    std::map<uint32_t, LunGroup> lunGroups;
    std::map<uint32_t, Host> hosts;
    std::vector<Initiator> initiators;
    std::map<uint32_t, HostGroup> hostGroups;
    std::map<uint32_t, MappingView> mappingViews;
    std::map<uint32_t, ClonePair> clones;
    std::map<uint32_t, FileSystem> fileSystems;
    std::map<std::string, FsSnapshot> fsSnapshots;
    std::map<uint32_t, NfsShare> nfsShares;
    std::map<uint32_t, NfsPermission> nfsPermissions;
    std::map<uint32_t, CifsShare> cifsShares;
    std::map<uint32_t, CifsPermission> cifsPermissions;
    ModelFaults faults;

    // Next IDs: handed out rising, never reused within a run. LUNs and snapshots share one.
    uint32_t nextLunId = 1;
    uint32_t nextPoolId = 0;
    uint32_t nextLunGroupId = 1;
    uint32_t nextHostId = 1;
    uint32_t nextHostGroupId = 1;
    uint32_t nextMappingViewId = 1;
    uint32_t nextCloneId = 1;
    uint32_t nextFileSystemId = 1;
    uint32_t nextShareId = 1;  // NFS and CIFS shares
    uint32_t nextPermissionId = 1;
    uint32_t nextVStoreId = 1;
};

enum class ObjKind {
    None,
    Lun,
    Snapshot,
    LunGroup,
    Host,
    HostGroup,
    MappingView,
    Clone,
    FileSystem,
    FsSnapshot,
    Share,
    SharePermission,
    StoragePool,
    Initiator,
    VStore
};

enum class Code {
    Ok,
    NotFound,  // kind says what
    NameExists,
    InUse,          // still a member or still holding members
    AlreadyMember,  // already associated / not unique
    NotMember,
    Conflict,    // state forbids the operation
    PairNormal,  // clone secondary already normal
    NotActivated,
    Refused,  // fault plan refused it
    InvalidParam,
};

// Outcome of an operation: on failure `text` is the array's sentence ("The LUN is in use."), which
// the CLI prints after "Error: "; on success `id` carries a new object's ID.
struct Result {
    Code code = Code::Ok;
    ObjKind kind = ObjKind::None;
    std::string text;
    std::string id;
    bool ok() const { return code == Code::Ok; }
    static Result success(std::string newId = {}) {
        Result r;
        r.id = std::move(newId);
        return r;
    }
    static Result fail(Code c, ObjKind k, std::string t) {
        Result r;
        r.code = c;
        r.kind = k;
        r.text = std::move(t);
        return r;
    }
};

// The array's sentence for an object that is not there ("The specified LUN is unavailable.").
Result notFound(ObjKind kind);

// 32 upper-case hex digits: 24 derived from the array serial, then the ID as 8 hex digits, so
// that a device presenting the object reports its ID.
std::string makeWwn(const std::string& serial, uint32_t id);

struct LunSpec {
    std::string name;
    uint32_t poolId = 0;
    uint64_t capacity = 0;  // sectors
    bool thin = true;
    std::string owner = "0A";
    std::string vstoreId;
};

// Per-object outcome of a batch create ("create snapshot general lun_id_list=...").
struct BatchItem {
    std::string objectId;  // the LUN or file system the item is for
    Result result;         // on success result.id is the new snapshot's ID
};

class ArrayModel {
  public:
    ArrayModel() = default;
    explicit ArrayModel(ArrayState initial) : m_state(std::move(initial)) {}
    ArrayModel(const ArrayModel&) = delete;
    ArrayModel& operator=(const ArrayModel&) = delete;

    // Runs f(ArrayState&) under the lock: seeding, inspection, and anything the operations below
    // do not cover. Keep f short; never call back into the model from it.
    template <class F>
    auto with(F&& f) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(m_state);
    }
    template <class F>
    auto with(F&& f) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(static_cast<const ArrayState&>(m_state));
    }
    ArrayState copy() const;

    // Seeding (IDs handed out as by the create operations).
    void addUser(User u);
    uint32_t addPool(const std::string& name, uint64_t totalSectors, uint64_t freeSectors);
    uint32_t addLun(const LunSpec& spec);  // online at once, whatever the plan says
    uint32_t addLun(const std::string& name, uint64_t capacitySectors, uint32_t poolId = 0);
    uint32_t addFileSystem(const std::string& name, uint32_t poolId, const std::string& vstoreId = {});
    uint32_t addVStore(const std::string& name);
    void setFaults(const ModelFaults& f);

    std::optional<User> findUser(const std::string& name) const;
    bool authenticate(const std::string& name, const std::string& password) const;
    SystemInfo system() const;

    // LUNs. observe* count as a "show": they advance LUNs coming online.
    Result createLun(const LunSpec& spec);
    Result renameLun(uint32_t id, const std::string& name);
    Result deleteLuns(const std::vector<uint32_t>& ids);
    std::optional<Lun> observeLun(uint32_t id);
    std::vector<Lun> observeLuns();
    // IDs of the clones a LUN belongs to, as primary or secondary.
    std::vector<uint32_t> cloneIdsOf(uint32_t lunId) const;
    std::vector<StoragePool> pools() const;

    // LUN snapshots.
    std::vector<BatchItem> createSnapshots(const std::vector<uint32_t>& lunIds, const std::string& name);
    Result activateSnapshots(const std::vector<uint32_t>& ids);
    Result deactivateSnapshot(uint32_t id);
    Result deleteSnapshots(const std::vector<uint32_t>& ids);
    Result duplicateSnapshot(uint32_t id, const std::string& name);
    Result restoreSnapshot(uint32_t id, const std::string& speed);
    std::optional<LunSnapshot> observeSnapshot(uint32_t id);
    std::vector<LunSnapshot> observeSnapshots();

    // Initiators and hosts. Objects made for a vStore carry its ID; the front ends show them only
    // to that vStore (and to the array's own administrators).
    Result createInitiator(bool iscsi, const std::string& id, const std::string& vstoreId = {});
    Result addInitiatorToHost(uint32_t hostId, bool iscsi, const std::string& id);
    // Binds a known initiator; one bound elsewhere stays where it is (AlreadyMember).
    Result bindInitiator(bool iscsi, const std::string& id, uint32_t hostId);
    std::vector<Initiator> initiators(bool iscsi) const;
    Result createHost(const std::string& name, const std::string& os, const std::string& vstoreId = {});
    Result createHostGroup(const std::string& name, const std::string& vstoreId = {});
    Result addHostToHostGroup(uint32_t groupId, uint32_t hostId);

    // LUN groups: a member ID names a LUN or a snapshot.
    Result createLunGroup(const std::string& name, const std::string& appType = "0",
                          const std::string& vstoreId = {});
    Result addToLunGroup(uint32_t groupId, uint32_t objectId);
    Result removeFromLunGroup(uint32_t groupId, uint32_t objectId);
    Result deleteLunGroup(uint32_t groupId);
    std::vector<uint32_t> lunGroupsOf(uint32_t objectId) const;

    // Mapping views.
    Result createMappingView(const std::string& name, const std::string& vstoreId = {});
    Result addHostGroupToView(uint32_t viewId, uint32_t hostGroupId);
    Result addLunGroupToView(uint32_t viewId, uint32_t lunGroupId);
    Result removeHostGroupFromView(uint32_t viewId, uint32_t hostGroupId);
    Result removeLunGroupFromView(uint32_t viewId, uint32_t lunGroupId);
    Result deleteMappingView(uint32_t viewId);

    // Clones. observeClone counts as a show of its secondaries.
    Result createClone(const std::string& name, uint32_t primaryLunId);
    Result addCloneSecondary(uint32_t cloneId, uint32_t lunId, const std::string& speed, bool initialSync,
                             const std::string& resumePolicy = {});
    Result synchronizeClone(uint32_t cloneId, uint32_t lunId);
    Result splitClone(uint32_t cloneId, uint32_t lunId);
    Result removeCloneSecondary(uint32_t cloneId, uint32_t lunId);
    Result deleteClone(uint32_t cloneId);
    std::optional<ClonePair> observeClone(uint32_t cloneId);

    // File systems and their snapshots.
    std::vector<BatchItem> createFsSnapshots(const std::vector<uint32_t>& fsIds, const std::string& name);
    Result restoreFsSnapshot(const std::string& id);
    Result deleteFsSnapshots(const std::vector<std::string>& ids);

    // Shares and permissions.
    Result createNfsShare(uint32_t fsId, const std::string& localPath, const std::string& alias,
                          const std::string& description = {});
    Result deleteNfsShare(uint32_t shareId);
    Result createNfsPermission(const NfsPermission& p);
    Result deleteNfsPermission(uint32_t id);
    Result createCifsShare(const std::string& name, const std::string& localPath, uint32_t fsId);
    Result deleteCifsShare(uint32_t shareId);
    Result createCifsPermission(const CifsPermission& p);
    Result deleteCifsPermission(uint32_t id);

  private:
    mutable std::mutex m_mutex;
    ArrayState m_state;
};

}  // namespace tavso::sim
