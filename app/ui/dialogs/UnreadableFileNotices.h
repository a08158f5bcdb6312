// Telling the user about stored files that could not be read: which file,
// where it is kept now, and that the program goes on with what could be
// read of it.
#pragma once

#include <afxwin.h>

#include "app/core/UnreadableFiles.h"

// The message about one file, translated.
CString UnreadableFileText(const UNREADABLE_FILE& file);
// Shows every file set aside since the last call, one message box each,
// over owner. Returns how many were shown.
int ShowUnreadableFileNotices(CWnd* owner);
// A query that failed: the files it set aside when that was the cause,
// otherwise the translation of key.
void ShowReadFailure(CWnd* owner, const wchar_t* key);
