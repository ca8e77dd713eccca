#include "sim/ArrayModel.h"

#include <algorithm>
#include <cstdio>

namespace tavso::sim {

namespace {

template <class M>
bool nameTaken(const M& objects, const std::string& name) {
    for (const auto& [id, o] : objects) {
        if (o.name == name) {
            return true;
        }
    }
    return false;
}

Result nameExists() {
    return Result::fail(Code::NameExists, ObjKind::None, "The object name already exists.");
}

// Progress of a k-th show out of n, in whole percent.
int percentOf(int k, int n) {
    return n <= 0 ? 100 : std::min(100, k * 100 / n);
}

void advanceLun(Lun& lun) {
    if (lun.onlineShowsLeft > 0 && --lun.onlineShowsLeft == 0) {
        lun.running = "Online";
    }
}

void advanceSnapshot(LunSnapshot& s, const ModelFaults& f) {
    if (s.running != "Rolling back") {
        return;
    }
    ++s.restoreShows;
    if (s.restoreShows > std::max(1, f.restoreShows)) {
        s.running = "Activated";
        s.restoreProgress = -1;
    } else {
        s.restoreProgress = percentOf(s.restoreShows, std::max(1, f.restoreShows));
    }
}

void advanceSecondary(CloneSecondary& c, const ModelFaults& f) {
    if (c.running != "Synchronizing") {
        return;
    }
    ++c.syncShows;
    int n = std::max(1, f.cloneSyncShows);
    if (c.syncShows >= n) {
        c.running = f.cloneSyncFault ? "Fault" : "Normal";
        c.progress = f.cloneSyncFault ? percentOf(c.syncShows - 1, n) : 100;
    } else {
        c.progress = percentOf(c.syncShows, n);
    }
}

bool lunBusyInClone(const ArrayState& s, uint32_t lunId) {
    for (const auto& [id, c] : s.clones) {
        if (c.primaryLunId == lunId) {
            return true;
        }
        for (const auto& sec : c.secondaries) {
            if (sec.lunId == lunId) {
                return true;
            }
        }
    }
    return false;
}

bool inAnyLunGroup(const ArrayState& s, uint32_t objectId) {
    for (const auto& [id, g] : s.lunGroups) {
        if (g.luns.count(objectId) || g.snapshots.count(objectId)) {
            return true;
        }
    }
    return false;
}

CloneSecondary* findSecondary(ClonePair& c, uint32_t lunId) {
    for (auto& sec : c.secondaries) {
        if (sec.lunId == lunId) {
            return &sec;
        }
    }
    return nullptr;
}

}  // namespace

Result notFound(ObjKind kind) {
    const char* what = "object";
    switch (kind) {
        case ObjKind::Lun:
            return Result::fail(Code::NotFound, kind, "The specified LUN is unavailable.");
        case ObjKind::Snapshot:
        case ObjKind::FsSnapshot:
            what = "snapshot";
            break;
        case ObjKind::LunGroup:
            what = "LUN group";
            break;
        case ObjKind::Host:
            what = "host";
            break;
        case ObjKind::HostGroup:
            what = "host group";
            break;
        case ObjKind::MappingView:
            what = "mapping view";
            break;
        case ObjKind::Clone:
            what = "clone";
            break;
        case ObjKind::FileSystem:
            what = "file system";
            break;
        case ObjKind::Share:
            what = "share";
            break;
        case ObjKind::SharePermission:
            what = "share permission";
            break;
        case ObjKind::StoragePool:
            what = "storage pool";
            break;
        case ObjKind::Initiator:
            what = "initiator";
            break;
        case ObjKind::VStore:
            what = "vStore";
            break;
        case ObjKind::None:
            break;
    }
    return Result::fail(Code::NotFound, kind, std::string("The specified ") + what + " does not exist.");
}

std::string makeWwn(const std::string& serial, uint32_t id) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : serial) {
        h = (h ^ c) * 1099511628211ull;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "6%015llX%08X%08X", static_cast<unsigned long long>(h >> 4),
                  static_cast<unsigned>(h & 0xffffffu), id);
    // 1 + 15 + 8 + 8 = 32 digits
    return buf;
}

ArrayState ArrayModel::copy() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

void ArrayModel::addUser(User u) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& existing : m_state.users) {
        if (existing.name == u.name) {
            existing = std::move(u);
            return;
        }
    }
    m_state.users.push_back(std::move(u));
}

