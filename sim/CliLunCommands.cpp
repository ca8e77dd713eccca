// LUNs, storage pools and LUN snapshots.
#include <algorithm>

#include "sim/CliCommands.h"

namespace tavso::sim {

namespace {

std::string joinIds(const std::vector<uint32_t>& ids) {
    std::string out;
    for (uint32_t id : ids) {
        out += (out.empty() ? "" : ",") + std::to_string(id);
    }
    return out.empty() ? "--" : out;
}

CommandOutput showLun(CommandContext& c) {
    if (hasParam(c, "lun_id")) {
        auto lun = c.model.observeLun(idParam(c, "lun_id"));
        if (!lun) {
            return resultReply(notFound(ObjKind::Lun));
        }
        return propertiesReply({{"ID", std::to_string(lun->id)},
                                {"Name", lun->name},
                                {"Pool ID", std::to_string(lun->poolId)},
                                {"Capacity", formatCapacity(lun->capacity)},
                                {"Type", lun->thin ? "Thin" : "Thick"},
                                {"Owner Controller", lun->owner},
                                {"Running Status", lun->running},
                                {"Health Status", lun->health},
                                {"WWN", lun->wwn},
                                {"Split Clone ID(s)", joinIds(c.model.cloneIdsOf(lun->id))}});
    }
    Table t{{"ID", "Name", "Pool ID", "Capacity", "Health Status", "Running Status", "Type"}, {}};
    for (const auto& l : c.model.observeLuns()) {
        t.rows.push_back({std::to_string(l.id), l.name, std::to_string(l.poolId), formatCapacity(l.capacity),
                          l.health, l.running, l.thin ? "Thin" : "Thick"});
    }
    return tableReply(std::move(t));
}

CommandOutput createLun(CommandContext& c) {
    LunSpec spec;
    spec.name = textParam(c, "name");
    spec.poolId = idParam(c, "pool_id");
    auto cap = parseCapacity(textParam(c, "capacity"));
    if (!cap) {
        throw ParamError{"capacity"};
    }
    spec.capacity = *cap;
    spec.owner = choiceParam(c, "owner_controller", {"0A", "0B"});
    spec.thin = choiceParam(c, "lun_type", {"thin", "thick"}) == "thin";
    if (hasParam(c, "initial_capacity") && !parseCapacity(textParam(c, "initial_capacity"))) {
        throw ParamError{"initial_capacity"};
    }
    return resultReply(c.model.createLun(spec));
}

CommandOutput showPools(CommandContext& c) {
    Table t{{"ID", "Name", "Health Status", "Running Status", "Total Capacity", "Free Capacity"}, {}};
    for (const auto& p : c.model.pools()) {
        t.rows.push_back({std::to_string(p.id), p.name, p.health, p.running, formatCapacity(p.totalCapacity),
                          formatCapacity(p.freeCapacity)});
    }
    return tableReply(std::move(t));
}

CommandOutput createSnapshots(CommandContext& c) {
    auto ids = idListParam(c, "lun_id_list");
    const std::string& name = textParam(c, "name");
    CommandOutput out;
    for (const auto& item : c.model.createSnapshots(ids, name)) {
        out.lines.push_back("Create snapshot of LUN " + item.objectId +
                            (item.result.ok() ? " successfully." : " failed. Reason: " + item.result.text));
    }
    return out;
}

std::string progressText(int p) {
    return p < 0 ? "--" : std::to_string(p);
}

CommandOutput showSnapshots(CommandContext& c) {
    if (hasParam(c, "snapshot_id")) {
        auto s = c.model.observeSnapshot(idParam(c, "snapshot_id"));
        if (!s) {
            return resultReply(notFound(ObjKind::Snapshot));
        }
        return propertiesReply({{"ID", std::to_string(s->id)},
                                {"Name", s->name},
                                {"Source LUN ID", std::to_string(s->sourceLunId)},
                                {"Running Status", s->running},
                                {"Restore Progress(%)", progressText(s->restoreProgress)},
                                {"Health Status", s->health},
                                {"WWN", s->wwn}});
    }
    Table t{{"ID", "Name", "Source LUN ID", "Running Status", "Health Status"}, {}};
    for (const auto& s : c.model.observeSnapshots()) {
        t.rows.push_back({std::to_string(s.id), s.name, std::to_string(s.sourceLunId), s.running, s.health});
    }
    return tableReply(std::move(t));
}

// The LUN groups holding a LUN or snapshot.
CommandOutput groupsOf(CommandContext& c, uint32_t id, bool exists, ObjKind kind) {
    if (!exists) {
        return resultReply(notFound(kind));
    }
    auto groups = c.model.lunGroupsOf(id);
    Table t{{"ID", "Name"}, {}};
    c.model.with([&](const ArrayState& s) {
        for (uint32_t g : groups) {
            t.rows.push_back({std::to_string(g), s.lunGroups.at(g).name});
        }
    });
    return tableReply(std::move(t));
}

}  // namespace

void addLunCommands(std::vector<CommandDef>& out) {
    out.push_back({"show lun general", {}, {"lun_id"}, Confirm::None, showLun});
    out.push_back({"create lun",
                   {"name", "pool_id", "capacity", "owner_controller", "lun_type"},
                   {"initial_capacity"},
                   Confirm::None,
                   createLun});
    out.push_back({"change lun", {"lun_id", "name"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.renameLun(idParam(c, "lun_id"), textParam(c, "name")));
                   }});
    out.push_back({"delete lun", {"lun_id_list"}, {}, Confirm::Warning, [](CommandContext& c) {
                       return resultReply(c.model.deleteLuns(idListParam(c, "lun_id_list")));
                   }});
    out.push_back({"show storage_pool general", {}, {}, Confirm::None, showPools});
    out.push_back({"show lun lun_group", {"lun_id"}, {}, Confirm::None, [](CommandContext& c) {
                       uint32_t id = idParam(c, "lun_id");
                       bool exists = c.model.with([&](const ArrayState& s) { return s.luns.count(id) != 0; });
                       return groupsOf(c, id, exists, ObjKind::Lun);
                   }});

