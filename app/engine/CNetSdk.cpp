#include "app/engine/CNetSdk.h"

#include <atomic>

#include "common/CAutoLock.h"

namespace {

// One failing function per entry type: zero of the result type, whatever the
// arguments.
template <typename Fn>
struct FailingEntry;

template <typename R, typename... Args>
struct FailingEntry<R(QVNET_CALL*)(Args...)> {
    static R QVNET_CALL Call(Args...) { return R(); }
};

template <typename... Args>
struct FailingEntry<void(QVNET_CALL*)(Args...)> {
    static void QVNET_CALL Call(Args...) {}
};

struct BoundState {
    QVNET_API table;
    HMODULE library = nullptr;
    bool attempted = false;
    std::atomic<bool> bound{false};  // set once the attempt is complete
    CLock lock;
    BoundState() { table = CNetSdk::FailingTable(); }
};

BoundState& State() {
    static BoundState state;
    return state;
}

}  // namespace

QVNET_API CNetSdk::FailingTable() {
    QVNET_API table;
#define QVNET_FAILING_ENTRY(ret, name, args) table.name = &FailingEntry<PFN_QVNET_##name>::Call;
    QVNET_FUNCTIONS(QVNET_FAILING_ENTRY)
#undef QVNET_FAILING_ENTRY
    return table;
}

int CNetSdk::Bind(const wchar_t* libraryPath) {
    BoundState& state = State();
    CAutoLock guard(&state.lock);
    int result = 0;
    if (!state.attempted) {
        state.attempted = true;  // one attempt: a missing library stays missing
        state.library = LoadLibraryW(libraryPath);
        if (!state.library) {
            result = -1;
        } else {
#define QVNET_BIND_ENTRY(ret, name, args)                                                         \
    {                                                                                             \
        FARPROC proc = GetProcAddress(state.library, MAKEINTRESOURCEA(QVNET_ORD_##name));         \
        if (proc) {                                                                               \
            state.table.name = reinterpret_cast<PFN_QVNET_##name>(reinterpret_cast<void*>(proc)); \
        } else {                                                                                  \
            result = -2;                                                                          \
        }                                                                                         \
    }
            QVNET_FUNCTIONS(QVNET_BIND_ENTRY)
#undef QVNET_BIND_ENTRY
        }
        state.bound = true;
    }
    return result;
}

QVNET_API& CNetSdk::Api() {
    BoundState& state = State();
    if (!state.bound) Bind();
    return state.table;
}

QVNET_API CNetSdk::Replace(const QVNET_API& table) {
    BoundState& state = State();
    if (!state.bound) Bind();
    CAutoLock guard(&state.lock);
    QVNET_API previous = state.table;
    state.table = table;
    return previous;
}
