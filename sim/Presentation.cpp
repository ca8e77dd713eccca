#include "sim/Presentation.h"

#include <cctype>
#include <set>

namespace tavso::sim {

namespace {

// FC port names arrive with or without colons and in either case.
std::string normalPort(const std::string& id) {
    std::string out;
    for (char c : id) {
        if (c != ':') {
            out += static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

}  // namespace

std::vector<PresentedObject> presentedObjects(const ArrayState& state,
                                              const std::vector<std::string>& initiators) {
    std::set<std::string> wanted;
    for (const auto& i : initiators) {
        wanted.insert(normalPort(i));
    }
    std::set<uint32_t> hosts;
    for (const auto& i : state.initiators) {
        if (i.hostId && wanted.count(normalPort(i.id)) != 0) {
            hosts.insert(*i.hostId);
        }
    }
    std::set<uint32_t> groups;
    for (const auto& [id, g] : state.hostGroups) {
        for (uint32_t h : g.hosts) {
            if (hosts.count(h) != 0) {
                groups.insert(id);
            }
        }
    }
    std::set<uint32_t> lunGroups;
    for (const auto& [id, v] : state.mappingViews) {
        bool reaches = false;
        for (uint32_t g : v.hostGroups) {
            reaches = reaches || groups.count(g) != 0;
        }
        if (reaches) {
            lunGroups.insert(v.lunGroups.begin(), v.lunGroups.end());
        }
    }
    std::set<uint32_t> seen;
    std::vector<PresentedObject> out;
    for (uint32_t lg : lunGroups) {
        auto it = state.lunGroups.find(lg);
        if (it == state.lunGroups.end()) {
            continue;
        }
        for (uint32_t id : it->second.luns) {
            auto lun = state.luns.find(id);
            if (lun != state.luns.end() && seen.insert(id).second) {
                out.push_back({id, lun->second.wwn, false});
            }
        }
        for (uint32_t id : it->second.snapshots) {
            auto snap = state.snapshots.find(id);
            if (snap != state.snapshots.end() && seen.insert(id).second) {
                out.push_back({id, snap->second.wwn, true});
            }
        }
    }
    return out;
}

}  // namespace tavso::sim
