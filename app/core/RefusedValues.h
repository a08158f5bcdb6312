// Stored files that held values out of their allowed range. The readers
// replace such values on load (nothing out of range is used or written back)
// and note the file here; the user interface tells the user once per file.
#pragma once

#include <afx.h>

#include <vector>

// Notes that the file held values that were replaced on load.
void NoteRefusedValues(const CString& file);
// The files noted since the last call that the user was not told of yet
// (each file at most once in the life of the process).
std::vector<CString> TakeFilesWithRefusedValues();
// The text that tells the user of the files; empty when there are none.
CString RefusedValuesText(const std::vector<CString>& files);
