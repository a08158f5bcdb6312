// The reachability test before a device login: resolve a host name to its
// IPv4 addresses and find the first that accepts a TCP connection.
#pragma once

#include <stdint.h>

#include <string>

// Returns 0 with the dotted text of the first address that connected; -1
// when the name does not resolve; -2 when no address connects. Every address
// gets its own socket (a socket is unusable after a failed connect); each
// connect blocks for at most the system's connect time-out.
int ProbeHost(const char* host, uint16_t port, std::string* connectedAddress);