uint32_t ArrayModel::addPool(const std::string& name, uint64_t totalSectors, uint64_t freeSectors) {
    std::lock_guard<std::mutex> lock(m_mutex);
    StoragePool p;
    p.id = m_state.nextPoolId++;
    p.name = name;
    p.totalCapacity = totalSectors;
    p.freeCapacity = freeSectors;
    m_state.pools[p.id] = p;
    return p.id;
}

uint32_t ArrayModel::addLun(const LunSpec& spec) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Lun l;
    l.id = m_state.nextLunId++;
    l.name = spec.name;
    l.poolId = spec.poolId;
    l.capacity = spec.capacity;
    l.thin = spec.thin;
    l.owner = spec.owner;
    l.vstoreId = spec.vstoreId;
    l.wwn = makeWwn(m_state.system.serial, l.id);
    m_state.luns[l.id] = l;
    return l.id;
}

uint32_t ArrayModel::addLun(const std::string& name, uint64_t capacitySectors, uint32_t poolId) {
    LunSpec spec;
    spec.name = name;
    spec.capacity = capacitySectors;
    spec.poolId = poolId;
    return addLun(spec);
}

uint32_t ArrayModel::addFileSystem(const std::string& name, uint32_t poolId, const std::string& vstoreId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    FileSystem f;
    f.id = m_state.nextFileSystemId++;
    f.name = name;
    f.poolId = poolId;
    f.vstoreId = vstoreId;
    m_state.fileSystems[f.id] = f;
    return f.id;
}

uint32_t ArrayModel::addVStore(const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    VStore v;
    v.id = m_state.nextVStoreId++;
    v.name = name;
    m_state.vstores[v.id] = v;
    return v.id;
}

void ArrayModel::setFaults(const ModelFaults& f) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_state.faults = f;
}

std::optional<User> ArrayModel::findUser(const std::string& name) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& u : m_state.users) {
        if (u.name == name) {
            return u;
        }
    }
    return std::nullopt;
}

bool ArrayModel::authenticate(const std::string& name, const std::string& password) const {
    auto u = findUser(name);
    return u && u->password == password;
}

SystemInfo ArrayModel::system() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state.system;
}

// ---- LUNs

Result ArrayModel::createLun(const LunSpec& spec) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.pools.count(spec.poolId)) {
        return notFound(ObjKind::StoragePool);
    }
    if (nameTaken(s.luns, spec.name) || nameTaken(s.snapshots, spec.name)) {
        return nameExists();
    }
    if (spec.capacity == 0) {
        return Result::fail(Code::InvalidParam, ObjKind::Lun, "capacity");
    }
    Lun l;
    l.id = s.nextLunId++;
    l.name = spec.name;
    l.poolId = spec.poolId;
    l.capacity = spec.capacity;
    l.thin = spec.thin;
    l.owner = spec.owner;
    l.vstoreId = spec.vstoreId;
    l.wwn = makeWwn(s.system.serial, l.id);
    l.onlineShowsLeft = std::max(0, s.faults.lunOnlineShows);
    l.running = l.onlineShowsLeft > 0 ? "Initializing" : "Online";
    s.luns[l.id] = l;
    return Result::success(std::to_string(l.id));
}

Result ArrayModel::renameLun(uint32_t id, const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_state.luns.find(id);
    if (it == m_state.luns.end()) {
        return notFound(ObjKind::Lun);
    }
    if (it->second.name != name && (nameTaken(m_state.luns, name) || nameTaken(m_state.snapshots, name))) {
        return nameExists();
    }
    it->second.name = name;
    return Result::success();
}

Result ArrayModel::deleteLuns(const std::vector<uint32_t>& ids) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    // All or nothing: check every LUN before removing any.
    for (uint32_t id : ids) {
        if (!s.luns.count(id)) {
            return notFound(ObjKind::Lun);
        }
        if (inAnyLunGroup(s, id) || lunBusyInClone(s, id)) {
            return Result::fail(Code::InUse, ObjKind::Lun, "The LUN is in use.");
        }
        for (const auto& [sid, snap] : s.snapshots) {
            if (snap.sourceLunId == id) {
                return Result::fail(Code::InUse, ObjKind::Lun, "The LUN is in use.");
            }
        }
    }
    for (uint32_t id : ids) {
        s.luns.erase(id);
    }
    return Result::success();
}

