// Reading the blocks the network SDK returns about a device (type code,
// talk formats, disks, channel flags, record plan) and building the user
// name a login sends. Pure code: every length is checked against the data.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "app/engine/DEVICE_RECORD.h"

const int kDiskBlockSize = 3076;        // count + 256 entries of 12 bytes
const int kChannelFlagBlockSize = 280;  // configuration type 17
const int kPlanBytesPerChannel = 1184;  // configuration type 5
const int kMaxDiskEntries = 256;

// The record's type text for the SDK's device type code.
const char* DeviceTypeText(int typeCode);

// The user name a login sends (9 bytes, zero-terminated). With the shift on,
// a name shorter than 8 characters has all 8 bytes raised by 3 (the bytes
// after the name become 3); an 8-character name only its first byte.
void BuildLoginUserName(const char (&user)[9], bool shift, char (&out)[9]);

// Keeps the entries of a talk-format block whose type is 0..5, in order, at
// most 64 and never more than the block holds. Writes a whole zeroed block
// with the kept entries and their count; returns the count.
int FilterTalkFormats(const uint8_t* block, size_t length, uint8_t (&out)[kTalkFormatBlockSize]);

// Sums a disk block: sumA of the entries' first values, sumB of their second
// values, count the entry count (bounded by the block). False when the block
// is not a whole disk block (nothing written).
bool SumDiskBlock(const uint8_t* block, size_t length, int32_t* sumA, int32_t* sumB, int32_t* count);

// Channel flags of configuration type 17 into every channel slot. False when
// the block is not 280 bytes (nothing changed).
bool ApplyChannelFlags(const uint8_t* block, size_t length, DEVICE_RECORD& record);

// 1 when one of the six sections of the weekday (0 = Sunday) in one channel's
// plan has flag bit value 4 and holds the second of the day (ends included);
// 0 otherwise, also for a plan shorter than 1184 bytes.
int IsPlannedAt(const uint8_t* channelPlan, size_t length, int weekday, int secondOfDay);

// Text of the translation key for a talk format type; "" for unknown types.
const wchar_t* TalkFormatKey(int formatType);

// Little-endian 32-bit value; the SDK's blocks are written that way.
int32_t ReadInt32(const uint8_t* data);
