// The names of the operation log's types and codes, as the log dialog shows
// them (English keys of the translation).
#pragma once

#include <afx.h>

// The untranslated name of the code; "" when the type holds no such code.
CString LogCodeName(int type, int code);
// The translated name; "type-code" in digits for a pair no table holds, so
// a record written by a newer program still says what it is.
CString LogTypeText(int type, int code);
