#include "CFileView.h"

#include <cstring>

#include "common/UniqueHandle.h"

CFileView::~CFileView() { Close(); }

void CFileView::Close() {
    if (m_data) UnmapViewOfFile(m_data);
    m_data = nullptr;
    m_size = 0;
}

bool CFileView::Open(const CString& path) {
    Close();
    CUniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER length = {};
    if (!GetFileSizeEx(file.Get(), &length) || length.QuadPart <= 0 ||
        static_cast<unsigned long long>(length.QuadPart) > static_cast<size_t>(-1))
        return false;
    // The view keeps the mapping, and the mapping the file, until it is unmapped.
    CUniqueHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    m_data = static_cast<const char*>(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!m_data) return false;
    m_size = static_cast<size_t>(length.QuadPart);
    return true;
}

size_t CFileView::Utf8BomSize() const { return m_size >= 3 && memcmp(m_data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0; }
