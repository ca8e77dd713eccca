// The snap operation's records and workers: one worker per array snaps all of that array's
// volumes in one request; the small snapshot-copy helpers the mount side shares.
#pragma once

#include <list>
#include <string>

#include "api/HuaweiArrayParams.h"
#include "api/HuaweiMetaData.h"
#include "platform/TavsoHost.h"

// One volume in a snapshot group.
struct SnapshotInfo {
    TAVSO::SnapInfo* volume = nullptr;
    _MetaDataParams meta;
    std::string snapName;  // the name asked for: the array parameters' snapName
};

// One worker's argument, valid until the worker has been joined.
struct SnapThreadArgs {
    std::list<SnapshotInfo>* snaps = nullptr;
    _HuaweiCliParams* parameters = nullptr;
};

// LUN snapshots of one array group (args: SnapThreadArgs*); returns 0.
int snapDeviceThread(void* args);
// File-system snapshots of one array group (args: SnapThreadArgs*); returns 0.
int snapDeviceThread2(void* args);

void DumpSnapInfo(TAVSO::SnapInfo* volume, SnapshotInfo& info);
// "TAVCL" + snapshot id + "_" + the host's numeric id, e.g. TAVCL233_5.
void GetSnapshotCopyName(TAVSO::SnapInfo* volume, unsigned int snapId, std::string& name);
// Whether the job presents snapshots through a snapshot copy.
bool iSnapCopyFlagset(TAVSO::SnapInfo* volume);
