#include "platform/TavManageHuawei.h"

#include <curl/curl.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>
#include <shared_mutex>

#include "platform/TavDebugLog.h"
#include "platform/TavManageHuaweiCall.h"
#include "platform/TavPlatformInfo.h"

using HuaweiApi::ResultStatus;
using json = nlohmann::json;
using tavrest::Reply;
using tavrest::text;
using namespace tavrest::code;

namespace {

constexpr long kConnectTimeoutMs = 10000;
constexpr long kCallTimeoutMs = 60000;

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

void ensureCurlGlobal() {
    // Once per process, before the first handle, whichever thread gets here first.
    static CurlGlobal global;
    (void)global;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using CurlPtr = std::unique_ptr<CURL, CurlDeleter>;

struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

size_t appendBody(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

std::string setting(const char* key) {
    std::string value;
    TAVPlatformInfo::getString(TAVPlatformInfo::getSectionName("Dravel", "").c_str(), key, &value);
    return value;
}

void appendQuery(std::string& q, const std::string& key, const std::string& value, CURL* c) {
    char* escaped = curl_easy_escape(c, value.c_str(), static_cast<int>(value.size()));
    q += q.empty() ? "?" : "&";
    q += key + "=" + (escaped ? escaped : "");
    curl_free(escaped);
}

}  // namespace

class TavManageHuawei::Impl {
  public:
    explicit Impl(uint64_t jobId) : m_jobId(jobId) { ensureCurlGlobal(); }

    using Query = tavrest::Query;

    // One REST call; on an expired session one more login and the call once more.
    Reply call(const char* method, const std::string& resource, const Query& query, const json* body) {
        std::string token;
        uint64_t generation = 0;
        {
            std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
            token = m_token;
            generation = m_generation;
        }
        Reply r = send(method, deviceBase() + resource, query, body, token);
        if (r.code != kSessionExpired) {
            return r;
        }
        m_log.PrintJob(m_jobId, "TavManageHuawei::call", 1, "Session expired; logging in again");
        if (!relogin(generation)) {
            return r;
        }
        {
            std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
            token = m_token;
        }
        return send(method, deviceBase() + resource, query, body, token);
    }

    bool login(const std::string& user, const std::string& password, const std::string& host) {
        std::string scheme = setting("HW_REST_SCHEME");
        if (scheme.empty()) {
            scheme = "https";
        }
        int port = 8088;
        TAVPlatformInfo::getRegInt(TAVPlatformInfo::getSectionName("Dravel", "").c_str(), "HW_REST_PORT",
                                   &port);
        {
            std::unique_lock<std::shared_mutex> lock(m_sessionMutex);
            m_base = scheme + "://" + host + ":" + std::to_string(port) + "/deviceManager/rest/";
            m_user = user;
            m_password = password;
        }
        return loginNow();
    }

    void logout() {
        std::string token;
        {
            std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
            token = m_token;
        }
        if (!token.empty()) {
            send("DELETE", deviceBase() + "sessions", {}, nullptr, token);
        }
        std::unique_lock<std::shared_mutex> lock(m_sessionMutex);
        m_token.clear();
        m_deviceId.clear();
        m_vstoreId.clear();
        m_password.clear();
    }

    std::string vstoreId() const {
        std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
        return m_vstoreId.empty() ? kNoVStore : m_vstoreId;
    }
    std::string lastError() const {
        std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
        return m_lastError;
    }
    uint64_t jobId() const { return m_jobId; }

  private:
    std::string deviceBase() const {
        std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
        return m_base + m_deviceId + "/";
    }

    bool loginNow() {
        std::string base, user, password;
        {
            std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
            base = m_base;
            user = m_user;
            password = m_password;
        }
        json body = {{"username", user}, {"password", password}, {"scope", "0"}};
        Reply r = send("POST", base + "xx/sessions", {}, &body, {});
        std::unique_lock<std::shared_mutex> lock(m_sessionMutex);
        if (!r.ok() || !r.data.is_object() || text(r.data, "iBaseToken").empty()) {
            m_lastError = r.ok() ? "The login reply carries no session token" : r.description;
            m_log.PrintJob(m_jobId, "TavManageHuawei::createSession", 2, "Login of user [%s] failed: %lld %s",
                           user.c_str(), static_cast<long long>(r.code), m_lastError.c_str());
            return false;
        }
        m_token = text(r.data, "iBaseToken");
        m_deviceId = text(r.data, "deviceid");
        m_vstoreId = text(r.data, "vstoreId");
        m_lastError.clear();
        ++m_generation;
        return true;
    }

    // Threads that meet the same expired token log in once between them.
    bool relogin(uint64_t seenGeneration) {
        std::lock_guard<std::mutex> once(m_reloginMutex);
        {
            std::shared_lock<std::shared_mutex> lock(m_sessionMutex);
            if (m_generation != seenGeneration) {
                return !m_token.empty();
            }
        }
        return loginNow();
    }

    CurlPtr takeHandle() {
        {
            std::lock_guard<std::mutex> lock(m_poolMutex);
            if (!m_idle.empty()) {
                CurlPtr c = std::move(m_idle.back());
                m_idle.pop_back();
                return c;
            }
        }
        return CurlPtr(curl_easy_init());
    }
    void giveBack(CurlPtr c) {
        std::lock_guard<std::mutex> lock(m_poolMutex);
        m_idle.push_back(std::move(c));
    }

    Reply send(const char* method, const std::string& url, const Query& query, const json* body,
               const std::string& token) {
        Reply r;
        CurlPtr c = takeHandle();
        if (!c) {
            r.code = kTransportFailure;
            r.description = "Unable to create a connection handle";
            return r;
        }
        CURL* h = c.get();
        curl_easy_reset(h);
        std::string q;
        for (const auto& [k, v] : query) {
            appendQuery(q, k, v, h);
        }
        std::string fullUrl = url + q;
        std::string payload = body ? body->dump() : std::string();
        std::string received;
        SlistPtr headers(curl_slist_append(nullptr, "Content-Type: application/json"));
        if (!token.empty()) {
            headers.reset(curl_slist_append(headers.release(), ("iBaseToken: " + token).c_str()));
        }
        curl_easy_setopt(h, CURLOPT_URL, fullUrl.c_str());
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, kCallTimeoutMs);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &received);
        // curl's own account of a failure names the cause (the certificate problem, the refused
        // address) where its code alone does not.
        char detail[CURL_ERROR_SIZE] = "";
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detail);
        if (body) {
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, payload.c_str());
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(payload.size()));
        }
        std::string caFile = setting("HW_REST_CA_FILE");
        if (caFile.empty()) {
            // Arrays ship self-signed certificates: verification only against a CA we are given.
            curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
        } else {
            curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
            curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
            curl_easy_setopt(h, CURLOPT_CAINFO, caFile.c_str());
        }
        CURLcode rc = curl_easy_perform(h);
        long httpStatus = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &httpStatus);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
        // The handle goes back with its connection open for the next call.
        giveBack(std::move(c));
        if (rc != CURLE_OK) {
            r.code = kTransportFailure;
            r.description = std::string("REST call failed: ") + curl_easy_strerror(rc);
            if (detail[0]) {
                r.description += std::string(" (") + detail + ")";
            }
            return r;
        }
        json reply = json::parse(received, nullptr, false);
        if (reply.is_discarded() || !reply.is_object() || !reply.contains("error")) {
            r.code = httpStatus == 401 ? kSessionExpired : kBadReply;
            r.description = "Unexpected reply (HTTP " + std::to_string(httpStatus) + ")";
            return r;
        }
        // Read without assumptions on the members' types: an odd reply must fail the call, not
        // throw through the caller.
        const json& err = reply["error"];
        const auto code = err.is_object() ? err.find("code") : err.end();
        if (code == err.end() || !(code->is_number_integer() || code->is_string())) {
            r.code = kBadReply;
            r.description = "Unexpected reply (HTTP " + std::to_string(httpStatus) + ")";
            return r;
        }
        r.code = code->is_string() ? std::strtoll(code->get<std::string>().c_str(), nullptr, 10)
                                   : code->get<int64_t>();
        r.description = text(err, "description");
        if (r.code != 0 && r.description.empty()) {
            // The caller hands the text on to the host as the reason of a failure.
            r.description = "The array answered error " + std::to_string(r.code);
        }
        if (reply.contains("data")) {
            r.data = reply["data"];
        }
        return r;
    }

    uint64_t m_jobId;
    TavDebugLog m_log;
    mutable std::shared_mutex m_sessionMutex;
    std::string m_base, m_user, m_password, m_token, m_deviceId, m_vstoreId, m_lastError;
    uint64_t m_generation = 0;
    std::mutex m_reloginMutex;
    std::mutex m_poolMutex;
    std::vector<CurlPtr> m_idle;
};