std::optional<Lun> ArrayModel::observeLun(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_state.luns.find(id);
    if (it == m_state.luns.end()) {
        return std::nullopt;
    }
    advanceLun(it->second);
    return it->second;
}

std::vector<Lun> ArrayModel::observeLuns() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Lun> out;
    for (auto& [id, l] : m_state.luns) {
        advanceLun(l);
        out.push_back(l);
    }
    return out;
}

std::vector<uint32_t> ArrayModel::cloneIdsOf(uint32_t lunId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<uint32_t> out;
    for (const auto& [id, c] : m_state.clones) {
        bool member = c.primaryLunId == lunId;
        for (const auto& sec : c.secondaries) {
            member = member || sec.lunId == lunId;
        }
        if (member) {
            out.push_back(id);
        }
    }
    return out;
}

std::vector<StoragePool> ArrayModel::pools() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<StoragePool> out;
    for (const auto& [id, p] : m_state.pools) {
        out.push_back(p);
    }
    return out;
}

// ---- LUN snapshots

std::vector<BatchItem> ArrayModel::createSnapshots(const std::vector<uint32_t>& lunIds,
                                                   const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    std::vector<BatchItem> out;
    for (size_t i = 0; i < lunIds.size(); ++i) {
        BatchItem item;
        item.objectId = std::to_string(lunIds[i]);
        std::string snapName = name;
        if (lunIds.size() > 1) {
            char pos[32];
            std::snprintf(pos, sizeof pos, "%04zu", i);
            snapName += pos;
        }
        auto fail = s.faults.snapshotFailures.find(lunIds[i]);
        if (fail != s.faults.snapshotFailures.end()) {
            item.result = Result::fail(Code::Refused, ObjKind::Snapshot, fail->second);
        } else if (!s.luns.count(lunIds[i])) {
            item.result = notFound(ObjKind::Lun);
        } else if (nameTaken(s.snapshots, snapName) || nameTaken(s.luns, snapName)) {
            item.result = nameExists();
        } else {
            LunSnapshot snap;
            snap.id = s.nextLunId++;
            snap.name = snapName;
            snap.sourceLunId = lunIds[i];
            snap.vstoreId = s.luns[lunIds[i]].vstoreId;
            snap.wwn = makeWwn(s.system.serial, snap.id);
            s.snapshots[snap.id] = snap;
            item.result = Result::success(std::to_string(snap.id));
        }
        out.push_back(std::move(item));
    }
    return out;
}

Result ArrayModel::activateSnapshots(const std::vector<uint32_t>& ids) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    for (uint32_t id : ids) {
        if (!s.snapshots.count(id)) {
            return notFound(ObjKind::Snapshot);
        }
    }
    if (s.faults.refuseActivation) {
        return Result::fail(Code::Refused, ObjKind::Snapshot, "The snapshot activation failed.");
    }
    for (uint32_t id : ids) {
        if (s.snapshots[id].running == "Rolling back") {
            return Result::fail(Code::Conflict, ObjKind::Snapshot,
                                "The operation is prohibited under the current status of the snapshot.");
        }
    }
    for (uint32_t id : ids) {
        s.snapshots[id].running = "Activated";
    }
    return Result::success();
}

Result ArrayModel::deactivateSnapshot(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_state.snapshots.find(id);
    if (it == m_state.snapshots.end()) {
        return notFound(ObjKind::Snapshot);
    }
    if (it->second.running == "Unactivated") {
        return Result::fail(Code::NotActivated, ObjKind::Snapshot, "The snapshot is not activated.");
    }
    if (it->second.running == "Rolling back") {
        return Result::fail(Code::Conflict, ObjKind::Snapshot,
                            "The operation is prohibited under the current status of the snapshot.");
    }
    if (inAnyLunGroup(m_state, id)) {
        return Result::fail(Code::InUse, ObjKind::Snapshot, "The snapshot is in use.");
    }
    it->second.running = "Unactivated";
    return Result::success();
}

