// Template members of CStringT that are more than one line.
#pragma once

template <typename T>
CStringT<T> CStringT<T>::Tokenize(const T* delims, int& start) const {
    if (start < 0 || start >= GetLength() || !delims) {
        start = -1;
        return CStringT();
    }
    size_t begin = m_str.find_first_not_of(delims, start);
    if (begin == Str::npos) {
        start = -1;
        return CStringT();
    }
    size_t end = m_str.find_first_of(delims, begin);
    if (end == Str::npos) end = m_str.size();
    start = static_cast<int>(end) + 1;
    return CStringT(m_str.substr(begin, end - begin));
}

template <typename T>
int CStringT<T>::Replace(T oldCh, T newCh) {
    int count = 0;
    for (auto& c : m_str) {
        if (c == oldCh) { c = newCh; ++count; }
    }
    return count;
}

template <typename T>
int CStringT<T>::Replace(const T* oldText, const T* newText) {
    if (!oldText || !*oldText) return 0;
    const Str from(oldText), to(newText ? newText : EmptyText());
    int count = 0;
    Str out;
    size_t pos = 0, hit;
    while ((hit = m_str.find(from, pos)) != Str::npos) {
        out.append(m_str, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    if (count) {
        out.append(m_str, pos, Str::npos);
        m_str.swap(out);
    }
    return count;
}

template <typename T>
int CStringT<T>::Remove(T ch) {
    size_t before = m_str.size();
    Str out;
    out.reserve(before);
    for (T c : m_str) if (c != ch) out += c;
    m_str.swap(out);
    return static_cast<int>(before - m_str.size());
}

template <typename T>
int CStringT<T>::Insert(int index, const T* psz) {
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    if (psz) m_str.insert(static_cast<size_t>(index), psz);
    return GetLength();
}

template <typename T>
int CStringT<T>::Delete(int index, int count) {
    if (index < 0) index = 0;
    if (count > 0 && index < GetLength()) m_str.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

template <typename T>
CStringT<T>& CStringT<T>::TrimLeft() {
    size_t i = 0;
    while (i < m_str.size() && Traits::IsSpace(m_str[i])) ++i;
    m_str.erase(0, i);
    return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::TrimLeft(const T* set) {
    if (set) m_str.erase(0, ToIndexOrLength(m_str.find_first_not_of(set)));
    return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::TrimRight() {
    size_t n = m_str.size();
    while (n > 0 && Traits::IsSpace(m_str[n - 1])) --n;
    m_str.resize(n);
    return *this;
}

template <typename T>
CStringT<T>& CStringT<T>::TrimRight(const T* set) {
    if (!set) return *this;
    size_t last = m_str.find_last_not_of(set);
    m_str.resize(last == Str::npos ? 0 : last + 1);
    return *this;
}

template <typename T>
void CStringT<T>::AppendFormatV(const T* fmt, va_list args) {
    if (!fmt) return;
    va_list probe;
    va_copy(probe, args);
    int needed = Traits::FormatLength(fmt, probe);
    va_end(probe);
    if (needed <= 0) return;
    size_t oldLength = m_str.size();
    m_str.resize(oldLength + needed + 1);
    Traits::FormatInto(&m_str[oldLength], needed + 1, fmt, args);
    m_str.resize(oldLength + needed);
}

template <typename T>
T* CStringT<T>::GetBuffer(int minLength) {
    // One spare element keeps the caller's terminator inside the storage.
    size_t wanted = minLength > GetLength() ? static_cast<size_t>(minLength) : m_str.size();
    m_str.resize(wanted + 1);
    m_str[wanted] = 0;
    return &m_str[0];
}

template <typename T>
void CStringT<T>::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        size_t n = 0;
        while (n < m_str.size() && m_str[n] != 0) ++n;
        m_str.resize(n);
    } else if (static_cast<size_t>(newLength) <= m_str.size()) {
        m_str.resize(static_cast<size_t>(newLength));
    }
}
