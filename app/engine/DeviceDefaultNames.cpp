#include "app/engine/DeviceDefaultNames.h"

#include <algorithm>

#include "app/core/CInitLanguage.h"

void DefaultSlotName(char (&field)[33], const wchar_t* key, const wchar_t* format, int number) {
    CString text;
    text.Format(format, GetInitLanguage()->GetString(key).GetString(), number);
    CopyFixedText(field, CStringA(text));
}

void DefaultChannelName(char (&field)[33], int index) { DefaultSlotName(field, L"Channel", L"%s %d", index + 1); }

void FillDefaultChannelNames(DEVICE_RECORD& record) {
    const int count = std::min<int>(record.channelCount, kMaxChannels);
    for (int i = 0; i < count; ++i) {
        if (record.channels[i].name[0] == '\0') DefaultChannelName(record.channels[i].name, i);
    }
}
