#include "cli/Ssh2Library.h"

#include <libssh2.h>

#include <mutex>

namespace {
std::mutex& libraryMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

int Ssh2Library::Init() {
    std::lock_guard<std::mutex> lock(libraryMutex());
    return libssh2_init(0);
}

void Ssh2Library::Exit() {
    std::lock_guard<std::mutex> lock(libraryMutex());
    libssh2_exit();
}
