#include "CDeviceUserLists.h"

#include <set>
#include <vector>

#include "app/ui/dialogs/DialogMessages.h"
#include "app/core/CAppConfig.h"
#include "app/core/CPathLocks.h"
#include "app/core/FileUtil.h"
#include "app/engine/CBackupEngine.h"

namespace {

CString UserEntryText(const CString& id, const CString& name) {
    CString text;
    if (name.IsEmpty())
        text.Format(L"%s", id.GetString());
    else
        text.Format(L"%s - %s", id.GetString(), name.GetString());
    return text;
}

}  // namespace

void CDeviceUserLists::Fill() {
    m_combo.SetRedraw(FALSE);
    FreeAll();
    m_combo.ResetContent();
    CAppConfig* config = GetAppConfig();
    CUserManager& users = GetBackupEngine().Users();
    const USER_INFO current = users.m_CurrentUser;
    if (current.id == config->m_strSuperUserID) {
        CString text;
        text.Format(L"%s - %s", config->m_strSuperUserID.GetString(), Translate(L"Super Manage User").GetString());
        Add(text, config->GetUserDir());
        std::vector<USER_INFO> all;
        users.ListUsers(CString(), all);
        for (const USER_INFO& user : all) Add(UserEntryText(user.id, user.name), user.systemdir);
    } else {
        Add(UserEntryText(current.id, current.name), current.systemdir);
    }
    if (m_combo.GetCount() > 0) m_combo.SetCurSel(0);
    m_combo.EnableWindow(m_combo.GetCount() > 1);
    m_combo.SetRedraw(TRUE);
}

void CDeviceUserLists::Add(const CString& text, const CString& directory) {
    const CString file = JoinPath(directory, L"device.xml");
    // Entries whose files are one file (ids that differ only in case, a user
    // whose folder fell back to the program folder) share one list, so an
    // edit in either is kept and neither writes over the other.
    CDeviceManager* list = FindByFile(file);
    const bool shared = list != nullptr;
    if (!shared) {
        list = new CDeviceManager();
        list->RemoveAllDevices();
        list->SetMaxDeviceCount(GetAppConfig()->m_nDevMaxCount);
        list->OpenDeviceFile(file);
    }
    const int index = m_combo.AddString(text);
    if (index < 0) {
        if (!shared) delete list;
        return;
    }
    m_combo.SetItemDataPtr(index, list);
}

CDeviceManager* CDeviceUserLists::FindByFile(const CString& file) const {
    for (int i = 0; i < m_combo.GetCount(); ++i) {
        CDeviceManager* list = At(i);
        if (list && CPathLocks::SameFile(list->GetDeviceFile(), file)) return list;
    }
    return nullptr;
}

void CDeviceUserLists::FreeAll() {
    if (!m_combo.GetSafeHwnd()) return;
    std::set<CDeviceManager*> freed;
    for (int i = 0; i < m_combo.GetCount(); ++i) {
        CDeviceManager* list = static_cast<CDeviceManager*>(m_combo.GetItemDataPtr(i));
        if (freed.insert(list).second) delete list;
        m_combo.SetItemDataPtr(i, nullptr);
    }
}

CDeviceManager* CDeviceUserLists::At(int entry) const {
    if (!m_combo.GetSafeHwnd() || entry < 0 || entry >= m_combo.GetCount()) return nullptr;
    return static_cast<CDeviceManager*>(m_combo.GetItemDataPtr(entry));
}

CDeviceManager* CDeviceUserLists::Selected() const {
    if (!m_combo.GetSafeHwnd()) return nullptr;
    return At(m_combo.GetCurSel());
}
