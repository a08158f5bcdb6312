#include "app/engine/CBackupCopyList.h"

#include "common/CAutoLock.h"

void CBackupCopyList::Add(const BACKUP_COPY_ITEM& item) {
    CAutoLock guard(&m_lock);
    m_items.push_back(item);
}

bool CBackupCopyList::Contains(const CString& path) {
    CAutoLock guard(&m_lock);
    for (const BACKUP_COPY_ITEM& item : m_items) {
        if (item.sourceFile == path) return true;
    }
    return false;
}

int CBackupCopyList::Count() {
    CAutoLock guard(&m_lock);
    return (int)m_items.size();
}

bool CBackupCopyList::PeekFirst(BACKUP_COPY_ITEM* out) {
    CAutoLock guard(&m_lock);
    if (m_items.empty()) return false;
    *out = m_items.front();
    return true;
}

void CBackupCopyList::RemoveFirst() {
    CAutoLock guard(&m_lock);
    if (!m_items.empty()) m_items.pop_front();
}

void CBackupCopyList::Clear() {
    CAutoLock guard(&m_lock);
    m_items.clear();
}