Result ArrayModel::deleteSnapshots(const std::vector<uint32_t>& ids) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    for (uint32_t id : ids) {
        auto it = s.snapshots.find(id);
        if (it == s.snapshots.end()) {
            return notFound(ObjKind::Snapshot);
        }
        if (it->second.running != "Unactivated") {
            return Result::fail(Code::Conflict, ObjKind::Snapshot,
                                "The snapshot is activated. Deactivate it first.");
        }
        if (inAnyLunGroup(s, id)) {
            return Result::fail(Code::InUse, ObjKind::Snapshot, "The snapshot is in use.");
        }
    }
    for (uint32_t id : ids) {
        s.snapshots.erase(id);
    }
    return Result::success();
}

Result ArrayModel::duplicateSnapshot(uint32_t id, const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    auto it = s.snapshots.find(id);
    if (it == s.snapshots.end()) {
        return notFound(ObjKind::Snapshot);
    }
    if (nameTaken(s.snapshots, name) || nameTaken(s.luns, name)) {
        return nameExists();
    }
    LunSnapshot snap;
    snap.id = s.nextLunId++;
    snap.name = name;
    snap.sourceLunId = it->second.sourceLunId;
    snap.running = "Activated";
    snap.copiedFrom = id;
    snap.vstoreId = it->second.vstoreId;
    snap.wwn = makeWwn(s.system.serial, snap.id);
    s.snapshots[snap.id] = snap;
    return Result::success(std::to_string(snap.id));
}

Result ArrayModel::restoreSnapshot(uint32_t id, const std::string& speed) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_state.snapshots.find(id);
    if (it == m_state.snapshots.end()) {
        return notFound(ObjKind::Snapshot);
    }
    if (it->second.running != "Activated") {
        return Result::fail(Code::Conflict, ObjKind::Snapshot,
                            "The operation is prohibited under the current status of the snapshot.");
    }
    it->second.running = "Rolling back";
    it->second.restoreProgress = 0;
    it->second.restoreShows = 0;
    it->second.restoreSpeed = speed;
    return Result::success();
}

std::optional<LunSnapshot> ArrayModel::observeSnapshot(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_state.snapshots.find(id);
    if (it == m_state.snapshots.end()) {
        return std::nullopt;
    }
    advanceSnapshot(it->second, m_state.faults);
    return it->second;
}

std::vector<LunSnapshot> ArrayModel::observeSnapshots() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<LunSnapshot> out;
    for (auto& [id, snap] : m_state.snapshots) {
        advanceSnapshot(snap, m_state.faults);
        out.push_back(snap);
    }
    return out;
}

// ---- initiators and hosts

Result ArrayModel::createInitiator(bool iscsi, const std::string& id, const std::string& vstoreId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& i : m_state.initiators) {
        if (i.iscsi == iscsi && i.id == id) {
            return Result::fail(Code::AlreadyMember, ObjKind::Initiator,
                                "The specified object ID is not unique.");
        }
    }
    Initiator i;
    i.id = id;
    i.iscsi = iscsi;
    i.vstoreId = vstoreId;
    m_state.initiators.push_back(i);
    return Result::success(id);
}

Result ArrayModel::addInitiatorToHost(uint32_t hostId, bool iscsi, const std::string& id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.hosts.count(hostId)) {
        return notFound(ObjKind::Host);
    }
    Initiator* found = nullptr;
    for (auto& i : m_state.initiators) {
        if (i.iscsi == iscsi && i.id == id) {
            found = &i;
        }
    }
    if (!found) {
        // The array creates an unknown initiator on the fly when it is added to a host.
        Initiator i;
        i.id = id;
        i.iscsi = iscsi;
        m_state.initiators.push_back(i);
        found = &m_state.initiators.back();
    }
    if (found->hostId) {
        return Result::fail(Code::AlreadyMember, ObjKind::Initiator,
                            "The specified object ID is not unique.");
    }
    found->hostId = hostId;
    return Result::success();
}

Result ArrayModel::bindInitiator(bool iscsi, const std::string& id, uint32_t hostId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.hosts.count(hostId)) {
        return notFound(ObjKind::Host);
    }
    for (auto& i : m_state.initiators) {
        if (i.iscsi != iscsi || i.id != id) {
            continue;
        }
        if (i.hostId && *i.hostId != hostId) {
            return Result::fail(Code::AlreadyMember, ObjKind::Initiator,
                                "The initiator has been added to another host.");
        }
        i.hostId = hostId;
        return Result::success();
    }
    return notFound(ObjKind::Initiator);
}

std::vector<Initiator> ArrayModel::initiators(bool iscsi) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Initiator> out;
    for (const auto& i : m_state.initiators) {
        if (i.iscsi == iscsi) {
            out.push_back(i);
        }
    }
    return out;
}

