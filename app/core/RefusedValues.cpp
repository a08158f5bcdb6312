#include "RefusedValues.h"

#include <set>

#include "CInitLanguage.h"
#include "CNoticeQueue.h"

namespace {

struct REFUSED_FILES {
    CNoticeQueue<CString> pending;
    std::set<CString> told;  // lower case; guarded by the queue's lock
};

REFUSED_FILES& Refused() {
    static REFUSED_FILES files;
    return files;
}

}  // namespace

void NoteRefusedValues(const CString& file) {
    REFUSED_FILES& refused = Refused();
    CString key = file;
    key.MakeLower();
    refused.pending.PostIf(file, [&refused, &key]() { return refused.told.insert(key).second; });
}

std::vector<CString> TakeFilesWithRefusedValues() { return Refused().pending.Take(); }
CString RefusedValuesText(const std::vector<CString>& files) {
    if (files.empty()) return CString();
    CString text = GetInitLanguage()->GetString(L"Values out of range were replaced by their defaults in:");
    for (const CString& file : files) text += L"\n" + file;
    return text;
}
