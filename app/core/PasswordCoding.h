// Reversible, keyless coding of stored passwords: each character becomes a
// group of four decimal characters ("%04d" of its ANSI byte plus a position
// term). It hides a password from a casual reader; it is not encryption.
#pragma once

#include <afx.h>

// Mode 0 is the only coding: returns the coded text (4 characters per input
// character, "" for ""). Any other mode returns "".
CString EncodePassword(const CString& plain, int mode);
// Mode 0: returns the plain text of a coded text; a last group shorter than
// four characters is read like any other. Any other mode returns "".
CString DecodePassword(const CString& coded, int mode);
