#include "RefusedValues.h"

#include <algorithm>
#include <set>

#include "CAutoLock.h"
#include "CInitLanguage.h"
#include "CLock.h"

namespace {

struct REFUSED_FILES {
    CLock lock;
    std::vector<CString> pending;
    std::set<CString> told;  // lower case
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
    CAutoLock guard(&refused.lock);
    if (!refused.told.insert(key).second) return;
    refused.pending.push_back(file);
}

std::vector<CString> TakeFilesWithRefusedValues() {
    REFUSED_FILES& refused = Refused();
    CAutoLock guard(&refused.lock);
    std::vector<CString> files;
    files.swap(refused.pending);
    return files;
}

CString RefusedValuesText(const std::vector<CString>& files) {
    if (files.empty()) return CString();
    CString text = GetInitLanguage()->GetString(L"Values out of range were replaced by their defaults in:");
    for (const CString& file : files) text += L"\n" + file;
    return text;
}
