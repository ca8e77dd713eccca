#include "host/PresentedDevices.h"

#include <strings.h>

#include <cstdio>
#include <set>

namespace tavso::host {

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

void putText(std::vector<uint8_t>& bytes, size_t at, size_t width, const std::string& text) {
    for (size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<uint8_t>(i < text.size() ? text[i] : ' ');
    }
}

}  // namespace

std::vector<PresentedObject> presentedObjects(const sim::ArrayState& state,
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

InquiryPages inquiryPagesOf(const sim::ArrayState& state, const PresentedObject& object) {
    InquiryPages p;
    p.standard.assign(96, 0);
    p.standard[2] = 6;  // SPC-4
    p.standard[3] = 2;
    p.standard[4] = 91;
    putText(p.standard, 8, 8, "HUAWEI");
    putText(p.standard, 16, 16, "XSG1");
    putText(p.standard, 32, 4, "6000");

    p.vpd80.assign(28, 0);
    p.vpd80[1] = 0x80;
    p.vpd80[3] = 24;
    putText(p.vpd80, 4, 20, state.system.serial);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04u", object.id % 10000);
    putText(p.vpd80, 24, 4, digits);

    p.vpd83.assign(24, 0);
    p.vpd83[1] = 0x83;
    p.vpd83[3] = 20;
    p.vpd83[4] = 0x01;  // binary code set
    p.vpd83[5] = 0x03;  // NAA designator
    p.vpd83[7] = 16;
    for (size_t i = 0; i < 16 && 2 * i + 1 < object.wwn.size(); ++i) {
        p.vpd83[8 + i] = static_cast<uint8_t>(std::stoi(object.wwn.substr(2 * i, 2), nullptr, 16));
    }
    return p;
}

}  // namespace tavso::host
