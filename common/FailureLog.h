// LOG_FAILURE: records a failure that the code cannot hand to its caller (a
// thread body, a callback from a library, a clean-up step), with the
// function, the object it concerned, the Win32 error and the line, as one
// debugger line. Read GetLastError (or WSAGetLastError) before anything else
// runs: LOG_FAILURE takes the error as it is when it is called.
#pragma once

#include <windows.h>

#include <stdio.h>

inline void LogFailure(const char* function, const wchar_t* object, DWORD error, int line) {
    wchar_t text[512];
    _snwprintf(text, sizeof(text) / sizeof(text[0]) - 1, L"failure: %hs (%ls) error %lu at line %d\n", function,
               object ? object : L"", static_cast<unsigned long>(error), line);
    text[sizeof(text) / sizeof(text[0]) - 1] = L'\0';
    OutputDebugStringW(text);
}

#define LOG_FAILURE(object) LogFailure(__func__, (object), GetLastError(), __LINE__)
#define LOG_FAILURE_ERROR(object, error) LogFailure(__func__, (object), (error), __LINE__)
