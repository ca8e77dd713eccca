// File systems, their snapshots, NFS and CIFS shares and share permissions.
#include <sstream>

#include "sim/CliCommands.h"

namespace tavso::sim {

namespace {

std::vector<std::string> textListParam(const CommandContext& c, const std::string& key) {
    std::vector<std::string> out;
    std::stringstream in(textParam(c, key));
    for (std::string item; std::getline(in, item, ',');) {
        if (item.empty()) {
            throw ParamError{key};
        }
        out.push_back(item);
    }
    return out;
}

std::string yesNo(bool b) {
    return b ? "Yes" : "No";
}

CommandOutput showFsSnapshots(CommandContext& c) {
    if (hasParam(c, "snapshot_id")) {
        const std::string& id = textParam(c, "snapshot_id");
        auto snap = c.model.with([&](const ArrayState& s) -> std::optional<FsSnapshot> {
            auto it = s.fsSnapshots.find(id);
            return it == s.fsSnapshots.end() ? std::nullopt : std::optional<FsSnapshot>(it->second);
        });
        if (!snap) {
            return resultReply(notFound(ObjKind::FsSnapshot));
        }
        return propertiesReply({{"ID", snap->id},
                                {"Snapshot Name", snap->name},
                                {"File System ID", std::to_string(snap->fsId)},
                                {"Running Status", snap->running}});
    }
    uint32_t fsId = idParam(c, "file_system_id");
    Table t{{"ID", "Snapshot Name", "File System ID", "Running Status"}, {}};
    bool found = c.model.with([&](const ArrayState& s) {
        for (const auto& [id, snap] : s.fsSnapshots) {
            if (snap.fsId == fsId) {
                t.rows.push_back({snap.id, snap.name, std::to_string(snap.fsId), snap.running});
            }
        }
        return s.fileSystems.count(fsId) != 0;
    });
    return found ? tableReply(std::move(t)) : resultReply(notFound(ObjKind::FileSystem));
}

CommandOutput createNfsPermission(CommandContext& c) {
    NfsPermission p;
    p.accessName = textParam(c, "access_name");
    p.shareId = idParam(c, "share_id");
    p.accessType = choiceParam(c, "access_type", {"read_only", "read_write"});
    p.sync = choiceParam(c, "sync_enabled", {"yes", "no"}) == "yes";
    p.allSquash = choiceParam(c, "all_squash_enabled", {"yes", "no"}) == "yes";
    p.rootSquash = choiceParam(c, "root_squash_enabled", {"yes", "no"}) == "yes";
    return resultReply(c.model.createNfsPermission(p));
}

CommandOutput createCifsPermission(CommandContext& c) {
    static const std::vector<std::pair<std::string, std::string>> kinds = {{"all_control", "All Control"},
                                                                           {"read_write", "Read Write"},
                                                                           {"read_only", "Read Only"},
                                                                           {"no_access", "No Access"}};
    std::string type =
        choiceParam(c, "permission_type", {"all_control", "read_write", "read_only", "no_access"});
    CifsPermission p;
    p.accessName = textParam(c, "access_name");
    p.shareId = idParam(c, "share_id");
    for (const auto& [key, text] : kinds) {
        if (key == type) {
            p.permission = text;
        }
    }
    return resultReply(c.model.createCifsPermission(p));
}

}  // namespace

void addNasCommands(std::vector<CommandDef>& out) {
    out.push_back({"show file_system general", {}, {}, Confirm::None, [](CommandContext& c) {
                       Table t{{"ID", "Name", "Pool ID", "Health Status", "Running Status"}, {}};
                       c.model.with([&](const ArrayState& s) {
                           for (const auto& [id, f] : s.fileSystems) {
                               t.rows.push_back({std::to_string(id), f.name, std::to_string(f.poolId),
                                                 f.health, f.running});
                           }
                       });
                       return tableReply(std::move(t));
                   }});
    out.push_back({"create fs_snapshot general",
                   {"name", "file_system_id_list"},
                   {},
                   Confirm::None,
                   [](CommandContext& c) {
                       std::vector<uint32_t> ids = idListParam(c, "file_system_id_list");
                       CommandOutput o;
                       for (const auto& item : c.model.createFsSnapshots(ids, textParam(c, "name"))) {
                           o.lines.push_back("Create snapshot of file system " + item.objectId +
                                             (item.result.ok() ? " successfully."
                                                               : " failed. Reason: " + item.result.text));
                       }
                       return o;
                   }});
    out.push_back(
        {"show fs_snapshot general", {}, {"file_system_id", "snapshot_id"}, Confirm::None, showFsSnapshots});
    out.push_back(
        {"change fs_snapshot restore", {"snapshot_id"}, {}, Confirm::Warning, [](CommandContext& c) {
             Result r = c.model.restoreFsSnapshot(textParam(c, "snapshot_id"));
             return r.ok() ? CommandOutput{{"The file system snapshot was restored successfully."}, {}}
                           : resultReply(r);
         }});
    out.push_back(
        {"delete fs_snapshot general", {"snapshot_id_list"}, {}, Confirm::Warning, [](CommandContext& c) {
             return resultReply(c.model.deleteFsSnapshots(textListParam(c, "snapshot_id_list")));
         }});

    out.push_back(
        {"show share nfs", {}, {}, Confirm::None, [](CommandContext& c) {
             Table t{{"ID", "File System ID", "Local Path", "Description", "vStore ID", "Alias"}, {}};
             c.model.with([&](const ArrayState& s) {
                 for (const auto& [id, sh] : s.nfsShares) {
                     t.rows.push_back({std::to_string(id), std::to_string(sh.fsId), sh.localPath,
                                       sh.description, sh.vstoreId, sh.alias});
                 }
             });
             return tableReply(std::move(t));
         }});
    out.push_back({"create share nfs",
                   {"local_path", "file_system_id"},
                   {"alias", "description"},
                   Confirm::None,
                   [](CommandContext& c) {
                       std::string alias = hasParam(c, "alias") ? textParam(c, "alias") : "";
                       std::string desc = hasParam(c, "description") ? textParam(c, "description") : "";
                       return resultReply(c.model.createNfsShare(idParam(c, "file_system_id"),
                                                                 textParam(c, "local_path"), alias, desc));
                   }});
    out.push_back({"delete share nfs", {"share_id"}, {}, Confirm::Warning, [](CommandContext& c) {
                       return resultReply(c.model.deleteNfsShare(idParam(c, "share_id")));
                   }});
    out.push_back({"show share_permission nfs", {"share_id"}, {}, Confirm::None, [](CommandContext& c) {
                       uint32_t share = idParam(c, "share_id");
                       Table t{{"ID", "Access Name", "Access Type", "Sync Enabled", "All Squash Enabled",
                                "Root Squash Enabled"},
                               {}};
                       bool found = c.model.with([&](const ArrayState& s) {
                           for (const auto& [id, p] : s.nfsPermissions) {
                               if (p.shareId == share) {
                                   t.rows.push_back({std::to_string(id), p.accessName, p.accessType,
                                                     yesNo(p.sync), yesNo(p.allSquash), yesNo(p.rootSquash)});
                               }
                           }
                           return s.nfsShares.count(share) != 0;
                       });
                       return found ? tableReply(std::move(t)) : resultReply(notFound(ObjKind::Share));
                   }});
    out.push_back({"create share_permission nfs",
                   {"access_name", "share_id", "access_type", "sync_enabled", "all_squash_enabled",
                    "root_squash_enabled"},
                   {},
                   Confirm::None,
                   createNfsPermission});
    out.push_back(
        {"delete share_permission nfs", {"share_permission_id"}, {}, Confirm::None, [](CommandContext& c) {
             return resultReply(c.model.deleteNfsPermission(idParam(c, "share_permission_id")));
         }});

    out.push_back({"show share cifs", {}, {"file_system_id"}, Confirm::None, [](CommandContext& c) {
                       std::optional<uint32_t> fs;
                       if (hasParam(c, "file_system_id")) {
                           fs = idParam(c, "file_system_id");
                       }
                       Table t{{"ID", "Name", "File System ID", "Local Path"}, {}};
                       c.model.with([&](const ArrayState& s) {
                           for (const auto& [id, sh] : s.cifsShares) {
                               if (!fs || sh.fsId == *fs) {
                                   t.rows.push_back(
                                       {std::to_string(id), sh.name, std::to_string(sh.fsId), sh.localPath});
                               }
                           }
                       });
                       return tableReply(std::move(t));
                   }});
    out.push_back({"create share cifs",
                   {"name", "local_path", "file_system_id"},
                   {},
                   Confirm::None,
                   [](CommandContext& c) {
                       return resultReply(c.model.createCifsShare(
                           textParam(c, "name"), textParam(c, "local_path"), idParam(c, "file_system_id")));
                   }});
    out.push_back({"delete share cifs", {"share_id"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.deleteCifsShare(idParam(c, "share_id")));
                   }});
    out.push_back({"show share_permission cifs", {"share_id"}, {}, Confirm::None, [](CommandContext& c) {
                       uint32_t share = idParam(c, "share_id");
                       Table t{{"ID", "Access Name", "Share ID", "Type", "Permission"}, {}};
                       bool found = c.model.with([&](const ArrayState& s) {
                           for (const auto& [id, p] : s.cifsPermissions) {
                               if (p.shareId == share) {
                                   t.rows.push_back({std::to_string(id), p.accessName, std::to_string(share),
                                                     p.type, p.permission});
                               }
                           }
                           return s.cifsShares.count(share) != 0;
                       });
                       return found ? tableReply(std::move(t)) : resultReply(notFound(ObjKind::Share));
                   }});
    out.push_back({"create share_permission cifs",
                   {"access_name", "share_id", "permission_type"},
                   {},
                   Confirm::None,
                   createCifsPermission});
    out.push_back(
        {"delete share_permission cifs", {"share_permission_id"}, {}, Confirm::None, [](CommandContext& c) {
             return resultReply(c.model.deleteCifsPermission(idParam(c, "share_permission_id")));
         }});
}

}  // namespace tavso::sim
