// The resources of the simulator's REST interface, answered from the model. Internal to sim/.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "sim/ArrayModel.h"

namespace tavso::sim {

struct RestCall {
    std::string method;
    std::vector<std::string> path;  // the segments after the device id
    std::map<std::string, std::string> params;
    nlohmann::json body;
    std::string sessionVStore;  // the logged-in user's vStore, or empty
};

struct RestAnswer {
    int64_t code = 0;
    std::string description = "0";
    nlohmann::json data;
    static RestAnswer ok(nlohmann::json d = nlohmann::json::object()) {
        RestAnswer a;
        a.data = std::move(d);
        return a;
    }
    static RestAnswer fail(int64_t code, std::string text) {
        RestAnswer a;
        a.code = code;
        a.description = std::move(text);
        return a;
    }
};

namespace restcode {
constexpr int64_t kNotLoggedIn = -401;
constexpr int64_t kWrongPassword = 1077987870;
constexpr int64_t kBusy = 1077949006;
constexpr int64_t kNameExists = 1077948993;
constexpr int64_t kNotUnique = 1077948997;
constexpr int64_t kObjectNotFound = 1077948996;
constexpr int64_t kLunNotFound = 1077936859;
constexpr int64_t kSnapshotNotFound = 1077937880;
constexpr int64_t kSnapshotNotActivated = 1077937891;
constexpr int64_t kHostNotFound = 1077937498;
constexpr int64_t kHostGroupNotFound = 1077937500;
constexpr int64_t kParameterIncorrect = 50331651;
}  // namespace restcode

RestAnswer handleResource(ArrayModel& model, const RestCall& call);

// The resource families in files of their own: each answers the calls on its resources and
// nullopt for the others.
std::optional<RestAnswer> handleMappingResource(
    ArrayModel& model, const RestCall& call);  // initiators, LUN groups, mapping views
std::optional<RestAnswer> handleCloneResource(ArrayModel& model,
                                              const RestCall& call);  // clones, storage pools
std::optional<RestAnswer> handleNasResource(ArrayModel& model,
                                            const RestCall& call);  // file systems, their snapshots, shares

// Helpers the families share.
std::optional<uint32_t> number(const std::string& s);
std::string str(const nlohmann::json& body, const char* key);
// The vStore a request works in: the session's for a vStore user, else the one the request names.
std::string scopeOf(const RestCall& call);
bool inScope(const std::string& objectVStore, const std::string& scope);
// A <key>::<value> filter (NAME, FSID, ...), with "\:" standing for ":".
std::optional<std::string> filterOf(const RestCall& call, const std::string& key);
std::optional<std::string> nameFilter(const RestCall& call);
// The entries of a list that a range=[<from>-<to>] parameter asks for; all without one.
nlohmann::json page(const RestCall& call, const nlohmann::json& list);
// A model result as the array's REST answer (codes for not found, exists, in use, ...).
RestAnswer fromResult(const Result& r);

}  // namespace tavso::sim