Result ArrayModel::createHost(const std::string& name, const std::string& os, const std::string& vstoreId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (nameTaken(m_state.hosts, name)) {
        return nameExists();
    }
    Host h;
    h.id = m_state.nextHostId++;
    h.name = name;
    h.operatingSystem = os;
    h.vstoreId = vstoreId;
    m_state.hosts[h.id] = h;
    return Result::success(std::to_string(h.id));
}

Result ArrayModel::createHostGroup(const std::string& name, const std::string& vstoreId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (nameTaken(m_state.hostGroups, name)) {
        return nameExists();
    }
    HostGroup g;
    g.id = m_state.nextHostGroupId++;
    g.name = name;
    g.vstoreId = vstoreId;
    m_state.hostGroups[g.id] = g;
    return Result::success(std::to_string(g.id));
}

Result ArrayModel::addHostToHostGroup(uint32_t groupId, uint32_t hostId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto g = m_state.hostGroups.find(groupId);
    if (g == m_state.hostGroups.end()) {
        return notFound(ObjKind::HostGroup);
    }
    if (!m_state.hosts.count(hostId)) {
        return notFound(ObjKind::Host);
    }
    if (!g->second.hosts.insert(hostId).second) {
        return Result::fail(Code::AlreadyMember, ObjKind::HostGroup,
                            "The host has been added to the host group.");
    }
    return Result::success();
}

// ---- LUN groups

Result ArrayModel::createLunGroup(const std::string& name, const std::string& appType,
                                  const std::string& vstoreId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (nameTaken(m_state.lunGroups, name)) {
        return nameExists();
    }
    LunGroup g;
    g.id = m_state.nextLunGroupId++;
    g.name = name;
    g.appType = appType;
    g.vstoreId = vstoreId;
    m_state.lunGroups[g.id] = g;
    return Result::success(std::to_string(g.id));
}

Result ArrayModel::addToLunGroup(uint32_t groupId, uint32_t objectId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto g = m_state.lunGroups.find(groupId);
    if (g == m_state.lunGroups.end()) {
        return notFound(ObjKind::LunGroup);
    }
    std::set<uint32_t>* members = nullptr;
    if (m_state.luns.count(objectId)) {
        members = &g->second.luns;
    } else if (m_state.snapshots.count(objectId)) {
        // Only an activated snapshot can be presented.
        if (m_state.snapshots[objectId].running == "Unactivated") {
            return Result::fail(Code::NotActivated, ObjKind::Snapshot, "The snapshot is not activated.");
        }
        members = &g->second.snapshots;
    } else {
        return notFound(ObjKind::Lun);
    }
    if (!members->insert(objectId).second) {
        return Result::fail(Code::AlreadyMember, ObjKind::LunGroup,
                            "The LUN has been added to the LUN group.");
    }
    return Result::success();
}

Result ArrayModel::removeFromLunGroup(uint32_t groupId, uint32_t objectId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto g = m_state.lunGroups.find(groupId);
    if (g == m_state.lunGroups.end()) {
        return notFound(ObjKind::LunGroup);
    }
    if (!g->second.luns.erase(objectId) && !g->second.snapshots.erase(objectId)) {
        return Result::fail(Code::NotMember, ObjKind::LunGroup,
                            "The LUN has not been added to the LUN group.");
    }
    return Result::success();
}

Result ArrayModel::deleteLunGroup(uint32_t groupId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto g = m_state.lunGroups.find(groupId);
    if (g == m_state.lunGroups.end()) {
        return notFound(ObjKind::LunGroup);
    }
    if (!g->second.luns.empty() || !g->second.snapshots.empty()) {
        return Result::fail(Code::InUse, ObjKind::LunGroup, "The LUN group contains LUNs.");
    }
    for (const auto& [id, v] : m_state.mappingViews) {
        if (v.lunGroups.count(groupId)) {
            return Result::fail(Code::InUse, ObjKind::LunGroup,
                                "The LUN group has been added to a mapping view.");
        }
    }
    m_state.lunGroups.erase(g);
    return Result::success();
}

std::vector<uint32_t> ArrayModel::lunGroupsOf(uint32_t objectId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<uint32_t> out;
    for (const auto& [id, g] : m_state.lunGroups) {
        if (g.luns.count(objectId) || g.snapshots.count(objectId)) {
            out.push_back(id);
        }
    }
    return out;
}

