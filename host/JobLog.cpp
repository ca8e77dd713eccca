#include "host/JobLog.h"

namespace tavso::host {

JobLog::JobLog(std::vector<std::string> secrets) {
    for (auto& s : secrets) {
        if (!s.empty()) {
            m_secrets.push_back(std::move(s));
        }
    }
}

std::string JobLog::mask(const std::string& text) const {
    std::string out = text;
    for (const auto& secret : m_secrets) {
        for (size_t at = out.find(secret); at != std::string::npos; at = out.find(secret, at + 6)) {
            out.replace(at, secret.size(), "******");
        }
    }
    return out;
}

void JobLog::add(int level, const std::string& tag, const std::string& text, int64_t volumeId) {
    LogLine line{level, mask(tag), mask(text), volumeId, nowText(), {}};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.push_back(std::move(line));
}

void JobLog::noteUnknownArray(const std::string& arrayId) {
    add(2, "tavso-host", "array [" + arrayId + "] is not in the configuration", 0);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_unknownArrays.insert(arrayId);
}

std::vector<LogLine> JobLog::lines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

std::set<std::string> JobLog::unknownArrays() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unknownArrays;
}

}  // namespace tavso::host
