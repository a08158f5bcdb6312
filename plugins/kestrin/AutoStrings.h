// Small helpers over zero-terminated narrow text, used to split the "&&"
// item lists of device commands. Every write is bounded by the buffer size
// the caller gives.
#pragma once

#include <cstddef>

const int kSplitBadArgument = -1000;

// Splits text (cut to maxLength characters when maxLength is not 0) at the
// first occurrence of separator: first receives the part before it, rest the
// part after it; without an occurrence (or with a null or empty separator)
// first receives the whole text and rest becomes empty. Each output is cut to
// its size - 1 characters and always terminated; first and rest may be the
// text's own buffer. Returns 0, or kSplitBadArgument when text is null or
// empty, or an output is null or has size 0.
int SplitInTwo(const char* text, char* first, size_t firstSize, char* rest, size_t restSize, const char* separator,
               size_t maxLength);

// Removes blanks, tabs, carriage returns and line feeds at both ends of text
// in place. With maxLength not 0 only the first maxLength characters are
// looked at, and the text is cut there. Returns the number of characters
// removed; 0 for a null or empty text.
int TrimString(char* text, size_t maxLength);

// True when the first length characters of a and b match without regard to
// ASCII case (a NUL in one matches only a NUL in the other). false when
// either is null.
bool SameTextIgnoringCase(const char* a, const char* b, size_t length);