// ---- mapping views

Result ArrayModel::createMappingView(const std::string& name, const std::string& vstoreId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (nameTaken(m_state.mappingViews, name)) {
        return nameExists();
    }
    MappingView v;
    v.id = m_state.nextMappingViewId++;
    v.name = name;
    v.vstoreId = vstoreId;
    m_state.mappingViews[v.id] = v;
    return Result::success(std::to_string(v.id));
}

Result ArrayModel::addHostGroupToView(uint32_t viewId, uint32_t hostGroupId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto v = m_state.mappingViews.find(viewId);
    if (v == m_state.mappingViews.end()) {
        return notFound(ObjKind::MappingView);
    }
    if (!m_state.hostGroups.count(hostGroupId)) {
        return notFound(ObjKind::HostGroup);
    }
    if (!v->second.hostGroups.insert(hostGroupId).second) {
        return Result::fail(Code::AlreadyMember, ObjKind::MappingView,
                            "The host group has been added to the mapping view.");
    }
    return Result::success();
}

Result ArrayModel::addLunGroupToView(uint32_t viewId, uint32_t lunGroupId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto v = m_state.mappingViews.find(viewId);
    if (v == m_state.mappingViews.end()) {
        return notFound(ObjKind::MappingView);
    }
    if (!m_state.lunGroups.count(lunGroupId)) {
        return notFound(ObjKind::LunGroup);
    }
    if (!v->second.lunGroups.insert(lunGroupId).second) {
        return Result::fail(Code::AlreadyMember, ObjKind::MappingView,
                            "The LUN group already exists in the mapping view.");
    }
    return Result::success();
}

Result ArrayModel::removeHostGroupFromView(uint32_t viewId, uint32_t hostGroupId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto v = m_state.mappingViews.find(viewId);
    if (v == m_state.mappingViews.end()) {
        return notFound(ObjKind::MappingView);
    }
    if (!v->second.hostGroups.erase(hostGroupId)) {
        return Result::fail(Code::NotMember, ObjKind::HostGroup,
                            "The host group has not been added to the mapping view.");
    }
    return Result::success();
}

Result ArrayModel::removeLunGroupFromView(uint32_t viewId, uint32_t lunGroupId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto v = m_state.mappingViews.find(viewId);
    if (v == m_state.mappingViews.end()) {
        return notFound(ObjKind::MappingView);
    }
    if (!v->second.lunGroups.erase(lunGroupId)) {
        return Result::fail(Code::NotMember, ObjKind::LunGroup,
                            "The LUN group has not been added to the mapping view.");
    }
    return Result::success();
}

Result ArrayModel::deleteMappingView(uint32_t viewId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto v = m_state.mappingViews.find(viewId);
    if (v == m_state.mappingViews.end()) {
        return notFound(ObjKind::MappingView);
    }
    if (!v->second.hostGroups.empty() || !v->second.lunGroups.empty()) {
        return Result::fail(Code::InUse, ObjKind::MappingView,
                            "The mapping view contains host groups or LUN groups.");
    }
    m_state.mappingViews.erase(v);
    return Result::success();
}

// ---- clones

Result ArrayModel::createClone(const std::string& name, uint32_t primaryLunId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    auto lun = s.luns.find(primaryLunId);
    if (lun == s.luns.end()) {
        return notFound(ObjKind::Lun);
    }
    if (nameTaken(s.clones, name)) {
        return nameExists();
    }
    bool secondary = false;
    for (auto& [id, c] : s.clones) {
        secondary = secondary || findSecondary(c, primaryLunId) != nullptr;
    }
    if (secondary || lun->second.running != "Online") {
        return Result::fail(Code::Conflict, ObjKind::Lun,
                            "The operation is prohibited under the current conflict status of the LUN.");
    }
    ClonePair c;
    c.id = s.nextCloneId++;
    c.name = name;
    c.primaryLunId = primaryLunId;
    s.clones[c.id] = c;
    return Result::success(std::to_string(c.id));
}