namespace tavrest {

std::string text(const json& obj, const char* key) {
    auto it = obj.find(key);
    if (it == obj.end() || it->is_null()) {
        return {};
    }
    return it->is_string() ? it->get<std::string>() : it->dump();
}

std::string escapeFilterValue(const std::string& v) {
    std::string out;
    for (char ch : v) {
        if (ch == ':') {
            out += '\\';
        }
        out += ch;
    }
    return out;
}

Reply callRest(TavManageHuawei::Impl& impl, const char* method, const std::string& resource,
               const Query& query, const json* body) {
    return impl.call(method, resource, query, body);
}

uint64_t jobIdOf(const TavManageHuawei::Impl& impl) {
    return impl.jobId();
}

Query scope(const std::string& vstoreId, Query q) {
    if (!vstoreId.empty() && vstoreId != TavManageHuawei::kNoVStore) {
        q.emplace_back("vstoreId", vstoreId);
    }
    return q;
}

std::vector<std::string> listText(const std::string& s) {
    std::vector<std::string> out;
    json j = json::parse(s, nullptr, false);
    if (j.is_array()) {
        for (const auto& e : j) {
            out.push_back(e.is_string() ? e.get<std::string>() : e.dump());
        }
    }
    return out;
}

// The ID of the first object of `resource` named `name`; none: an error.
ResultStatus idByName(TavManageHuawei::Impl& impl, const std::string& resource, const std::string& name,
                      const std::string& vstoreId, std::string& id) {
    Reply r = impl.call("GET", resource, scope(vstoreId, {{"filter", "NAME::" + escapeFilterValue(name)}}),
                        nullptr);
    if (!r.ok()) {
        return r.status();
    }
    if (!r.data.is_array() || r.data.empty()) {
        return ResultStatus(static_cast<uint64_t>(kObjectNotFound),
                            "No " + resource + " is named [" + name + "]");
    }
    id = text(r.data[0], "ID");
    return {};
}

// An add whose object is already there is what the caller wanted.
ResultStatus addStatus(const Reply& r) {
    for (int64_t code : kAlreadyAssociated) {
        if (r.code == code) {
            return {};
        }
    }
    return r.status();
}

Reply associated(TavManageHuawei::Impl& impl, const std::string& wanted, const char* type,
                 const std::string& id, const std::string& vstoreId) {
    return impl.call("GET", wanted + "/associate",
                     scope(vstoreId, {{"ASSOCIATEOBJTYPE", type}, {"ASSOCIATEOBJID", id}}), nullptr);
}

ResultStatus listed(const Reply& r, const std::string& id, const std::string& missing) {
    if (!r.ok()) {
        return r.status();
    }
    for (const json& o : r.data.is_array() ? r.data : json::array()) {
        if (text(o, "ID") == id) {
            return {};
        }
    }
    return ResultStatus(static_cast<uint64_t>(kObjectNotFound), missing);
}

}  // namespace tavrest

