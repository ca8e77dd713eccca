// Clone pairs and their secondary LUNs.
#include "sim/CliCommands.h"

namespace tavso::sim {

namespace {

CommandOutput showSecondaries(CommandContext& c) {
    uint32_t cloneId = idParam(c, "clone_id");
    auto clone = c.model.observeClone(cloneId);
    if (!clone) {
        return resultReply(notFound(ObjKind::Clone));
    }
    auto nameOf = [&](uint32_t lun) {
        return c.model.with([&](const ArrayState& s) {
            auto it = s.luns.find(lun);
            return it == s.luns.end() ? std::string() : it->second.name;
        });
    };
    if (hasParam(c, "lun_id")) {
        uint32_t lun = idParam(c, "lun_id");
        for (const auto& sec : clone->secondaries) {
            if (sec.lunId == lun) {
                return propertiesReply({{"ID", std::to_string(sec.lunId)},
                                        {"Name", nameOf(sec.lunId)},
                                        {"Running Status", sec.running},
                                        {"Process", std::to_string(sec.progress)}});
            }
        }
        return resultReply(notFound(ObjKind::Lun));
    }
    Table t{{"ID", "Name", "Running Status", "Process"}, {}};
    for (const auto& sec : clone->secondaries) {
        t.rows.push_back(
            {std::to_string(sec.lunId), nameOf(sec.lunId), sec.running, std::to_string(sec.progress)});
    }
    return tableReply(std::move(t));
}

}  // namespace

void addCloneCommands(std::vector<CommandDef>& out) {
    out.push_back({"create clone", {"name", "lun_id"}, {}, Confirm::None, [](CommandContext& c) {
                       return resultReply(c.model.createClone(textParam(c, "name"), idParam(c, "lun_id")));
                   }});
    out.push_back({"show clone general", {}, {}, Confirm::None, [](CommandContext& c) {
                       Table t{{"ID", "Name", "Primary LUN ID", "Health Status", "Running Status"}, {}};
                       c.model.with([&](const ArrayState& s) {
                           for (const auto& [id, cl] : s.clones) {
                               t.rows.push_back({std::to_string(id), cl.name, std::to_string(cl.primaryLunId),
                                                 cl.health, cl.running});
                           }
                       });
                       return tableReply(std::move(t));
                   }});
    out.push_back(
        {"add clone secondary_lun",
         {"clone_id", "lun_id", "synchronization_rate"},
         {"initial_synchronization"},
         Confirm::None,
         [](CommandContext& c) {
             std::string rate = choiceParam(c, "synchronization_rate", {"low", "medium", "high", "highest"});
             bool sync = !hasParam(c, "initial_synchronization") ||
                         choiceParam(c, "initial_synchronization", {"yes", "no"}) == "yes";
             return resultReply(
                 c.model.addCloneSecondary(idParam(c, "clone_id"), idParam(c, "lun_id"), rate, sync));
         }});
    out.push_back({"show clone secondary_lun", {"clone_id"}, {"lun_id"}, Confirm::None, showSecondaries});
    out.push_back(
        {"change clone synchronize", {"clone_id", "lun_id"}, {}, Confirm::Warning, [](CommandContext& c) {
             return resultReply(c.model.synchronizeClone(idParam(c, "clone_id"), idParam(c, "lun_id")));
         }});
    out.push_back(
        {"change clone split", {"clone_id", "lun_id_list"}, {}, Confirm::None, [](CommandContext& c) {
             uint32_t clone = idParam(c, "clone_id");
             for (uint32_t lun : idListParam(c, "lun_id_list")) {
                 Result r = c.model.splitClone(clone, lun);
                 if (!r.ok()) {
                     return resultReply(r);
                 }
             }
             return success();
         }});
    out.push_back(
        {"remove clone secondary_lun", {"clone_id", "lun_id"}, {}, Confirm::None, [](CommandContext& c) {
             return resultReply(c.model.removeCloneSecondary(idParam(c, "clone_id"), idParam(c, "lun_id")));
         }});
    out.push_back({"delete clone", {"clone_id"}, {}, Confirm::Warning, [](CommandContext& c) {
                       return resultReply(c.model.deleteClone(idParam(c, "clone_id")));
                   }});
}

}  // namespace tavso::sim
