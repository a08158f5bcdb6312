#include "plugins/kestrin/CAutoStateMasks.h"

#include "plugins/kestrin/AutoProtocol.h"

namespace {

const size_t kReportLength = 36;
const int kOfflineSetType = 3;

// Bits offset .. offset+count-1, cut at bit 31; shifts stay below 64.
uint32_t RangeBits(int offset, int count) {
    if (offset < 0 || offset >= 32 || count <= 0) return 0;
    int bits = count < 32 - offset ? count : 32 - offset;
    return uint32_t(((uint64_t(1) << bits) - 1) << offset);
}

}  // namespace

bool CAutoStateMasks::ApplyReport(uint8_t* packet, size_t length, int offset, int count) {
    if (packet == nullptr || length != kReportLength || packet[0] != kestrin::kCmdStateReport) return false;
    int type = packet[12];
    if (!IsMaskType(type)) return false;
    uint32_t range = RangeBits(offset, count);
    uint32_t reported = offset >= 0 && offset < 32 ? uint32_t(uint64_t(kestrin::ReadLe32(packet + 32)) << offset) : 0;
    std::lock_guard<std::mutex> guard(m_lock);
    uint32_t& mask = m_masks[type - 2];
    mask = (mask & ~range) | (reported & range);
    kestrin::WriteLe32(packet + 32, mask);
    return true;
}

void CAutoStateMasks::MarkRecordOffline(int offset, int count) {
    uint32_t range = RangeBits(offset, count);
    std::lock_guard<std::mutex> guard(m_lock);
    for (int type = 2; type <= 5; ++type) {
        uint32_t& mask = m_masks[type - 2];
        mask = type == kOfflineSetType ? (mask | range) : (mask & ~range);
    }
}

uint32_t CAutoStateMasks::Mask(int type) const {
    if (!IsMaskType(type)) return 0;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_masks[type - 2];
}
