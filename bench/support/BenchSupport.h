// The plain baseline that the download figures are measured against, beside
// the loopback baselines and clocks.
#pragma once

#include <cstdint>

#include "bench/support/BenchLoopback.h"

// Sends `bytes` over one plain loopback TCP connection (64 KiB sends, a
// sender thread) into the file at `path`; seconds from listening to the
// file's close.
double PlainLoopbackCopy(uint64_t bytes, const wchar_t* path);
