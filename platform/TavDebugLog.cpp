#include "platform/TavDebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/TavPlatformInfo.h"
#include "platform/UboUtils.h"

namespace {
std::mutex g_logLock;
TavDebugLog::Sink g_sink;
}  // namespace

int TavDebugLog::Threshold() {
    int level = 1;
    TAVPlatformInfo::getRegInt(TAVPlatformInfo::getSectionName("Dravel", "").c_str(), "DEBUG_LEVEL", &level);
    return level;
}

bool TavDebugLog::Enabled(int level) {
    return level <= Threshold();
}

void TavDebugLog::SetSink(Sink sink) {
    std::lock_guard<std::mutex> g(g_logLock);
    g_sink = std::move(sink);
}

void TavDebugLog::Write(uint64_t jobId, const char* tag, int level, const std::string& text) const {
    const char* safeTag = tag ? tag : "";
    {
        std::lock_guard<std::mutex> g(g_logLock);
        if (g_sink) {
            g_sink(jobId, safeTag, level, text);
        }
    }
    std::string path = m_file;
    if (path.empty()) {
        const char* env = std::getenv("TAVSO_DEBUG_LOG");
        path = env ? env : "";
    }
    if (path.empty() || !Enabled(level)) {
        return;
    }
    std::time_t now = std::time(nullptr);
    struct tm tmNow {};
    localtime_r(&now, &tmNow);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tmNow);
    std::lock_guard<std::mutex> g(g_logLock);
    if (FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s [%d] job=%llu %s: %s\n", stamp, level, static_cast<unsigned long long>(jobId),
                     safeTag, text.c_str());
        std::fclose(f);
    }
}

void TavDebugLog::Print(const char* tag, int level, const char* format, ...) const {
    va_list args;
    va_start(args, format);
    std::string text = UboFormatV(format, args);
    va_end(args);
    Write(0, tag, level, text);
}

void TavDebugLog::PrintJob(uint64_t jobId, const char* tag, int level, const char* format, ...) const {
    va_list args;
    va_start(args, format);
    std::string text = UboFormatV(format, args);
    va_end(args);
    Write(jobId, tag, level, text);
}
