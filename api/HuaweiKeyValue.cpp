#include "api/HuaweiKeyValue.h"

#include "api/HuaweiLog.h"

namespace {

const char* const kParseTag = "Huawei-parseJsonString";
const char* const kPasswordKey = "hostPassword";
const size_t kMaxValueLength = 1023;

}  // namespace

std::string MaskPasswordItems(const std::string& text) {
    std::string out = text;
    size_t pos = 0;
    while ((pos = out.find(kPasswordKey, pos)) != std::string::npos) {
        size_t colon = out.find(':', pos);
        if (colon == std::string::npos) {
            break;
        }
        size_t end = out.find_first_of(",}", colon + 1);
        if (end == std::string::npos) {
            end = out.size();
        }
        out.replace(colon + 1, end - colon - 1, "******");
        pos = colon + 1;
    }
    return out;
}

bool parseJsonString(TAVSO::SnapInfo* volume, std::string text, std::string key, std::string& value) {
    if (text.empty() || key.empty()) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR,
            "Either the parse string or the item to search is empty. Parse string[%s] Item to search[%s]",
            MaskPasswordItems(text).c_str(), key.c_str());
        return false;
    }
    size_t keyPos = text.find(key);
    if (keyPos == std::string::npos) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "The item being requested [%s] is not in Json string [%s]",
            key.c_str(), MaskPasswordItems(text).c_str());
        return false;
    }
    size_t colon = text.find(':', keyPos);
    if (colon == std::string::npos) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Name-value separator character is not present.");
        return false;
    }
    size_t start = colon + 1;
    // The item ends at the first "," after the key; the last item ends at the closing brace.
    size_t end = text.find(',', keyPos);
    if (end == std::string::npos) {
        end = text.find('}', start);
        if (end == std::string::npos) {
            Log(kParseTag, volume, TAVSO::LOG_ERROR, "Item separator charactor is not present");
            return false;
        }
    } else if (end < start) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "No value present for item %s", key.c_str());
        return false;
    }
    if (end - start > kMaxValueLength) {
        Log(kParseTag, volume, TAVSO::LOG_ERROR, "Value of item %s is longer than %zu bytes", key.c_str(),
            kMaxValueLength);
        return false;
    }
    value = text.substr(start, end - start);
    if (key.find(kPasswordKey) == std::string::npos) {
        Log(kParseTag, volume, TAVSO::LOG_DETAIL, "Item Name:Item Value [%s:%s]", key.c_str(), value.c_str());
    }
    return true;
}

bool GetJsonVal(const std::string& text, const std::string& key, std::string& value) {
    std::string pattern = "{" + key + ":";
    size_t pos = text.find(pattern);
    if (pos == std::string::npos) {
        pattern[0] = ',';
        pos = text.find(pattern);
        if (pos == std::string::npos) {
            return false;
        }
    }
    size_t start = pos + pattern.size();
    size_t end = text.find(',', start);
    if (end == std::string::npos) {
        end = text.find('}', start);
        if (end == std::string::npos) {
            return false;
        }
    }
    value = text.substr(start, end - start);
    return true;
}

bool getJsonVal(const std::string& text, const std::string& key, std::string& value) {
    return GetJsonVal(text, key, value);
}

void RemoveEscapeChar(const std::string& in, std::string& out) {
    std::string result;
    result.reserve(in.size() + 2);
    unsigned slashes = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] == '/') {
            continue;
        }
        if (in[i] == '/') {
            ++slashes;
        }
        result += in[i];
    }
    if (result.empty() || result.front() != '/') {
        result.insert(result.begin(), '/');
        ++slashes;
    }
    if (result.back() != '/') {
        result += '/';
        ++slashes;
    }
    if (slashes > 2) {
        result.pop_back();
    }
    out = result;
}

void CheckAndFixShareName(std::string& name) {
    static const std::string kMark = "\\/";
    if (name.compare(0, kMark.size(), kMark) != 0) {
        name.insert(0, kMark);
    }
    if (name.size() < kMark.size() || name.compare(name.size() - kMark.size(), kMark.size(), kMark) != 0) {
        name += kMark;
    }
}
