// Simulated arrays from a JSON description (for arraysim and tests), and an array's state as JSON.
//
// {"arrays": [{"name": "a1", "cli_port": 0, "rest_port": 0, "keyboard_interactive": false,
//   "kbdint_prompt": "password: ", "session_limit": 16, "idle_timeout_ms": 1800000, "seed_defaults": true,
//   "system": {"serial": "...", "name": "...", "product_model": "...", "product_version": "..."},
//   "users": [{"name": "u", "password": "p", "level": "Admin", "vstore_id": ""}],
//   "pools": [{"name": "p1", "total_gb": 1024, "free_gb": 1000}],
//   "luns": [{"name": "l", "pool_id": 0, "capacity_gb": 10, "thin": true, "owner": "0A"}],
//   "hosts": [{"name": "h", "os": "Linux"}], "file_systems": [{"name": "fs", "pool_id": 0}],
//   "vstores": [{"name": "v"}],
//   "faults": {"model": {"snapshot_failures": {"<lun id>": "reason"}, "refuse_activation": false,
//                        "restore_shows": 1, "clone_sync_shows": 1, "clone_sync_fault": false,
//                        "lun_online_shows": 0},
//              "cli": {"exit_after_commands": 0, "refuse_logins": 0, "too_many_sessions": false,
//                      "rules": [{"pattern": "^show lun", "times": 0, "busy": 0, "force_paging": false,
//                                 "confirm": "none|caution|warning", "delay_ms": 0, "chunk_size": 0,
//                                 "chunk_pause_ms": 0, "drop_before_reply": false,
//                                 "drop_after_reply": false, "canned": "text"}]}}}]}
#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "sim/SimArray.h"

namespace tavso::sim {

// Builds the arrays (not started); false with `error` set when the description is malformed.
bool arraysFromJson(const nlohmann::json& config, std::vector<std::unique_ptr<SimArray>>& out,
                    std::string& error);
nlohmann::json stateToJson(const ArrayState& s);

}  // namespace tavso::sim
