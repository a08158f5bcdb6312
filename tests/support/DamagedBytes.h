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