using namespace tavrest;

namespace {

void fillSnapshot(_HuaweiLUNSnapshotInfo& info, const json& d) {
    info.clear();
    info.id = text(d, "ID");
    info.name = text(d, "NAME");
    info.parentId = text(d, "PARENTID");
    info.sourceSnapshotId = text(d, "PARENTSNAPSHOTID");
    info.runningStatus = text(d, "RUNNINGSTATUS");
    info.healthStatus = text(d, "HEALTHSTATUS");
    info.wwn = text(d, "WWN");
}

}  // namespace

TavManageHuawei::TavManageHuawei(const uint64_t& jobId) : m_impl(std::make_unique<Impl>(jobId)) {}
TavManageHuawei::~TavManageHuawei() = default;

bool TavManageHuawei::createSession(const std::string& user, const std::string& password,
                                    const std::string& host) {
    return m_impl->login(user, password, host);
}
void TavManageHuawei::closeSession() {
    m_impl->logout();
}
std::string TavManageHuawei::getvStoreId() const {
    return m_impl->vstoreId();
}
std::string TavManageHuawei::lastSessionError() const {
    return m_impl->lastError();
}

ResultStatus TavManageHuawei::getSystemInformation(_HuaweiSystemInformation& info) {
    Reply r = m_impl->call("GET", "system/", {}, nullptr);
    if (!r.ok()) {
        return r.status();
    }
    info.clear();
    info.serialNumber = text(r.data, "ID");
    info.name = text(r.data, "NAME");
    info.productVersion = text(r.data, "PRODUCTVERSION");
    info.productMode = text(r.data, "PRODUCTMODE");
    info.healthStatus = text(r.data, "HEALTHSTATUS");
    return {};
}

