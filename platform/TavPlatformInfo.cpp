#include "platform/TavPlatformInfo.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace {

using Sections = std::map<std::string, std::map<std::string, std::string>>;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return std::string();
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

Sections parse(std::istream& in) {
    Sections out;
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';') {
            continue;
        }
        if (t.front() == '[' && t.back() == ']') {
            section = trim(t.substr(1, t.size() - 2));
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        out[section][trim(t.substr(0, eq))] = trim(t.substr(eq + 1));
    }
    return out;
}

// The file is read again only when its path, size or modification time changes.
struct Store {
    std::mutex lock;
    bool haveOverride = false;
    Sections overrideSections;
    std::string path;
    struct timespec mtime {};
    off_t size = -1;
    bool loaded = false;
    Sections fileSections;

    bool lookup(const std::string& section, const std::string& key, std::string* value) {
        std::lock_guard<std::mutex> g(lock);
        const Sections* s = &overrideSections;
        if (!haveOverride) {
            refresh();
            s = &fileSections;
        }
        auto sec = s->find(section);
        if (sec == s->end()) {
            return false;
        }
        auto it = sec->second.find(key);
        if (it == sec->second.end()) {
            return false;
        }
        *value = it->second;
        return true;
    }

    void refresh() {
        std::string p = TAVPlatformInfo::settingsPath();
        struct stat st {};
        bool exists = ::stat(p.c_str(), &st) == 0;
        if (loaded && p == path &&
            ((!exists && size == -1) || (exists && st.st_size == size && st.st_mtim.tv_sec == mtime.tv_sec &&
                                         st.st_mtim.tv_nsec == mtime.tv_nsec))) {
            return;
        }
        path = p;
        loaded = true;
        fileSections.clear();
        size = -1;
        if (!exists) {
            return;
        }
        size = st.st_size;
        mtime = st.st_mtim;
        std::ifstream in(p);
        if (in) {
            fileSections = parse(in);
        }
    }
};

Store& store() {
    static Store s;
    return s;
}

}  // namespace

std::string TAVPlatformInfo::settingsPath() {
    const char* env = std::getenv("TAVSO_SETTINGS_FILE");
    return env && *env ? env : "/etc/tavso/settings.conf";
}

int TAVPlatformInfo::getRegInt(const char* section, const char* key, int* value) {
    if (!section || !key || !value) {
        return 0;
    }
    std::string text;
    if (!store().lookup(section, key, &text) || text.empty()) {
        return 0;
    }
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) {
        return 0;
    }
    *value = static_cast<int>(v);
    return 1;
}

int TAVPlatformInfo::getString(const char* section, const char* key, std::string* value) {
    if (!section || !key || !value) {
        return 0;
    }
    return store().lookup(section, key, value) ? 1 : 0;
}

std::string TAVPlatformInfo::getSectionName(const char* base, const char* subSection) {
    std::string name = "~";
    name += base ? base : "";
    if (subSection && *subSection) {
        name += "/";
        name += subSection;
    }
    return name;
}

void TAVPlatformInfo::setOverrideText(const std::string& text) {
    std::istringstream in(text);
    Sections parsed = parse(in);
    std::lock_guard<std::mutex> g(store().lock);
    store().overrideSections = std::move(parsed);
    store().haveOverride = true;
}

void TAVPlatformInfo::clearOverride() {
    std::lock_guard<std::mutex> g(store().lock);
    store().haveOverride = false;
    store().overrideSections.clear();
}
