// One source in a snapshot request to a CLI manager, and what became of it.
#pragma once

#include <string>

struct _HM_SnapParams {
    unsigned int sourceId = 0;  // in: LUN (or file system) to snapshot
    unsigned int snapId = 0;    // out: 0 when there is none
    std::string snapName;       // in: requested name; out: created name, emptied when its ID was not found
    std::string snapIdText;     // out: file-system snapshot ID
    // "Snap Success" / "Snapshot creation failure", then "Snap ID Success" / "Fetching Snap-ID failed";
    // emptied when the whole request was rolled back.
    std::string status;
};
