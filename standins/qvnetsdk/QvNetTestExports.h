// What the stand-in qvnetsdk.dll offers tests beyond the SDK's contract
// (sdk/qvnetsdk/qvnetsdk.h): exports at ordinals of their own, which the
// program never binds, and one environment variable.
//
// The LAN search probes the target named in the environment as
// QVNET_SEARCH_TARGET="ip:port" when QVNET_Init runs, in place of the
// broadcast address: test runs set it to the loopback address.
#pragma once

#include "sdk/qvnetsdk/qvnetsdk.h"

#ifdef __cplusplus
extern "C" {
#endif

enum QVNET_TEST_ORDINAL {
    QVNET_ORD_TestSetSearchTarget = 1001,
    QVNET_ORD_TestGetCounters = 1002,
    QVNET_ORD_TestUseSyntheticAudio = 1003,
    QVNET_ORD_TestFailFileWrites = 1004,
    QVNET_ORD_TestKeepSessionOnFetchFailure = 1005,
};

// Counters for tests (QVNET_TestGetCounters).
typedef struct QVNET_TEST_COUNTERS {
    int32_t sessions;        // login sessions alive
    int32_t objects;         // other handles alive: transfers, searches, talks, jobs
    int32_t threads;         // SDK threads at work
    int32_t disconnects;     // disconnect callbacks made since start
    int32_t idleThreads;     // SDK threads waiting for their next work
    int32_t threadsStarted;  // SDK threads started since the process began
} QVNET_TEST_COUNTERS;

#define QVNET_TEST_FUNCTIONS(X)                                     \
    X(int32_t, TestSetSearchTarget, (const char* ip, int32_t port)) \
    X(int32_t, TestGetCounters, (QVNET_TEST_COUNTERS * counters))   \
    X(int32_t, TestUseSyntheticAudio, (int32_t on))                 \
    X(int32_t, TestFailFileWrites, (int32_t keptKB))                \
    X(int32_t, TestKeepSessionOnFetchFailure, (int32_t on))

#define QVNET_DECLARE_TEST_FUNCTION(ret, name, args) ret QVNET_CALL QVNET_##name args;
#define QVNET_DECLARE_TEST_POINTER(ret, name, args) typedef ret(QVNET_CALL* PFN_QVNET_##name) args;
QVNET_TEST_FUNCTIONS(QVNET_DECLARE_TEST_POINTER)
#ifdef QVNET_DECLARE_EXPORTS
QVNET_TEST_FUNCTIONS(QVNET_DECLARE_TEST_FUNCTION)
#endif
#undef QVNET_DECLARE_TEST_FUNCTION
#undef QVNET_DECLARE_TEST_POINTER

#ifdef __cplusplus
}
#endif
