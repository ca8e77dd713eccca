// Internal to the REST client: one call to the array and the small helpers every operation family
// of TavManageHuawei shares. Not for use outside platform/TavManageHuawei*.cpp.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "platform/TavManageHuawei.h"

namespace tavrest {

using json = nlohmann::json;
using HuaweiApi::ResultStatus;
using Query = std::vector<std::pair<std::string, std::string>>;

namespace code {
constexpr int64_t kSessionExpired = -401;
constexpr int64_t kTransportFailure = -1;
constexpr int64_t kBadReply = -2;
constexpr int64_t kSnapshotNotFound = 1077937880;
constexpr int64_t kSnapshotNotActivated = 1077937891;
constexpr int64_t kObjectNotFound = 1077948996;
constexpr int64_t kNotUnique = 1077948997;
// Adds whose object is already associated: what the caller wanted.
inline constexpr int64_t kAlreadyAssociated[] = {1077937501, 1077936862, 1077948997, 1073804556, 1073804560};
}  // namespace code

// The array's answer: its error code and description, and the "data" member.
struct Reply {
    int64_t code = 0;
    std::string description;
    json data;
    bool ok() const { return code == 0; }
    ResultStatus status() const { return ResultStatus(static_cast<uint64_t>(code), description); }
};

// One call; on an expired session one more login and the call once more.
Reply callRest(TavManageHuawei::Impl& impl, const char* method, const std::string& resource,
               const Query& query, const json* body);
uint64_t jobIdOf(const TavManageHuawei::Impl& impl);

// A member as text ("" when absent or null; non-strings as their JSON text).
std::string text(const json& obj, const char* key);
// A value for a NAME:: filter, with ":" escaped.
std::string escapeFilterValue(const std::string& v);
// The query with the vStore scope added, unless the id is empty or "-12345".
Query scope(const std::string& vstoreId, Query q = {});
// A JSON list held in a text member ("[\"1\",\"2\"]") as its entries.
std::vector<std::string> listText(const std::string& s);
// The ID of the first object of `resource` named `name`; none: kObjectNotFound.
ResultStatus idByName(TavManageHuawei::Impl& impl, const std::string& resource, const std::string& name,
                      const std::string& vstoreId, std::string& id);
// An add whose object is already there is what the caller wanted.
ResultStatus addStatus(const Reply& r);
// The objects of `wanted` associated with the object (type, id): GET <wanted>/associate.
Reply associated(TavManageHuawei::Impl& impl, const std::string& wanted, const char* type,
                 const std::string& id, const std::string& vstoreId);
// Success when the reply lists an object of ID `id`; else the reply's error, or kObjectNotFound
// with `missing` as its text.
ResultStatus listed(const Reply& r, const std::string& id, const std::string& missing);
// Every entry of a list query, fetched page by page (range=[0-100], [100-200], ...) until a short
// page; the reply's data is the whole list.
Reply listRest(TavManageHuawei::Impl& impl, const std::string& resource, const Query& query,
               const json* body);
// An identifier as one path segment: "/", "?", "#", "%" and the like cannot leave it.
std::string pathSegment(const std::string& value);

}  // namespace tavrest
