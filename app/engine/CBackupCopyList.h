// CBackupCopyList: the record files waiting to be copied to a backup
// directory. The copy thread works from the front; clean-up asks it before
// deleting a file, so a listed file is never deleted.
//
// Lock: m_lock guards the list and is a leaf: nothing else is called while
// it is held.
#pragma once

#include <list>

#include "common/CLock.h"
#include "app/engine/BACKUP_COPY_ITEM.h"

class CBackupCopyList {
public:
    void Add(const BACKUP_COPY_ITEM& item);
    bool Contains(const CString& path);
    int Count();
    // Copies the front item; false when the list is empty.
    bool PeekFirst(BACKUP_COPY_ITEM* out);
    void RemoveFirst();
    void Clear();

private:
    CLock m_lock;
    std::list<BACKUP_COPY_ITEM> m_items;
};
