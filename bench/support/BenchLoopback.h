// Baselines and clocks for the relay benchmarks: what plain blocking Winsock
// does on one loopback connection, measured in the same run as the relay.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <vector>

// Seconds between two performance-counter readings.
double BenchSeconds(LARGE_INTEGER from, LARGE_INTEGER to);
LARGE_INTEGER BenchNow();

// A connected pair of blocking sockets on 127.0.0.1 (port chosen by the
// system). false when a step fails (nothing is left open).
bool LoopbackPair(SOCKET* sender, SOCKET* receiver);

// Sends packet count times on s; stops early when stop becomes true or a send fails.
void SendRepeatedly(SOCKET s, const std::vector<uint8_t>& packet, long long count, const volatile bool* stop = nullptr);

// MB/s of count copies of packet over one plain loopback connection (a sender
// and a receiver thread).
double PlainLoopbackMBps(const std::vector<uint8_t>& packet, long long count);

// Round trips in ms, sorted, of a 32-byte message answered at once by an echo
// thread over one plain loopback connection.
std::vector<double> PlainLoopbackRoundTrips(int count);

// Median and 99th percentile of sorted round trips.
void PrintRoundTrips(const char* label, const std::vector<double>& sortedMs);
