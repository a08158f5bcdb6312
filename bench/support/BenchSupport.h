// What the benchmarks share: a precise clock and the plain baseline that
// the transfer figures are measured against.
#pragma once

#include <windows.h>

#include <cstdint>

LARGE_INTEGER BenchNow();
double BenchSeconds(LARGE_INTEGER from, LARGE_INTEGER to);

// Sends `bytes` over one plain loopback TCP connection (64 KiB sends, a
// sender thread) into the file at `path`; seconds from listening to the
// file's close.
double PlainLoopbackCopy(uint64_t bytes, const wchar_t* path);