ResultStatus TavManageHuawei::getVStoreNameFromId(const std::string& vstoreId, std::string& name) {
    Reply r = m_impl->call("GET", "vstore/" + vstoreId, {}, nullptr);
    if (!r.ok()) {
        return r.status();
    }
    name = text(r.data, "NAME");
    return {};
}

ResultStatus TavManageHuawei::getLUNInfo(_HuaweiLUNInfo& info, const std::string& lunId,
                                         const std::string& vstoreId) {
    Reply r = m_impl->call("GET", "lun/" + lunId, scope(vstoreId), nullptr);
    if (!r.ok()) {
        return r.status();
    }
    info.clear();
    info.id = text(r.data, "ID");
    info.name = text(r.data, "NAME");
    info.storagePoolId = text(r.data, "PARENTID");
    info.cloneIds = listText(text(r.data, "CLONEIDS"));
    info.allocType = HuaweiApi::AllocType(text(r.data, "ALLOCTYPE"));
    info.capacity = text(r.data, "CAPACITY");
    info.runningStatus = HuaweiApi::RunningStatus(text(r.data, "RUNNINGSTATUS"));
    info.vstoreId = text(r.data, "vstoreId");
    info.vstoreName = text(r.data, "vstoreName");
    info.owningController = text(r.data, "OWNINGCONTROLLER");
    return {};
}

ResultStatus TavManageHuawei::createLUN(std::string& newId, const _HuaweiLUNInfo& info) {
    json body = {{"NAME", info.name},
                 {"PARENTID", info.storagePoolId},
                 {"CAPACITY", info.capacity},
                 {"ALLOCTYPE", info.allocType.getValue()},
                 {"OWNINGCONTROLLER", info.owningController}};
    Reply r = m_impl->call("POST", "lun", scope(info.vstoreId), &body);
    if (!r.ok()) {
        return r.status();
    }
    newId = text(r.data, "ID");
    return {};
}

ResultStatus TavManageHuawei::modifyLun(const std::string& lunId, const std::string& name) {
    json body = {{"NAME", name}};
    return m_impl->call("PUT", "lun/" + lunId, {}, &body).status();
}