Result ArrayModel::addCloneSecondary(uint32_t cloneId, uint32_t lunId, const std::string& speed,
                                     bool initialSync, const std::string& resumePolicy) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    auto c = s.clones.find(cloneId);
    if (c == s.clones.end()) {
        return notFound(ObjKind::Clone);
    }
    auto lun = s.luns.find(lunId);
    if (lun == s.luns.end()) {
        return notFound(ObjKind::Lun);
    }
    const Lun& primary = s.luns[c->second.primaryLunId];
    if (findSecondary(c->second, lunId)) {
        // Already where the caller wants it; the CLI words it as any other conflict.
        return Result::fail(Code::AlreadyMember, ObjKind::Lun,
                            "The operation is prohibited under the current conflict status of the LUN.");
    }
    if (lunBusyInClone(s, lunId) || inAnyLunGroup(s, lunId) || lun->second.running != "Online" ||
        lun->second.capacity < primary.capacity) {
        return Result::fail(Code::Conflict, ObjKind::Lun,
                            "The operation is prohibited under the current conflict status of the LUN.");
    }
    CloneSecondary sec;
    sec.lunId = lunId;
    sec.speed = speed;
    sec.resumePolicy = resumePolicy;
    sec.running = initialSync ? "Synchronizing" : "Split";
    c->second.secondaries.push_back(sec);
    return Result::success();
}

Result ArrayModel::synchronizeClone(uint32_t cloneId, uint32_t lunId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto c = m_state.clones.find(cloneId);
    if (c == m_state.clones.end()) {
        return notFound(ObjKind::Clone);
    }
    CloneSecondary* sec = findSecondary(c->second, lunId);
    if (!sec) {
        return notFound(ObjKind::Lun);
    }
    if (sec->running == "Normal") {
        return Result::fail(Code::PairNormal, ObjKind::Clone, "The pair is in the normal state.");
    }
    sec->running = "Synchronizing";
    sec->progress = 0;
    sec->syncShows = 0;
    return Result::success();
}

Result ArrayModel::splitClone(uint32_t cloneId, uint32_t lunId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto c = m_state.clones.find(cloneId);
    if (c == m_state.clones.end()) {
        return notFound(ObjKind::Clone);
    }
    CloneSecondary* sec = findSecondary(c->second, lunId);
    if (!sec) {
        return notFound(ObjKind::Lun);
    }
    sec->running = "Split";
    return Result::success();
}

Result ArrayModel::removeCloneSecondary(uint32_t cloneId, uint32_t lunId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto c = m_state.clones.find(cloneId);
    if (c == m_state.clones.end()) {
        return notFound(ObjKind::Clone);
    }
    auto& secs = c->second.secondaries;
    auto it =
        std::find_if(secs.begin(), secs.end(), [&](const CloneSecondary& x) { return x.lunId == lunId; });
    if (it == secs.end()) {
        return notFound(ObjKind::Lun);
    }
    secs.erase(it);
    return Result::success();
}

Result ArrayModel::deleteClone(uint32_t cloneId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto c = m_state.clones.find(cloneId);
    if (c == m_state.clones.end()) {
        return notFound(ObjKind::Clone);
    }
    if (!c->second.secondaries.empty()) {
        return Result::fail(Code::InUse, ObjKind::Clone, "The clone still has secondary LUNs.");
    }
    m_state.clones.erase(c);
    return Result::success();
}

std::optional<ClonePair> ArrayModel::observeClone(uint32_t cloneId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto c = m_state.clones.find(cloneId);
    if (c == m_state.clones.end()) {
        return std::nullopt;
    }
    for (auto& sec : c->second.secondaries) {
        advanceSecondary(sec, m_state.faults);
    }
    return c->second;
}

// ---- file systems

std::vector<BatchItem> ArrayModel::createFsSnapshots(const std::vector<uint32_t>& fsIds,
                                                     const std::string& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    std::vector<BatchItem> out;
    for (uint32_t fsId : fsIds) {
        BatchItem item;
        item.objectId = std::to_string(fsId);
        std::string id = std::to_string(fsId) + "@" + name;
        auto fail = s.faults.fsSnapshotFailures.find(fsId);
        if (fail != s.faults.fsSnapshotFailures.end()) {
            item.result = Result::fail(Code::Refused, ObjKind::FsSnapshot, fail->second);
        } else if (!s.fileSystems.count(fsId)) {
            item.result = notFound(ObjKind::FileSystem);
        } else if (s.fsSnapshots.count(id)) {
            item.result = nameExists();
        } else {
            FsSnapshot snap;
            snap.id = id;
            snap.name = name;
            snap.fsId = fsId;
            s.fsSnapshots[id] = snap;
            item.result = Result::success(id);
        }
        out.push_back(std::move(item));
    }
    return out;
}

