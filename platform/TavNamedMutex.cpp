#include "platform/TavNamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

std::shared_ptr<std::mutex> localMutex(const std::string& name) {
    static std::mutex registryLock;
    static std::map<std::string, std::shared_ptr<std::mutex>> registry;
    std::lock_guard<std::mutex> g(registryLock);
    auto& m = registry[name];
    if (!m) {
        m = std::make_shared<std::mutex>();
    }
    return m;
}

std::string lockFile(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    std::string file = std::string(base && *base ? base : "/tmp") + "/tavso-mutex-";
    for (char c : name) {
        file += (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') ? c : '_';
    }
    return file + ".lock";
}

}  // namespace

TavNamedMutex::TavNamedMutex(const char* name, CUboError* error, bool lockNow) : m_name(name ? name : "") {
    if (m_name.empty()) {
        if (error) {
            error->Set(EINVAL, "named mutex without a name");
        }
        return;
    }
    m_local = localMutex(m_name);
    m_fd = ::open(lockFile(m_name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        if (error) {
            error->Set(errno, "cannot open named mutex " + m_name + ": " + std::strerror(errno));
        }
        return;
    }
    if (lockNow) {
        lock(error);
    }
}

TavNamedMutex::~TavNamedMutex() {
    unlock();
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool TavNamedMutex::lock(CUboError* error) {
    if (m_fd < 0 || m_locked) {
        return m_locked;
    }
    m_local->lock();
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            if (error) {
                error->Set(errno, "cannot lock named mutex " + m_name + ": " + std::strerror(errno));
            }
            m_local->unlock();
            return false;
        }
    }
    m_locked = true;
    return true;
}

void TavNamedMutex::unlock() {
    if (!m_locked) {
        return;
    }
    ::flock(m_fd, LOCK_UN);
    m_locked = false;
    m_local->unlock();
}