    out.push_back({"create snapshot general", {"lun_id_list", "name"}, {}, Confirm::None, createSnapshots});
    out.push_back(
        {"change snapshot activate", {"snapshot_id_list"}, {}, Confirm::Warning, [](CommandContext& c) {
             return resultReply(c.model.activateSnapshots(idListParam(c, "snapshot_id_list")));
         }});
    out.push_back(
        {"change snapshot deactivate", {"snapshot_id"}, {}, Confirm::Warning, [](CommandContext& c) {
             return resultReply(c.model.deactivateSnapshot(idParam(c, "snapshot_id")));
         }});
    out.push_back({"delete snapshot", {"snapshot_id_list"}, {}, Confirm::Warning, [](CommandContext& c) {
                       return resultReply(c.model.deleteSnapshots(idListParam(c, "snapshot_id_list")));
                   }});
    out.push_back(
        {"create snapshot duplicate", {"snapshot_id", "name"}, {}, Confirm::None, [](CommandContext& c) {
             return resultReply(c.model.duplicateSnapshot(idParam(c, "snapshot_id"), textParam(c, "name")));
         }});
    out.push_back(
        {"change snapshot restore",
         {"snapshot_id", "restore_speed"},
         {},
         Confirm::Warning,
         [](CommandContext& c) {
             std::string speed = choiceParam(c, "restore_speed", {"Low", "Middle", "High", "Highest"});
             return resultReply(c.model.restoreSnapshot(idParam(c, "snapshot_id"), speed));
         }});
    out.push_back({"show snapshot general", {}, {"snapshot_id"}, Confirm::None, showSnapshots});
    out.push_back({"show snapshot lun_group", {"snapshot_id"}, {}, Confirm::None, [](CommandContext& c) {
                       uint32_t id = idParam(c, "snapshot_id");
                       bool exists =
                           c.model.with([&](const ArrayState& s) { return s.snapshots.count(id) != 0; });
                       return groupsOf(c, id, exists, ObjKind::Snapshot);
                   }});
}

}  // namespace tavso::sim
