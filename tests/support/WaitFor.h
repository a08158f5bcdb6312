// Waits for a condition instead of for a fixed time.
#pragma once

#include <windows.h>

#include <functional>

// Polls the condition every few milliseconds, pumping this thread's messages
// so windows created by the test keep working. True once it holds, false
// when the time-out passes first.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Dispatches every message waiting in this thread's queue, for tests that
// link the framework but not the program's own SystemUtil.
void PumpWaitingMessages();
