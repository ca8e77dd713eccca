// The module-wide objects, defined in one place so that they come into being in this order at
// load and go in the reverse order at unload.
#include "api/HuaweiLog.h"

// [REST value sets: built first]
TavDebugLog g_HuaweiLog;
TavCriticalSection g_HuaweiCS;
// [g_HuaweiCryptoThread: after g_HuaweiCS]
