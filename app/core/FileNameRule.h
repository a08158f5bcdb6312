// Names of downloaded record files and log databases, built from rules such as
// "{Y4}{M2}{D2}_{H2}{m2}{S2}.duz". Pure text work: never touches the disk.
#pragma once

#include <afx.h>

#include <ctime>

// Replaces the time tokens ({Y4} {Y2} {M} {M2} {D} {D2} {H} {H2} {m} {m2} {S}
// {S2}, case-sensitive, local time) and then the caller's {DEVID} {DEVNM}
// {CHNIDX} {CHNNM} {RECTYPE} {ALARMINFO}, in that order, and finally removes
// every character a file name cannot hold. Returns the name; no extension is
// added, unknown brace texts stay as they are, an empty rule gives "".
CString ExpandNameRule(const CString& rule, const CString& devId, const CString& chnIdx, const CString& devName,
                       const CString& chnName, const CString& recType, __time64_t time, const CString& alarmInfo);

// Returns the text without \ / ; * ? " < > | : and control characters.
CString StripInvalidFileChars(const CString& text);
// The text as one folder name: StripInvalidFileChars, then without trailing
// dots and blanks (which the file system drops, and which would make "." or
// ".." a step out of the folder); the fallback when nothing is left.
CString FolderNameOf(const CString& text, const CString& fallback);

// The expander's inputs bundled in one record.
struct FILE_NAME_RULE_ARGS {
    CString devId;
    CString devName;
    CString chnIdx;
    CString chnName;
    CString recType;
    CString rule;
    __time64_t time;
    CString alarmInfo;

    // Empty texts, the current time and the rule "{Y2}{M2}{D2}_{H2}{m2}{S2}".
    FILE_NAME_RULE_ARGS();
    FILE_NAME_RULE_ARGS(const CString& devId, const CString& devName, const CString& chnIdx, const CString& chnName,
                        const CString& recType, const CString& rule, __time64_t time, const CString& alarmInfo);
    // Returns ExpandNameRule over the fields.
    CString Expand() const;
};
