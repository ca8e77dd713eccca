// The module-wide objects, defined in one place so that they come into being in this order at
// load and go in the reverse order at unload.
#include "api/HuaweiLog.h"
#include "cli/SSLCryptoThrd.h"

// [REST value sets: built first]
TavDebugLog g_HuaweiLog;
TavCriticalSection g_HuaweiCS;
// [g_HuaweiCryptoThread: after g_HuaweiCS]
CSSLCryptoThrd g_HuaweiCryptoThread(&g_HuaweiLog);