ResultStatus TavManageHuawei::deleteLun(const std::string& lunId, const std::string& vstoreId) {
    return m_impl->call("DELETE", "lun/" + lunId, scope(vstoreId), nullptr).status();
}

ResultStatus TavManageHuawei::createLUNSnapshot(_HuaweiLUNSnapshotInfo& info, const std::string& lunId,
                                                const std::string& name, const std::string& vstoreId) {
    json body = {{"NAME", name}, {"PARENTID", lunId}, {"PARENTTYPE", "11"}};
    Reply r = m_impl->call("POST", "snapshot", scope(vstoreId), &body);
    if (!r.ok()) {
        return r.status();
    }
    fillSnapshot(info, r.data);
    return {};
}

ResultStatus TavManageHuawei::activateLUNSnapshot(const std::vector<std::string>& snapshotIds,
                                                  const std::string& vstoreId) {
    json body = {{"SNAPSHOTLIST", snapshotIds}};
    return m_impl->call("POST", "snapshot/activate", scope(vstoreId), &body).status();
}

ResultStatus TavManageHuawei::deActivateLUNSnapshot(const std::string& snapshotId, bool& skip,
                                                    const std::string& vstoreId) {
    skip = false;
    json body = {{"ID", snapshotId}};
    Reply r = m_impl->call("PUT", "snapshot/stop", scope(vstoreId), &body);
    if (r.code == kSnapshotNotFound) {
        skip = true;
        return {};
    }
    if (r.code == kSnapshotNotActivated) {
        return {};
    }
    return r.status();
}

ResultStatus TavManageHuawei::deleteLUNSnapshot(const std::string& snapshotId, const std::string& vstoreId) {
    return m_impl->call("DELETE", "snapshot/" + snapshotId, scope(vstoreId), nullptr).status();
}

ResultStatus TavManageHuawei::revertLUNSnapshot(const std::string& snapshotId, const std::string& speed,
                                                const std::string& vstoreId) {
    json body = {{"ID", snapshotId}, {"ROLLBACKSPEED", speed}};
    return m_impl->call("PUT", "snapshot/rollback", scope(vstoreId), &body).status();
}

ResultStatus TavManageHuawei::getLUNSnapshotInfo(_HuaweiLUNSnapshotInfo& info, const std::string& snapshotId,
                                                 bool& notFound, const std::string& vstoreId) {
    notFound = false;
    Reply r = m_impl->call("GET", "snapshot/" + snapshotId, scope(vstoreId), nullptr);
    if (!r.ok()) {
        notFound = r.code == kSnapshotNotFound;
        return r.status();
    }
    fillSnapshot(info, r.data);
    return {};
}

ResultStatus TavManageHuawei::getLUNSnapshotInfoByName(_HuaweiLUNSnapshotInfo& info, const std::string& name,
                                                       bool& notFound, const std::string& vstoreId) {
    notFound = false;
    Reply r = m_impl->call("GET", "snapshot",
                           scope(vstoreId, {{"filter", "NAME::" + escapeFilterValue(name)}}), nullptr);
    if (!r.ok()) {
        notFound = r.code == kSnapshotNotFound;
        return r.status();
    }
    if (!r.data.is_array() || r.data.empty()) {
        notFound = true;
        return ResultStatus(static_cast<uint64_t>(kSnapshotNotFound),
                            "No LUN snapshot is named [" + name + "]");
    }
    fillSnapshot(info, r.data[0]);
    return {};
}

ResultStatus TavManageHuawei::createLUNSnapshotCopy(_HuaweiLUNSnapshotInfo& info,
                                                    const std::string& snapshotId, const std::string& name,
                                                    const std::string& vstoreId) {
    json body = {{"ID", snapshotId}, {"NAME", name}};
    Reply r = m_impl->call("POST", "snapshot/createcopy", scope(vstoreId), &body);
    if (!r.ok()) {
        return r.status();
    }
    fillSnapshot(info, r.data);
    return {};
}
