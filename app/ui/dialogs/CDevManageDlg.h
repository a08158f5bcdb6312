// CDevManageDlg: the device lists of one or more users. Every edit (add,
// update, delete, import, the LAN search) changes a working copy, one
// CDeviceManager per entry of the user combo; OK commits them to the users'
// device.xml files and to the running engine, keeping the sessions of the
// devices whose address did not change; Cancel throws them away. UI thread.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include <functional>
#include <vector>

#include "CSearchDeviceDlg.h"
#include "app/engine/CDeviceManager.h"
#include "app/ui/toolkit/CCtrlColorChange.h"
#include "app/ui/toolkit/CHoverHint.h"
#include "app/ui/toolkit/CSupperEdit.h"

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
    void SetUpListColumns();
    void FillUserCombo();
    void AddUserEntry(const CString& text, const CString& directory);
    void FreeUserLists();
    int ReloadDeviceList();
    void FillDeviceRow(const DEVICE_RECORD& record, int row);
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

    // ---- Commit -------------------------------------------------------------
    int SaveDeviceLists();
    // Merges one entry's edited list into its old list; the engine's for entry 0.
    void CommitEntry(int entry, CDeviceManager& working, CDeviceManager& scratch, std::vector<CString>& unsaved);
    void CommitMatchedDevice(bool live, DEVICE_RECORD& record, DEVICE_RECORD& old);
    void WriteSaveLog();

public:
    static void SetDeviceIds(DEVICE_RECORD& record, int id);
    static int CredentialsChanged(const DEVICE_RECORD& a, const DEVICE_RECORD& b);

private:
    int m_mode = MODE_VIEW;
    int m_updateRow = -1;
    int m_checkedCount = 0;
    int m_selectAll = 0;
    CComboBox m_userCombo;
    CListCtrl m_list;
    CHoverHint m_hint;
    CSupperEdit m_titleEdit, m_descEdit, m_loginUserEdit, m_ipEdit, m_portEdit, m_passwordEdit, m_confirmEdit;
    CComboBox m_modelCombo, m_typeCombo, m_loginTypeCombo;
    CSupperEdit m_cardEdit, m_channelsEdit, m_ddnsIpEdit, m_ddnsPortEdit, m_ddnsNameEdit;
    // The form. Numbers are kept as typed: an emptied box is not the
    // framework's "enter an integer" error but one of the dialog's checks.
    CString m_title, m_desc, m_ip, m_savedIp;
    CString m_port;
    int m_defaultPort = kDefaultDevicePort;
    CString m_user, m_password, m_confirm, m_model, m_type, m_cardSn;
    CString m_channelCount;
    int m_useDdns = 0;
    CString m_ddnsIp;
    CString m_ddnsPort;
    CString m_ddnsName;
    CSearchDeviceDlg m_searchDlg;
    LoginQueue m_queueLogin;
    std::function<void()> m_onCommitted;
};
