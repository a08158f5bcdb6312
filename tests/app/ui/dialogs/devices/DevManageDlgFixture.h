// The device management dialog on its real template against the program's
// engine and simulated recorders on 127.0.0.1: the fixture its tests share.
#pragma once

#include <afxcmn.h>
#include <afxdlgs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ProcessWindows.h"
#include "TempDir.h"
#include "UserFolderSetup.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/devices/CDevManageDlg.h"
#include "app/ui/dialogs/resource.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimSearchResponder.h"

const wchar_t kMainClass[] = L"DevManageTestMainWindow";

// Answers every "Dodavozi" box of this process with OK and keeps its text.
class BoxAnswerer {
public:
    BoxAnswerer() : m_thread([this] { Run(); }) {}
    ~BoxAnswerer() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }
    std::wstring Last() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts.empty() ? std::wstring() : m_texts.back();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.clear();
    }

private:
    void Run() {
        while (!m_stop) {
            const HWND box = FindProcessWindow(GetCurrentProcessId(), [](HWND window) {
                wchar_t caption[64] = {};
                GetWindowTextW(window, caption, 64);
                return wcscmp(caption, L"Dodavozi") == 0;
            });
            if (box) {
                wchar_t text[512] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 512);
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_texts.push_back(text);
                }
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                // One answer a box: wait until it is gone.
                while (!m_stop && IsWindow(box) && IsWindowVisible(box)) Sleep(5);
            }
            Sleep(5);
        }
    }
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<std::wstring> m_texts;
    std::thread m_thread;
};

// The main window's relay of search results, through the program's own.
LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog with the file chooser answered by the test.
class CTestDevManageDlg : public CDevManageDlg {
public:
    CString chosenFile;
    using CDevManageDlg::PreTranslateMessage;

protected:
    CString PromptDeviceFile(DWORD) override { return chosenFile; }
};

std::string Narrow(const CString& text);

// Points the network SDK's device search at a port of 127.0.0.1 (a
// test-only export of the SDK stand-in the engine has loaded).
int SetSearchTarget(uint16_t port);

class DevManageDlgTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
    }

    void SetUp() override {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = MainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kMainClass;
        RegisterClassW(&wc);
        mainWindow =
            CreateWindowW(kMainClass, L"main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(nullptr, mainWindow);
        SetMainWindow(mainWindow, nullptr);

        CAppConfig* config = GetAppConfig();
        config->m_nManufactureType = 0;
        UseAdminUserFolder(CString(temp.Path().c_str()), 50);

        CBackupEngine& engine = GetBackupEngine();
        engine.Devices().RemoveAllDevices();
        engine.Devices().OpenDeviceFile(config->m_strDeviceFile);

        recorder = StartRecorder("admin");
        dlg.reset(new CTestDevManageDlg());
        dlg->SetLoginQueue([this](const DEVICE_RECORD& record) { queued.push_back(record.id); });
        ASSERT_TRUE(dlg->Create(IDD_DEVMANAGE, nullptr));
        dlg->ShowWindow(SW_SHOW);
    }

    void TearDown() override {
        if (dlg && dlg->GetSafeHwnd()) dlg->DestroyWindow();
        dlg.reset();
        CBackupEngine& engine = GetBackupEngine();
        std::vector<DEVICE_RECORD> devices;
        engine.GetLoggedInDevices(devices);
        for (const DEVICE_RECORD& device : devices) engine.Devices().LogoutDevice(device.id);
        engine.Devices().RemoveAllDevices();
        for (auto& r : recorders) r->Stop();
        SetMainWindow(nullptr, nullptr);
        DestroyWindow(mainWindow);
    }

    CSimRecorder* StartRecorder(const char* user) {
        SimRecorderConfig config;
        config.user = user;
        config.password = user;
        config.channelCount = 3;
        recorders.emplace_back(new CSimRecorder(config));
        EXPECT_TRUE(recorders.back()->Start());
        return recorders.back().get();
    }

    void Click(int id) {
        CWnd* button = dlg->GetDlgItem(id);
        ASSERT_NE(nullptr, button);
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button->m_hWnd));
    }
    void SetText(int id, const CString& text) { dlg->SetDlgItemText(id, text); }
    CString Text(int id) {
        CString text;
        dlg->GetDlgItemText(id, text);
        return text;
    }
    void SelectCombo(int id, int index) {
        CComboBox* combo = static_cast<CComboBox*>(dlg->GetDlgItem(id));
        combo->SetCurSel(index);
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->m_hWnd));
    }
    void SetCheckBox(int id, bool on) {
        dlg->CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED);
        Click(id);
    }
    CListCtrl& List() { return *static_cast<CListCtrl*>(dlg->GetDlgItem(IDC_DEVMANAGE_LIST)); }
    void SelectRow(int row) { List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED); }

    // A device through the form: Add, the fields, Save.
    void FillForm(const CString& title, uint16_t port, const CString& user = L"admin") {
        CString portText;
        portText.Format(L"%u", port);
        SetText(IDC_DEVMANAGE_TITLE, title);
        SetText(IDC_DEVMANAGE_IP, L"127.0.0.1");
        SetText(IDC_DEVMANAGE_PORT, portText);
        SetText(IDC_DEVMANAGE_LOGINUSER, user);
        SetText(IDC_DEVMANAGE_PASSWORD, user);
        SetText(IDC_DEVMANAGE_CONFIRM, user);
    }
    void AddThroughForm(const CString& title, uint16_t port) {
        Click(IDC_DEVMANAGE_ADD);
        ASSERT_EQ(CDevManageDlg::MODE_ADD, dlg->GetEditMode());
        FillForm(title, port);
        Click(IDC_DEVMANAGE_ADD);
        ASSERT_EQ(CDevManageDlg::MODE_VIEW, dlg->GetEditMode()) << Narrow(boxes.Last().c_str());
    }
    // Update mode on the row, a change, Save.
    void UpdateRow(int row, int id, const CString& text) {
        SelectRow(row);
        Click(IDC_DEVMANAGE_UPDATE);
        ASSERT_EQ(CDevManageDlg::MODE_UPDATE, dlg->GetEditMode());
        SetText(id, text);
        if (id == IDC_DEVMANAGE_PASSWORD) SetText(IDC_DEVMANAGE_CONFIRM, text);
        Click(IDC_DEVMANAGE_UPDATE);
        ASSERT_EQ(CDevManageDlg::MODE_VIEW, dlg->GetEditMode()) << Narrow(boxes.Last().c_str());
    }
    void CommitAndReopen() {
        Click(IDC_DEVMANAGE_OK);
        dlg->RefreshView();
    }
    DEVICE_RECORD EngineDevice(int id) { return GetBackupEngine().GetDevice(id); }
    std::string DeviceFile() { return ReadWholeFile(temp.File(L"device.xml")); }

    TempDir temp;
    HWND mainWindow = nullptr;
    std::vector<std::unique_ptr<CSimRecorder>> recorders;
    CSimRecorder* recorder = nullptr;
    std::unique_ptr<CTestDevManageDlg> dlg;
    std::vector<int> queued;
    BoxAnswerer boxes;
};
