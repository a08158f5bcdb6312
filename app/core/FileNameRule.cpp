#include "FileNameRule.h"

namespace {

CString Decimal(int value) {
    CString text;
    text.Format(L"%d", value);
    return text;
}

// Zeros in front up to the width; a text already that long is kept whole.
CString ZeroPadded(int value, int width) {
    CString text = Decimal(value);
    if (text.GetLength() >= width) return text;
    return CString(L'0', width - text.GetLength()) + text;
}

}  // namespace

CString StripInvalidFileChars(const CString& text) {
    // ":" and control characters are stripped too: a channel called
    // "Gate: North" must still give a name the file system accepts.
    static const wchar_t kInvalid[] = L"\\/;*?\"<>|:";
    CString result;
    result.Preallocate(text.GetLength());
    for (int i = 0; i < text.GetLength(); ++i) {
        wchar_t c = text.GetAt(i);
        if (c < 0x20 || wcschr(kInvalid, c)) continue;
        result.AppendChar(c);
    }
    return result;
}

CString FolderNameOf(const CString& text, const CString& fallback) {
    CString name = StripInvalidFileChars(text);
    name.TrimRight(L". ");
    return name.IsEmpty() ? fallback : name;
}

CString ExpandNameRule(const CString& rule, const CString& devId, const CString& chnIdx, const CString& devName,
                       const CString& chnName, const CString& recType, __time64_t time, const CString& alarmInfo) {
    struct tm local = {};
    _localtime64_s(&local, &time);
    const int year = local.tm_year + 1900;
    const CString yearText = Decimal(year);
    const struct {
        const wchar_t* token;
        CString value;
    } replacements[] = {
        {L"{Y4}", ZeroPadded(year, 4)},
        {L"{Y2}", yearText.Right(2)},
        {L"{M}", Decimal(local.tm_mon + 1)},
        {L"{M2}", ZeroPadded(local.tm_mon + 1, 2)},
        {L"{D}", Decimal(local.tm_mday)},
        {L"{D2}", ZeroPadded(local.tm_mday, 2)},
        {L"{H}", Decimal(local.tm_hour)},
        {L"{H2}", ZeroPadded(local.tm_hour, 2)},
        {L"{m}", Decimal(local.tm_min)},
        {L"{m2}", ZeroPadded(local.tm_min, 2)},
        {L"{S}", Decimal(local.tm_sec)},
        {L"{S2}", ZeroPadded(local.tm_sec, 2)},
        {L"{DEVID}", devId},
        {L"{DEVNM}", devName},
        {L"{CHNIDX}", chnIdx},
        {L"{CHNNM}", chnName},
        {L"{RECTYPE}", recType},
        {L"{ALARMINFO}", alarmInfo},
    };
    CString name = rule;
    for (const auto& r : replacements) name.Replace(r.token, r.value);
    return StripInvalidFileChars(name);
}

FILE_NAME_RULE_ARGS::FILE_NAME_RULE_ARGS() : time(_time64(nullptr)) {
    rule.Format(L"%s%s%s_%s%s%s", L"{Y2}", L"{M2}", L"{D2}", L"{H2}", L"{m2}", L"{S2}");
}

FILE_NAME_RULE_ARGS::FILE_NAME_RULE_ARGS(const CString& devId_, const CString& devName_, const CString& chnIdx_,
                                         const CString& chnName_, const CString& recType_, const CString& rule_,
                                         __time64_t time_, const CString& alarmInfo_)
    : devId(devId_),
      devName(devName_),
      chnIdx(chnIdx_),
      chnName(chnName_),
      recType(recType_),
      rule(rule_),
      time(time_),
      alarmInfo(alarmInfo_) {}

CString FILE_NAME_RULE_ARGS::Expand() const {
    return ExpandNameRule(rule, devId, chnIdx, devName, chnName, recType, time, alarmInfo);
}