Result ArrayModel::restoreFsSnapshot(const std::string& id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.fsSnapshots.count(id)) {
        return notFound(ObjKind::FsSnapshot);
    }
    return Result::success();
}

Result ArrayModel::deleteFsSnapshots(const std::vector<std::string>& ids) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& id : ids) {
        if (!m_state.fsSnapshots.count(id)) {
            return notFound(ObjKind::FsSnapshot);
        }
    }
    for (const auto& id : ids) {
        m_state.fsSnapshots.erase(id);
    }
    return Result::success();
}

// ---- shares

Result ArrayModel::createNfsShare(uint32_t fsId, const std::string& localPath, const std::string& alias,
                                  const std::string& description) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.fileSystems.count(fsId)) {
        return notFound(ObjKind::FileSystem);
    }
    for (const auto& [id, sh] : s.nfsShares) {
        if (sh.localPath == localPath) {
            return nameExists();
        }
    }
    NfsShare sh;
    sh.id = s.nextShareId++;
    sh.fsId = fsId;
    sh.localPath = localPath;
    sh.alias = alias;
    sh.description = description;
    s.nfsShares[sh.id] = sh;
    return Result::success(std::to_string(sh.id));
}

Result ArrayModel::deleteNfsShare(uint32_t shareId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.nfsShares.erase(shareId)) {
        return notFound(ObjKind::Share);
    }
    for (auto it = s.nfsPermissions.begin(); it != s.nfsPermissions.end();) {
        it = it->second.shareId == shareId ? s.nfsPermissions.erase(it) : std::next(it);
    }
    return Result::success();
}

Result ArrayModel::createNfsPermission(const NfsPermission& p) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.nfsShares.count(p.shareId)) {
        return notFound(ObjKind::Share);
    }
    for (const auto& [id, x] : s.nfsPermissions) {
        if (x.shareId == p.shareId && x.accessName == p.accessName) {
            return Result::fail(Code::AlreadyMember, ObjKind::SharePermission,
                                "The share permission already exists.");
        }
    }
    NfsPermission n = p;
    n.id = s.nextPermissionId++;
    s.nfsPermissions[n.id] = n;
    return Result::success(std::to_string(n.id));
}

Result ArrayModel::deleteNfsPermission(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.nfsPermissions.erase(id)) {
        return notFound(ObjKind::SharePermission);
    }
    return Result::success();
}

Result ArrayModel::createCifsShare(const std::string& name, const std::string& localPath, uint32_t fsId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.fileSystems.count(fsId)) {
        return notFound(ObjKind::FileSystem);
    }
    if (nameTaken(s.cifsShares, name)) {
        return nameExists();
    }
    CifsShare sh;
    sh.id = s.nextShareId++;
    sh.name = name;
    sh.localPath = localPath;
    sh.fsId = fsId;
    s.cifsShares[sh.id] = sh;
    return Result::success(std::to_string(sh.id));
}

Result ArrayModel::deleteCifsShare(uint32_t shareId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.cifsShares.erase(shareId)) {
        return notFound(ObjKind::Share);
    }
    for (auto it = s.cifsPermissions.begin(); it != s.cifsPermissions.end();) {
        it = it->second.shareId == shareId ? s.cifsPermissions.erase(it) : std::next(it);
    }
    return Result::success();
}

Result ArrayModel::createCifsPermission(const CifsPermission& p) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& s = m_state;
    if (!s.cifsShares.count(p.shareId)) {
        return notFound(ObjKind::Share);
    }
    for (const auto& [id, x] : s.cifsPermissions) {
        if (x.shareId == p.shareId && x.accessName == p.accessName) {
            return Result::fail(Code::AlreadyMember, ObjKind::SharePermission,
                                "The share permission already exists.");
        }
    }
    CifsPermission n = p;
    n.id = s.nextPermissionId++;
    s.cifsPermissions[n.id] = n;
    return Result::success(std::to_string(n.id));
}

Result ArrayModel::deleteCifsPermission(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_state.cifsPermissions.erase(id)) {
        return notFound(ObjKind::SharePermission);
    }
    return Result::success();
}

}  // namespace tavso::sim
