#include "plugins/kestrin/CAutoRequestTable.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "plugins/kestrin/AutoProtocol.h"
#include "plugins/kestrin/CStrTokenizer.h"

using namespace kestrin;

namespace {

const char kListSeparator[] = "&&";

size_t StoreSize(uint8_t kind) {
    if (kind == kCmdListAnswer) return kMaxChannels * CAutoRequestTable::kListCellSize;
    return TableEntrySize(kind) * kMaxChannels;
}

bool IsTableSubCode(uint8_t subCode) { return TableEntrySize(subCode) != 0; }

}  // namespace

uint8_t CAutoRequestTable::RequestKind(const uint8_t* packet, size_t length) {
    if (packet == nullptr || length < kHeaderSize) return 0;
    if (packet[0] == kCmdListQuery && packet[8] == 1) return kCmdListAnswer;
    if (packet[0] == kCmdQuery && IsTableSubCode(packet[kSubCodeOffset])) return packet[kSubCodeOffset];
    return 0;
}

uint8_t CAutoRequestTable::AnswerKind(const uint8_t* packet, size_t length) {
    if (packet == nullptr || length < kHeaderSize) return 0;
    if (packet[0] == kCmdListAnswer && packet[8] == 1) return kCmdListAnswer;
    if (packet[0] == kCmdQueryAnswer && IsTableSubCode(packet[kSubCodeOffset])) return packet[kSubCodeOffset];
    return 0;
}

int CAutoRequestTable::MapRequest(const uint8_t* packet, size_t length, int32_t* clientId, int32_t tag,
                                  const AUTO_RECORD_LAYOUT& layout, uint32_t nowMs) {
    uint8_t kind = RequestKind(packet, length);
    if (kind == 0 || clientId == nullptr) return -1;
    Entry entry;
    entry.clientId = *clientId;
    entry.tag = tag;
    entry.createdMs = nowMs;
    entry.kind = kind;
    for (int s = 0; s < kMaxRecords; ++s) {
        SlotPart& part = entry.slots[s];
        part.channels = layout.present[s] ? layout.channels[s] : 0;
        part.answered = !layout.present[s] || !layout.online[s];
        part.store.assign(StoreSize(kind), 0);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    DropExpired(nowMs);
    if (m_entries.size() >= kMaxEntries) m_entries.pop_front();
    // Sequence numbers stay positive: they travel where client ids do.
    m_counter = m_counter == INT32_MAX ? 1 : m_counter + 1;
    entry.sequence = m_counter;
    m_entries.push_back(std::move(entry));
    *clientId = m_counter;
    return 0;
}

void CAutoRequestTable::DropExpired(uint32_t nowMs) {
    m_entries.remove_if([nowMs](const Entry& e) { return nowMs - e.createdMs > kTimeoutMs; });
}

void CAutoRequestTable::StoreListItems(SlotPart& part, const uint8_t* packet, size_t length) {
    size_t body = std::min(AvailableBody(packet, length), kMaxListText);
    const char* text = reinterpret_cast<const char*>(packet + kHeaderSize);
    std::string items(text, std::find(text, text + body, '\0'));
    CStrTokenizer tokenizer(items.c_str(), kListSeparator);
    size_t count = std::min(tokenizer.Count(), size_t(part.channels));
    for (size_t i = 0; i < count; ++i) {
        char* cell = reinterpret_cast<char*>(part.store.data() + i * kListCellSize);
        std::strncpy(cell, tokenizer.Item(i), kListCellSize - 1);
        cell[kListCellSize - 1] = '\0';
    }
}

void CAutoRequestTable::BuildMergedList(const Entry& entry, const uint8_t* packet, std::vector<uint8_t>* out) {
    std::string text;
    int items = 0;
    for (const SlotPart& part : entry.slots) {
        for (int i = 0; i < part.channels && items < kMaxChannels; ++i, ++items) {
            text += reinterpret_cast<const char*>(part.store.data() + i * kListCellSize);
            text += kListSeparator;
        }
    }
    if (!text.empty()) text.resize(text.size() - 2);
    out->assign(kHeaderSize + text.size(), 0);
    std::memcpy(out->data(), packet, kHeaderSize);
    std::memcpy(out->data() + kHeaderSize, text.data(), text.size());
    WriteLe32(out->data() + 4, uint32_t(text.size()));
}

void CAutoRequestTable::BuildMergedTable(const Entry& entry, const uint8_t* packet, size_t length,
                                         std::vector<uint8_t>* out) {
    out->assign(packet, packet + length);
    size_t entrySize = TableEntrySize(entry.kind);
    size_t body = AvailableBody(packet, length);
    uint8_t* table = out->data() + kHeaderSize;
    const uint8_t* answered = packet + kHeaderSize;
    size_t position = 0;
    for (const SlotPart& part : entry.slots) {
        for (int i = 0; i < part.channels; ++i, ++position) {
            if (position >= size_t(kMaxChannels) || (position + 1) * entrySize > body) return;
            uint8_t* to = table + position * entrySize;
            std::memcpy(to, part.store.data() + i * entrySize, entrySize);
            if (entry.kind == kSubTable123)
                to[kTable123PositionByte] = answered[position * entrySize + kTable123PositionByte];
        }
    }
}

bool CAutoRequestTable::Merge(int slot, const PLUGIN_DATA_TARGET* targets, int targetCount, const uint8_t* packet,
                              size_t length, uint32_t nowMs, Merged* out) {
    uint8_t kind = AnswerKind(packet, length);
    if (kind == 0 || targets == nullptr || targetCount < 1 || slot < 0 || slot >= kMaxRecords || out == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    int32_t sequence = targets[0].sessionId;
    auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [sequence](const Entry& e) { return e.sequence == sequence; });
    if (it == m_entries.end() || it->kind != kind) return false;

    SlotPart& part = it->slots[slot];
    part.answered = true;
    if (kind == kCmdListAnswer) {
        StoreListItems(part, packet, length);
    } else {
        size_t body = AvailableBody(packet, length);
        if (body <= part.store.size()) std::memcpy(part.store.data(), packet + kHeaderSize, body);
    }
    if (!std::all_of(std::begin(it->slots), std::end(it->slots), [](const SlotPart& p) { return p.answered; })) {
        return false;
    }

    if (kind == kCmdListAnswer)
        BuildMergedList(*it, packet, &out->packet);
    else
        BuildMergedTable(*it, packet, length, &out->packet);
    out->targets.assign(size_t(targetCount), PLUGIN_DATA_TARGET{it->clientId, it->tag});
    m_entries.erase(it);
    DropExpired(nowMs);
    return true;
}

size_t CAutoRequestTable::Count() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries.size();
}
