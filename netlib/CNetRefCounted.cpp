#include "netlib/CNetRefCounted.h"

bool CNetRefCounted::TryAddRef() {
    // An increment followed by a correcting decrement would briefly revive a
    // dying object and let two threads both believe they hold the last
    // reference; increment only from a live count.
    LONG seen = m_refs;
    while (seen > 0) {
        const LONG before = InterlockedCompareExchange(&m_refs, seen + 1, seen);
        if (before == seen) return true;
        seen = before;
    }
    return false;
}
