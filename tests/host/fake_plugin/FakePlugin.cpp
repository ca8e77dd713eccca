// A stand-in plug-in with the thirteen exports, so that the harness's step runs can be checked
// across processes: prepare stores metadata on the volume, snap needs it back from the store.
#include <list>
#include <map>
#include <string>
#include <vector>

#include "platform/TavsoHost.h"

using TAVSO::SnapInfo;
using TAVSO::TAVOSUtil;

namespace {

int batchResult(int ok, short count) {
    return ok == count ? 0 : ok == 0 ? 1 : 2;
}

std::string source(SnapInfo* v) {
    char buf[1024];
    short len = sizeof buf;
    v->getSourceDevice(buf, &len);
    return buf;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void tavso_version(short* a, short* b, short* c) {
    if (a && b && c) {
        *a = 1;
        *b = *c = 0;
    }
}

__attribute__((visibility("default"))) int tavso_isSupported(const char* d, TAVSO::SNAP_TYPE, TAVOSUtil*,
                                                             char*, short) {
    return d == nullptr ? 1 : std::string(d).find("other") != std::string::npos ? 2 : 0;
}

__attribute__((visibility("default"))) int tavso_prepareDevices(SnapInfo** v, short n, TAVOSUtil* os) {
    int ok = 0;
    for (short i = 0; i < n; ++i) {
        // The array id is the source device's last path component, or the serial in a simulated
        // host's device name (hw-<serial>-<id>).
        const std::string dev = source(v[i]);
        std::string array = dev.substr(dev.rfind('/') + 1);
        if (array.rfind("hw-", 0) == 0 && array.size() > 23) {
            array = array.substr(3, 20);
        }
        if (dev.find("/fail/") != std::string::npos) {
            v[i]->setStatus(2);
            v[i]->reportError(62008, "Failed to connect to array");
            continue;
        }
        if (v[i]->setLoginCredentials(array.c_str()) != 0) {
            v[i]->setStatus(2);
            v[i]->reportError(62005, "Failed to get array info");
            continue;
        }
        char cred[4096];
        short len = sizeof cred;
        v[i]->getLoginCredentials(cred, &len);
        v[i]->log(1, "Huawei-tavso_prepareDevices", cred);
        v[i]->setMetadata(1, ("meta:" + array + ":" + std::to_string(os->getJobId())).c_str());
        v[i]->setTransientMetadata(145, "1");
        v[i]->setStatus(1);
        ++ok;
    }
    return n == 0 ? 1 : batchResult(ok, n);
}

__attribute__((visibility("default"))) int tavso_snapDevices(SnapInfo** v, short n, TAVOSUtil*) {
    int ok = 0;
    for (short i = 0; i < n; ++i) {
        char small[4];
        short len = sizeof small;
        std::string t145;
        if (v[i]->getMetadata(1, small, &len) != 2 || !v[i]->getTransientMetadata(145, t145)) {
            v[i]->setStatus(6);
            continue;
        }
        std::vector<char> buf(len);
        if (v[i]->getMetadata(1, buf.data(), &len) != 0) {
            v[i]->setStatus(6);
            continue;
        }
        v[i]->setMetadata(1, (std::string(buf.data()) + ":snapped").c_str());
        v[i]->setStatus(5);
        ++ok;
    }
    return batchResult(ok, n);
}

#define TAVSO_FAKE_BATCH(name)                                                       \
    __attribute__((visibility("default"))) int name(SnapInfo**, short, TAVOSUtil*) { \
        return 0;                                                                    \
    }
TAVSO_FAKE_BATCH(tavso_unprepareDevices)
TAVSO_FAKE_BATCH(tavso_isMapped)
TAVSO_FAKE_BATCH(tavso_mapSnaps)
TAVSO_FAKE_BATCH(tavso_unmapSnaps)
TAVSO_FAKE_BATCH(tavso_deleteSnaps)
TAVSO_FAKE_BATCH(tavso_revertSnaps)
TAVSO_FAKE_BATCH(tavso_reconcileSnaps)

__attribute__((visibility("default"))) int tavso_identifyDevices(
    SnapInfo**, short, std::map<std::string, std::list<std::string>>*, int, void*, TAVOSUtil*) {
    return 0;
}

__attribute__((visibility("default"))) int tavso_getArrayInfo(void*, void*) {
    return 0;
}
}
