// Building blocks of REST requests: list queries page by page, identifiers in paths.
#include <cctype>

#include "platform/TavManageHuaweiCall.h"

namespace tavrest {

namespace {
constexpr size_t kPageSize = 100;
// A list longer than this is not paged by the array as asked; stop instead of looping forever.
constexpr size_t kMaxPages = 10000;
}  // namespace

Reply listRest(TavManageHuawei::Impl& impl, const std::string& resource, const Query& query,
               const json* body) {
    Reply all;
    all.data = json::array();
    for (size_t page = 0; page < kMaxPages; ++page) {
        Query q = query;
        q.emplace_back("range", "[" + std::to_string(page * kPageSize) + "-" +
                                    std::to_string((page + 1) * kPageSize) + "]");
        Reply r = callRest(impl, "GET", resource, q, body);
        if (!r.ok()) {
            return r;
        }
        if (!r.data.is_array()) {
            // No data member: the array has nothing to list.
            return all;
        }
        for (auto& e : r.data) {
            all.data.push_back(std::move(e));
        }
        // A short page ends the list; a page longer than asked means the array ignored the range.
        if (r.data.size() != kPageSize) {
            return all;
        }
    }
    return all;
}

std::string pathSegment(const std::string& value) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char ch : value) {
        if (std::isalnum(ch) || ch == '-' || ch == '_' || ch == '.' || ch == '~' || ch == '@' || ch == ':') {
            out += static_cast<char>(ch);
        } else {
            out += '%';
            out += kHex[ch >> 4];
            out += kHex[ch & 15];
        }
    }
    // "." and ".." would be folded into the path by the transport and name another resource.
    if (out == "." || out == "..") {
        out = out == "." ? "%2E" : "%2E%2E";
    }
    return out;
}

}  // namespace tavrest
