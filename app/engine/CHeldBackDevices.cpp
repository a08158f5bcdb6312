#include "app/engine/CHeldBackDevices.h"

#include <algorithm>

void CHeldBackDevices::Add(int id, const char* element, size_t size) {
    // A list as the program writes it comes in ascending ids: nothing to settle.
    if (!m_entries.empty() && id <= m_entries.back().id) m_settled = false;
    m_entries.push_back({id, m_text.size(), size});
    m_text.append(element, size);
}

void CHeldBackDevices::Reserve(size_t elements, size_t bytes) {
    m_entries.reserve(m_entries.size() + elements);
    m_text.reserve(m_text.size() + bytes);
}

void CHeldBackDevices::Clear() {
    std::string().swap(m_text);
    std::vector<Entry>().swap(m_entries);
    m_settled = true;
}

// Sorts by id and keeps the last entry of each id.
void CHeldBackDevices::Settle() const {
    if (m_settled) return;
    std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
    size_t kept = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (i + 1 < m_entries.size() && m_entries[i + 1].id == m_entries[i].id) continue;
        m_entries[kept++] = m_entries[i];
    }
    m_entries.resize(kept);
    m_settled = true;
}

size_t CHeldBackDevices::Count() const {
    Settle();
    return m_entries.size();
}

int CHeldBackDevices::Id(size_t i) const {
    Settle();
    return m_entries[i].id;
}

const char* CHeldBackDevices::Text(size_t i) const {
    Settle();
    return m_text.data() + m_entries[i].offset;
}

size_t CHeldBackDevices::Size(size_t i) const {
    Settle();
    return m_entries[i].size;
}
