// Damage done to a stored file's bytes the way disks and crashes do it, for
// the tests of what the program keeps of such files.
#pragma once

#include <cstddef>
#include <string>

// count bytes of a fixed pseudo-random sequence of the seed.
std::string PseudoRandomBytes(size_t count, unsigned seed);
// The bytes of an SQLite file with the page that holds the marker
// overwritten with junk; "" when the marker is not there.
std::string DamagePageHolding(std::string bytes, const std::string& marker);
// Overwrites, in place, the page of the SQLite file at path that holds the
// marker, as DamagePageHolding does, while a connection may hold the file
// open. The file's damaged bytes; "" when the marker is not there or the
// file cannot be written.
std::string DamagePageInPlace(const std::wstring& path, const std::string& marker);
