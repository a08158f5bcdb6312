// Queries that a device of several registration records answers once per
// record: each request is recorded under a sequence number (which replaces
// the client id on the way to the device, so every record's answer names
// it), the records' answers are collected, and when every record has
// answered they are merged into the one answer the SDK client expects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <vector>

#include "plugins/kestrin/AutoChannelLayout.h"
#include "plugins/kestrin/AutoPluginTypes.h"

class CAutoRequestTable {
public:
    // A request whose records never all answer is forgotten after this long.
    static constexpr uint32_t kTimeoutMs = 30000;
    static constexpr size_t kMaxEntries = 256;
    // Answer text of a list query that is looked at, and its item cells.
    static constexpr size_t kMaxListText = 1200;
    static constexpr size_t kListCellSize = 64;

    struct Merged {
        std::vector<uint8_t> packet;
        std::vector<PLUGIN_DATA_TARGET> targets;
    };

    virtual ~CAutoRequestTable() = default;

    // Records a request that is merged (0xA8 with byte 8 = 1; 0xA3 with
    // sub-code 127, 126 or 123) for the records of layout; records that are
    // off line or missing count as answered. Returns 0 with *clientId
    // replaced by the new sequence number; -1 for any other command (or a
    // null argument), *clientId untouched.
    int MapRequest(const uint8_t* packet, size_t length, int32_t* clientId, int32_t tag,
                   const kestrin::AUTO_RECORD_LAYOUT& layout, uint32_t nowMs);

    // Takes the answer of the record in slot to the request named by the
    // first target's session id. Returns true and fills *out when that
    // completes the request (the merged answer, every target addressed to the
    // requesting client and tag); the entry is then removed, with any entry
    // older than the time-out. false when the answer is not one that is
    // merged, names no recorded request, does not match its kind, or other
    // records are still to answer.
    bool Merge(int slot, const PLUGIN_DATA_TARGET* targets, int targetCount, const uint8_t* packet, size_t length,
               uint32_t nowMs, Merged* out);

    size_t Count() const;

private:
    struct SlotPart {
        int channels = 0;
        bool answered = true;
        std::vector<uint8_t> store;
    };
    struct Entry {
        int32_t sequence;
        int32_t clientId;
        int32_t tag;
        uint32_t createdMs;
        uint8_t kind;  // kCmdListAnswer, or the table sub-code
        SlotPart slots[kestrin::kMaxRecords];
    };

    static uint8_t RequestKind(const uint8_t* packet, size_t length);
    static uint8_t AnswerKind(const uint8_t* packet, size_t length);
    static void StoreListItems(SlotPart& part, const uint8_t* packet, size_t length);
    static void BuildMergedList(const Entry& entry, const uint8_t* packet, std::vector<uint8_t>* out);
    static void BuildMergedTable(const Entry& entry, const uint8_t* packet, size_t length, std::vector<uint8_t>* out);
    void DropExpired(uint32_t nowMs);

    mutable std::mutex m_lock;
    int32_t m_counter = 0;
    std::list<Entry> m_entries;
};
