// Presenting LUNs to hosts: initiators, hosts, host groups, LUN groups and mapping views.
#include "sim/CliCommands.h"

namespace tavso::sim {

namespace {

CommandOutput showInitiators(CommandContext& c) {
    bool iscsi = choiceParam(c, "initiator_type", {"FC", "iSCSI"}) == "iSCSI";
    Table t{{iscsi ? "iSCSI IQN" : "WWN", "Running Status", "Free", "Alias", "Host ID", "Multipath Type"},
            {}};
    for (const auto& i : c.model.initiators(iscsi)) {
        t.rows.push_back({i.id, i.running, i.hostId ? "No" : "Yes", i.alias,
                          i.hostId ? std::to_string(*i.hostId) : "--", i.multipathType});
    }
    return tableReply(std::move(t));
}

CommandOutput addHostInitiator(CommandContext& c) {
    uint32_t host = idParam(c, "host_id");
    bool iscsi = choiceParam(c, "initiator_type", {"FC", "iSCSI"}) == "iSCSI";
    const std::string& id = textParam(c, iscsi ? "iscsi_iqn_name" : "wwn");
    return resultReply(c.model.addInitiatorToHost(host, iscsi, id));
}

// A two-column ID/Name table of the objects `pick` selects from the state.
template <class Pick>
CommandOutput idNameTable(CommandContext& c, std::vector<std::string> headers, Pick pick) {
    Table t{std::move(headers), {}};
    c.model.with([&](const ArrayState& s) { pick(s, t.rows); });
    return tableReply(std::move(t));
}

template <class M>
void allOf(const M& objects, std::vector<std::vector<std::string>>& rows) {
    for (const auto& [id, o] : objects) {
        rows.push_back({std::to_string(id), o.name});
    }
}

template <class M>
void membersOf(const M& objects, const std::set<uint32_t>& ids, std::vector<std::vector<std::string>>& rows) {
    for (uint32_t id : ids) {
        auto it = objects.find(id);
        if (it != objects.end()) {
            rows.push_back({std::to_string(id), it->second.name});
        }
    }
}

// Shows the members of a group; `members` returns null when the group does not exist.
template <class Members>
CommandOutput groupMembers(CommandContext& c, const std::string& key, ObjKind kind,
                           std::vector<std::string> headers, Members members) {
    uint32_t id = idParam(c, key);
    bool found = true;
    auto out = idNameTable(c, std::move(headers),
                           [&](const ArrayState& s, auto& rows) { found = members(s, id, rows); });
    return found ? out : resultReply(notFound(kind));
}

// Applies `op` to every ID of the list, stopping at the first failure.
template <class Op>
CommandOutput forEachId(CommandContext& c, const std::string& key, Op op) {
    for (uint32_t id : idListParam(c, key)) {
        Result r = op(id);
        if (!r.ok()) {
            return resultReply(r);
        }
    }
    return success();
}

}  // namespace

void addMappingCommands(std::vector<CommandDef>& out) {
    out.push_back({"show initiator", {"initiator_type"}, {}, Confirm::None, showInitiators});
    out.push_back({"create initiator fc", {"wwn"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.createInitiator(false, textParam(c, "wwn")));
                   }});
    out.push_back({"create initiator iscsi", {"iscsi_iqn_name"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.createInitiator(true, textParam(c, "iscsi_iqn_name")));
                   }});
    out.push_back({"add host initiator",
                   {"host_id", "initiator_type"},
                   {"wwn", "iscsi_iqn_name"},
                   Confirm::None,
                   addHostInitiator});
    out.push_back({"create host", {"name", "operating_system"}, {}, Confirm::Caution, [](CommandContext& c) {
                       return resultReply(
                           c.model.createHost(textParam(c, "name"), textParam(c, "operating_system")));
                   }});
    out.push_back(
        {"show host general", {}, {}, Confirm::None, [](CommandContext& c) {
             return idNameTable(
                 c, {"ID", "Name", "Operating System", "IP Address"}, [](const ArrayState& s, auto& rows) {
                     for (const auto& [id, h] : s.hosts) {
                         rows.push_back({std::to_string(id), h.name, h.operatingSystem, h.ipAddress});
                     }
                 });
         }});
    out.push_back({"create host_group", {"name"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.createHostGroup(textParam(c, "name")));
                   }});
    out.push_back({"show host_group general", {}, {}, Confirm::None, [](CommandContext& c) {
                       return idNameTable(c, {"ID", "Name"},
                                          [](const ArrayState& s, auto& rows) { allOf(s.hostGroups, rows); });
                   }});
    out.push_back({"show host_group host", {"host_group_id"}, {}, Confirm::None, [](CommandContext& c) {
                       return groupMembers(c, "host_group_id", ObjKind::HostGroup, {"ID", "Name"},
                                           [](const ArrayState& s, uint32_t id, auto& rows) {
                                               auto g = s.hostGroups.find(id);
                                               if (g == s.hostGroups.end()) {
                                                   return false;
                                               }
                                               membersOf(s.hosts, g->second.hosts, rows);
                                               return true;
                                           });
                   }});
    out.push_back(
        {"add host_group host", {"host_group_id", "host_id_list"}, {}, Confirm::None, [](CommandContext& c) {
             uint32_t g = idParam(c, "host_group_id");
             return forEachId(c, "host_id_list",
                              [&](uint32_t h) { return c.model.addHostToHostGroup(g, h); });
         }});

    out.push_back({"create lun_group", {"name"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.createLunGroup(textParam(c, "name")));
                   }});
    out.push_back({"show lun_group general", {}, {}, Confirm::None, [](CommandContext& c) {
                       return idNameTable(c, {"ID", "Name"},
                                          [](const ArrayState& s, auto& rows) { allOf(s.lunGroups, rows); });
                   }});
    out.push_back({"show lun_group lun", {"lun_group_id"}, {}, Confirm::None, [](CommandContext& c) {
                       return groupMembers(c, "lun_group_id", ObjKind::LunGroup, {"ID", "Name"},
                                           [](const ArrayState& s, uint32_t id, auto& rows) {
                                               auto g = s.lunGroups.find(id);
                                               if (g == s.lunGroups.end()) {
                                                   return false;
                                               }
                                               membersOf(s.luns, g->second.luns, rows);
                                               return true;
                                           });
                   }});
    out.push_back({"show lun_group snapshot", {"lun_group_id"}, {}, Confirm::None, [](CommandContext& c) {
                       return groupMembers(c, "lun_group_id", ObjKind::LunGroup,
                                           {"Snapshot ID", "Snapshot Name"},
                                           [](const ArrayState& s, uint32_t id, auto& rows) {
                                               auto g = s.lunGroups.find(id);
                                               if (g == s.lunGroups.end()) {
                                                   return false;
                                               }
                                               membersOf(s.snapshots, g->second.snapshots, rows);
                                               return true;
                                           });
                   }});
    out.push_back(
        {"add lun_group lun", {"lun_group_id", "lun_id_list"}, {}, Confirm::None, [](CommandContext& c) {
             uint32_t g = idParam(c, "lun_group_id");
             return forEachId(c, "lun_id_list", [&](uint32_t id) { return c.model.addToLunGroup(g, id); });
         }});
    out.push_back({"remove lun_group lun",
                   {"lun_group_id", "lun_id_list"},
                   {},
                   Confirm::Caution,
                   [](CommandContext& c) {
                       uint32_t g = idParam(c, "lun_group_id");
                       return forEachId(c, "lun_id_list",
                                        [&](uint32_t id) { return c.model.removeFromLunGroup(g, id); });
                   }});
    out.push_back({"delete lun_group", {"lun_group_id"}, {}, Confirm::Warning, [](CommandContext& c) {
                       return resultReply(c.model.deleteLunGroup(idParam(c, "lun_group_id")));
                   }});

    out.push_back({"create mapping_view", {"name"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.createMappingView(textParam(c, "name")));
                   }});
    out.push_back({"show mapping_view general", {}, {}, Confirm::None, [](CommandContext& c) {
                       return idNameTable(
                           c, {"ID", "Mapping View Name"},
                           [](const ArrayState& s, auto& rows) { allOf(s.mappingViews, rows); });
                   }});
    out.push_back(
        {"show mapping_view lun_group", {"mapping_view_id"}, {}, Confirm::None, [](CommandContext& c) {
             return groupMembers(c, "mapping_view_id", ObjKind::MappingView, {"ID", "Name"},
                                 [](const ArrayState& s, uint32_t id, auto& rows) {
                                     auto v = s.mappingViews.find(id);
                                     if (v == s.mappingViews.end()) {
                                         return false;
                                     }
                                     membersOf(s.lunGroups, v->second.lunGroups, rows);
                                     return true;
                                 });
         }});
    out.push_back(
        {"show mapping_view host_group", {"mapping_view_id"}, {}, Confirm::None, [](CommandContext& c) {
             return groupMembers(c, "mapping_view_id", ObjKind::MappingView, {"ID", "Name"},
                                 [](const ArrayState& s, uint32_t id, auto& rows) {
                                     auto v = s.mappingViews.find(id);
                                     if (v == s.mappingViews.end()) {
                                         return false;
                                     }
                                     membersOf(s.hostGroups, v->second.hostGroups, rows);
                                     return true;
                                 });
         }});
    out.push_back({"add mapping_view host_group",
                   {"mapping_view_id", "host_group_id"},
                   {},
                   Confirm::None,
                   [](CommandContext& c) {
                       return resultReply(c.model.addHostGroupToView(idParam(c, "mapping_view_id"),
                                                                     idParam(c, "host_group_id")));
                   }});
    out.push_back({"add mapping_view lun_group",
                   {"mapping_view_id", "lun_group_id"},
                   {},
                   Confirm::None,
                   [](CommandContext& c) {
                       return resultReply(c.model.addLunGroupToView(idParam(c, "mapping_view_id"),
                                                                    idParam(c, "lun_group_id")));
                   }});
    out.push_back({"remove mapping_view host_group",
                   {"mapping_view_id", "host_group_id"},
                   {},
                   Confirm::None,
                   [](CommandContext& c) {
                       return resultReply(c.model.removeHostGroupFromView(idParam(c, "mapping_view_id"),
                                                                          idParam(c, "host_group_id")));
                   }});
    out.push_back({"remove mapping_view lun_group",
                   {"mapping_view_id", "lun_group_id"},
                   {},
                   Confirm::None,
                   [](CommandContext& c) {
                       return resultReply(c.model.removeLunGroupFromView(idParam(c, "mapping_view_id"),
                                                                         idParam(c, "lun_group_id")));
                   }});
    out.push_back({"delete mapping_view", {"mapping_view_id"}, {}, Confirm::Warning, [](CommandContext& c) {
                       return resultReply(c.model.deleteMappingView(idParam(c, "mapping_view_id")));
                   }});
}

}  // namespace tavso::sim
