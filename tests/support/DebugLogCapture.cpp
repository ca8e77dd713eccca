#include "tests/support/DebugLogCapture.h"

#include <cstring>

#include "platform/TavDebugLog.h"
#include "tests/support/FakeHost.h"

namespace tavso::test {

std::string DebugLine::message() const {
    size_t n = std::strlen(kLogPrefix);
    return text.compare(0, n, kLogPrefix) == 0 ? text.substr(n) : text;
}

DebugLogCapture::DebugLogCapture() {
    TavDebugLog::SetSink([this](uint64_t jobId, const std::string& tag, int level, const std::string& text) {
        std::lock_guard<std::mutex> g(m_lock);
        m_lines.push_back({jobId, tag, level, text});
    });
}

DebugLogCapture::~DebugLogCapture() {
    TavDebugLog::SetSink(nullptr);
}

std::vector<DebugLine> DebugLogCapture::lines() const {
    std::lock_guard<std::mutex> g(m_lock);
    return m_lines;
}

std::vector<std::string> DebugLogCapture::messages() const {
    std::vector<std::string> out;
    for (const DebugLine& l : lines()) {
        out.push_back(l.message());
    }
    return out;
}

bool DebugLogCapture::logged(const std::string& message, std::optional<int> level) const {
    for (const DebugLine& l : lines()) {
        if (l.message() == message && (!level || *level == l.level)) {
            return true;
        }
    }
    return false;
}

bool DebugLogCapture::loggedContaining(const std::string& fragment) const {
    for (const DebugLine& l : lines()) {
        if (l.text.find(fragment) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void DebugLogCapture::clear() {
    std::lock_guard<std::mutex> g(m_lock);
    m_lines.clear();
}

}  // namespace tavso::test
