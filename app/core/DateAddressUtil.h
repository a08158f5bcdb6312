// Date checks, IPv4 address texts, the machine's local addresses and a file's
// version text. Stateless.
#pragma once

#include <afx.h>

#include <vector>

// TRUE when the year is 2000 to 2037, the month 1 to 12 and the day 1 to 31
// (no check of the month's length).
BOOL IsValidDate(UINT year, UINT month, UINT day);
// The user's date order: 0 month-day-year, 1 day-month-year, 2
// year-month-day; 2 when the locale cannot be asked.
int GetLocaleDateOrder();
// An address as stored (network byte order) -> "a.b.c.d", first octet from
// the lowest byte.
CString IpToString(DWORD networkOrderAddress);
// An address in host byte order -> "a.b.c.d" from the highest byte.
CString IpHostOrderToString(DWORD hostOrderAddress);
// Dotted text -> address in host byte order; INADDR_NONE for invalid text.
DWORD StringToIpHostOrder(const CString& text);
// Appends "a.b.c.d\n" for every IPv4 address of this host's name
// ("localhost" when the name cannot be had). Returns 0.
int GetLocalIpAddresses(std::vector<CString>& addresses);
// The local address of the first TCP connection that succeeds to the host on
// the port, as text; "" on any failure.
CString GetLocalIpTowards(const CString& host, int port);
// The file's fixed version as "major.minor(2).build.revision(4)"; "" when the
// file has no version resource.
CString GetFileVersionString(const CString& path);
