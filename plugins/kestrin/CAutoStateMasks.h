// A device's state masks for report types 2..5: bit g = global channel g.
// Each record reports only its own channels; the device merges them and
// hands the SDK the whole mask. Reports of several records arrive on
// different socket threads, hence the lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

class CAutoStateMasks {
public:
    // Merges a 36-byte 0x69 report of type 2..5 from the record at offset
    // with count channels: those bits of the device mask take bits
    // 0..count-1 of the reported mask (bits past 31 are dropped), and the
    // device mask is written into bytes 32..35. Returns true when the packet
    // was such a report, false (packet untouched) otherwise.
    bool ApplyReport(uint8_t* packet, size_t length, int offset, int count);

    // A record went off line: its bits are cleared for types 2, 4, 5 and set
    // for type 3.
    void MarkRecordOffline(int offset, int count);

    // The mask of type 2..5; 0 for any other type.
    uint32_t Mask(int type) const;

private:
    static bool IsMaskType(int type) { return type >= 2 && type <= 5; }

    mutable std::mutex m_lock;
    uint32_t m_masks[4] = {};
};
