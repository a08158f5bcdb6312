// Finding the top-level windows of a process, for tests and benchmarks that
// drive a program (their own or one they started) from outside its windows.
#pragma once

#include <windows.h>

#include <functional>

// The first visible top-level window of the process that match accepts
// (any, without match); null when there is none. match runs on the caller's
// thread while the windows are enumerated.
HWND FindProcessWindow(DWORD processId, const std::function<bool(HWND)>& match = {});
