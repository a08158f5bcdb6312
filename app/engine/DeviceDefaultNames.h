// The names a channel or alarm gets when neither the device nor the user
// named it: the translated kind and the 1-based number.
#pragma once

#include "app/engine/DEVICE_RECORD.h"

// "<translation of key><separator><number>" by format, narrowed and cut to 32 bytes.
void DefaultSlotName(char (&field)[33], const wchar_t* key, const wchar_t* format, int number);
void DefaultChannelName(char (&field)[33], int index);
// Gives every unnamed channel of the record its default name.
void FillDefaultChannelNames(DEVICE_RECORD& record);
