// The resources of the simulator's REST interface, answered from the model. Internal to sim/.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
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

}  // namespace tavso::sim
