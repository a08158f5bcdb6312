// CHeldBackDevices: the devices of a list file read past the registry's
// maximum, each kept as its Device element's text (from its '<' to its last
// '>'), by id, to be written again with the list.
//
// A list of 100 000 devices holds back most of them: their texts share one
// buffer, and their order by id is settled once, when it is asked for,
// rather than per device. Not locked: the registry's records lock guards it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

class CHeldBackDevices {
public:
    // A later element of the same id replaces the earlier.
    void Add(int id, const char* element, size_t size);
    void Clear();
    // Room for about this many more elements and bytes of them: taken as
    // the list grows, a large one is copied again at each doubling.
    void Reserve(size_t elements, size_t bytes);
    // Distinct ids.
    size_t Count() const;
    // The i-th element in ascending id order (i < Count()).
    int Id(size_t i) const;
    const char* Text(size_t i) const;
    size_t Size(size_t i) const;

private:
    struct Entry {
        int32_t id;
        size_t offset;
        size_t size;
    };
    void Settle() const;

    std::string m_text;
    mutable std::vector<Entry> m_entries;
    mutable bool m_settled = true;
};
