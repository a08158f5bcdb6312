// CDevManageDlg: the device lists of one or more users. Every edit (add,
// update, delete, import, the LAN search) changes a working copy, one
// CDeviceManager per entry of the user combo; OK commits them to the users'
// device.xml files and to the running engine, keeping the sessions of the
// devices whose address did not change; Cancel throws them away. UI thread.
// Continued in CDevManageDlgFiles.cpp (import, export, searched devices).
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <functional>
#include <vector>

#include "CDeviceForm.h"
#include "CDeviceFormEdits.h"
#include "CDeviceListRows.h"
#include "CDeviceUserLists.h"
#include "CSearchDeviceDlg.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/toolkit/CCtrlColorChange.h"
#include "app/ui/toolkit/CHoverHint.h"

class CDevManageDlg : public CDialog, public CCtrlColorChange {
public:
    enum { MODE_VIEW = 0, MODE_ADD = 1, MODE_UPDATE = 2 };
    // Hands a device to the main window's login queue.
    typedef std::function<void(const DEVICE_RECORD&)> LoginQueue;

    explicit CDevManageDlg(CWnd* parent = nullptr);
    ~CDevManageDlg() override;

    void SetLoginQueue(const LoginQueue& queue) { m_queueLogin = queue; }
    // Run after a commit, for the main window to refresh the windows that
    // show devices.
    void SetCommitListener(const std::function<void()>& listener) { m_onCommitted = listener; }

    // View mode and fresh working lists from the users' files. 0.
    int RefreshView();
    // Adds a device found by the search to the selected user's working list:
    // 0 added or refused as a duplicate (warned), -1 the list is full.
    int AddSearchedDevice(DEVICE_RECORD* record);
    // Selects the row of the device (a channel key selects its device). 0.
    int SelectDeviceRow(int id);

    int GetEditMode() const { return m_mode; }
    int GetCheckedCount() const { return m_checkedCount; }
    CSearchDeviceDlg& SearchDialog() { return m_searchDlg; }
    // The selected user's working list; null when no user is selected.
    CDeviceManager* SelectedList() const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override {}
    void OnCancel() override { OnBnClickedCancel(); }
    // The file chosen for import or export; "" when the operator cancels.
    virtual CString PromptDeviceFile(DWORD flags);

    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg void OnDestroy();
    afx_msg void OnBnClickedOk();
    afx_msg void OnBnClickedCancel();
    afx_msg void OnUserChanged();
    afx_msg void OnLoginTypeChanged();
    afx_msg void OnListItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnCheckAllRows(NMHDR* header, LRESULT* result);
    afx_msg void OnBnClickedAdd();
    afx_msg void OnBnClickedUpdate();
    afx_msg void OnBnClickedDelete();
    afx_msg void OnBnClickedReset();
    afx_msg void OnBnClickedSearch();
    afx_msg void OnBnClickedImport();
    afx_msg void OnBnClickedExport();
    DECLARE_MESSAGE_MAP()

private:
    // ---- Set-up and lists --------------------------------------------------
    void SetUpEdits();
    void FillCombos();
    void SetUpHints();
    int ReloadDeviceList();
    void ShowSelectedDevice();
    void ClearForm();
    void RecordToForm(const DEVICE_RECORD& record);
    void SetEditMode(int mode);
    void UpdateLoginTypeState();
    // The IP box blanked (its text kept) or given back.
    void BlankIp();
    void RestoreIp();
    void SetEditReadOnly(int id, bool readOnly);
    void EnableDelete();
    // Runs a change of the list's rows or styles without the form following
    // each selection it makes; the caller shows the selected device after.
    void WithoutFormRefresh(const std::function<void()>& change);
    // Made the first time a search is asked for; false when it cannot be.
    bool EnsureSearchDialog();

    // ---- Form ---------------------------------------------------------------
    int CommitForm();
    int FormToRecord(DEVICE_RECORD& record);
    int ValidateForm();
    int IsUniqueInList(const DEVICE_RECORD& record, int skippedRow);
    // Logs the device of the working list in once to read its channels;
    // warns when that fails (the device stays).
    void ReadChannelsOnce(CDeviceManager& list, int id);
    void DeleteCheckedDevices();
    void ImportDeviceFile();
    void ExportDeviceFile();
    int ShowWarning(const CString& text);
    // Warns that the list is full; -1.
    int RefuseAdd();
    bool AskOkCancel(const wchar_t* question);
    int SelectedLoginType();

    // ---- OK -----------------------------------------------------------------
    // Commits the lists and tells the operator what failed; true when
    // everything was saved and runs.
    bool SaveDeviceLists();
    static void AppendNamed(CString& text, const wchar_t* heading, const std::vector<CString>& names);
    void WriteSaveLog();
    // OK and Cancel that arrive while one of the dialog's own boxes is up
    // are held until it closes: the add or update that opened the box still
    // works on the lists that OK or Cancel would free.
    int ShowOwnBox(const CString& text, UINT type);
    bool HoldWhileBoxIsUp(int command);

    int m_mode = MODE_VIEW;
    int m_updateRow = -1;
    int m_checkedCount = 0;
    int m_selectAll = 0;
    int m_ownBoxesUp = 0;
    int m_heldCommand = 0;
    // The mode whose captions the Add and Update buttons show; -1 for none yet.
    int m_shownMode = -1;
    bool m_refillingList = false;
    CComboBox m_userCombo;
    CVirtualListCtrl m_list;
    CHoverHint m_hint;
    CDeviceFormEdits m_edits;
    CComboBox m_modelCombo, m_typeCombo, m_loginTypeCombo;
    // The combos' first entries, which a cleared form shows.
    CString m_firstModel, m_firstType;
    CDeviceForm m_form;
    // The address typed before a login type or DDNS blanked the IP box.
    CString m_savedIp;
    int m_defaultPort = kDefaultDevicePort;
    // Created when the operator first asks for a search, not with this dialog.
    CSearchDeviceDlg m_searchDlg;
    CDeviceUserLists m_userLists;
    CDeviceListRows m_rows;
    LoginQueue m_queueLogin;
    std::function<void()> m_onCommitted;
};
