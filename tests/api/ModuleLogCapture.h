// Collects what reaches the module debug log while alive, as "tag|level|text" lines.
#pragma once

#include <mutex>
#include <string>

#include "platform/TavDebugLog.h"

class ModuleLogCapture {
  public:
    ModuleLogCapture() {
        TavDebugLog::SetSink([this](uint64_t, const std::string& tag, int level, const std::string& text) {
            std::lock_guard<std::mutex> g(m_lock);
            m_text += tag + "|" + std::to_string(level) + "|" + text + "\n";
        });
    }
    ~ModuleLogCapture() { TavDebugLog::SetSink(nullptr); }
    ModuleLogCapture(const ModuleLogCapture&) = delete;
    ModuleLogCapture& operator=(const ModuleLogCapture&) = delete;

    std::string text() {
        std::lock_guard<std::mutex> g(m_lock);
        return m_text;
    }
    bool has(const std::string& part) { return text().find(part) != std::string::npos; }

  private:
    std::mutex m_lock;
    std::string m_text;
};
