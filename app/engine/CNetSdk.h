// CNetSdk: the program's binding of the network device SDK. The exports are
// bound by ordinal into one process-wide function table; every call of the
// program goes through that table, so a test can replace single entries (to
// count calls or to force a failure) and put the original back afterwards.
#pragma once

#include <windows.h>

#include "sdk/qvnetsdk/qvnetsdk.h"

struct QVNET_API {
#define QVNET_TABLE_ENTRY(ret, name, args) PFN_QVNET_##name name;
    QVNET_FUNCTIONS(QVNET_TABLE_ENTRY)
#undef QVNET_TABLE_ENTRY
};

class CNetSdk {
public:
    // Loads the library (by name through the DLL search path when no folder
    // is given) and binds every export by its ordinal. Returns 0 (also when
    // already bound), -1 when the library does not load, -2 when an ordinal
    // is missing (the table then keeps failing entries).
    static int Bind(const wchar_t* libraryPath = L"qvnetsdk.dll");
    // The table in use. Binds on first use; entries that could not be bound
    // fail every call (0, no handle) so a missing library never crashes.
    static QVNET_API& Api();
    // Installs a whole table and returns the one it replaced.
    static QVNET_API Replace(const QVNET_API& table);
    // A table whose every entry fails.
    static QVNET_API FailingTable();
};

// Shorthand for CNetSdk::Api().
inline QVNET_API& NetSdk() { return CNetSdk::Api(); }
