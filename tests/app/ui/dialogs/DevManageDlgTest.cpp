// The device management and device search dialogs, driven through their
// real templates against the program's engine and simulated recorders on
// 127.0.0.1.
#include <afxcmn.h>
#include <afxdlgs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "WaitFor.h"
#include "app/core/CAppConfig.h"
#include "app/core/CBackupScheduleStore.h"
#include "app/core/SystemUtil.h"
#include "app/core/TwMessages.h"
#include "app/engine/CBackupEngine.h"
#include "app/ui/dialogs/CDevManageDlg.h"
#include "app/ui/dialogs/resource.h"
#include "tools/simrecorder/CSimRecorder.h"
#include "tools/simrecorder/CSimSearchResponder.h"

namespace {

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
    static BOOL CALLBACK Match(HWND window, LPARAM param) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t caption[64] = {};
        GetWindowTextW(window, caption, 64);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) && wcscmp(caption, L"Dodavozi") == 0) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        }
        return TRUE;
    }
    void Run() {
        while (!m_stop) {
            HWND box = nullptr;
            EnumWindows(Match, reinterpret_cast<LPARAM>(&box));
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

// The main window's relay of search results: on to the window that
// started the search, while that window exists.
LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TW_SEARCH_RESULT) {
        HWND target = reinterpret_cast<HWND>(wParam);
        if (target && IsWindow(target)) PostMessageW(target, WM_TW_SEARCH_RESULT, 0, 0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The dialog with the file chooser answered by the test.
class CTestDevManageDlg : public CDevManageDlg {
public:
    CString chosenFile;
    using CDevManageDlg::PreTranslateMessage;

protected:
    CString PromptDeviceFile(DWORD) override { return chosenFile; }
};

std::string Narrow(const CString& text) { return std::string(CStringA(text)); }

// Points the network SDK's device search at a port of 127.0.0.1 (a
// test-only export of the SDK stand-in the engine has loaded).
int SetSearchTarget(uint16_t port) {
    HMODULE sdk = GetModuleHandleW(L"qvnetsdk.dll");
    if (!sdk) return 0;
    auto set = reinterpret_cast<PFN_QVNET_TestSetSearchTarget>(
        reinterpret_cast<void*>(GetProcAddress(sdk, MAKEINTRESOURCEA(QVNET_ORD_TestSetSearchTarget))));
    return set ? set("127.0.0.1", port) : 0;
}

}  // namespace

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
        mainWindow = CreateWindowW(kMainClass, L"main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                   nullptr);
        ASSERT_NE(nullptr, mainWindow);
        SetMainWindow(mainWindow, nullptr);

        CAppConfig* config = GetAppConfig();
        const CString folder(temp.Path().c_str());
        config->m_strSuperUserID = L"admin";
        config->m_strUserDir = folder + L"\\";
        config->m_strModuleDir = folder + L"\\";
        config->m_strDeviceFile = folder + L"\\device.xml";
        config->m_strScheduleFile = folder + L"\\backupschedule.xml";
        config->m_nDevMaxCount = 50;
        config->m_nManufactureType = 0;

        CBackupEngine& engine = GetBackupEngine();
        engine.Users().Clear();
        engine.Users().m_CurrentUser = USER_INFO();
        engine.Users().m_CurrentUser.id = L"admin";
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

TEST_F(DevManageDlgTest, AddedDeviceReadsItsChannelsAndReachesFileAndEngine) {
    AddThroughForm(L"gate", recorder->Port());
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(L"gate", List().GetItemText(0, 1));
    const int workingId = static_cast<int>(List().GetItemData(0));
    EXPECT_EQ(3, dlg->SelectedList()->GetDevice(workingId).channelCount) << "channels read by the one-off login";
    EXPECT_EQ(0, dlg->SelectedList()->GetDevice(workingId).loggedIn);
    EXPECT_EQ(std::string::npos, DeviceFile().find("gate")) << "nothing stored before OK";

    CommitAndReopen();
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    EXPECT_STREQ("gate", devices[0].title);
    EXPECT_EQ(3, devices[0].channelCount);
    EXPECT_EQ(devices[0].id * 10000 + 2, devices[0].channels[2].channelId);
    EXPECT_NE(std::string::npos, DeviceFile().find("gate"));
    EXPECT_TRUE(queued.empty()) << "new devices log in through the engine's own triggers";
    EXPECT_FALSE(dlg->IsWindowVisible()) << "OK closes the dialog";
}

TEST_F(DevManageDlgTest, RenamingKeepsTheSessionAndMovingDropsIt) {
    AddThroughForm(L"gate", recorder->Port());
    CommitAndReopen();
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    const int id = devices[0].id;
    ASSERT_GE(GetBackupEngine().LoginDevice(id), 0);
    const int handle = EngineDevice(id).loginHandle;
    ASSERT_NE(0, handle);

    // A new title only: same id, same session.
    UpdateRow(0, IDC_DEVMANAGE_TITLE, L"front gate");
    CommitAndReopen();
    DEVICE_RECORD renamed = EngineDevice(id);
    EXPECT_STREQ("front gate", renamed.title);
    EXPECT_EQ(1, renamed.loggedIn);
    EXPECT_EQ(handle, renamed.loginHandle);
    EXPECT_TRUE(queued.empty());

    // Another address is another device: the old one is logged out and
    // removed, the new one gets a new id and logs in at its own address.
    CSimRecorder* other = StartRecorder("admin");
    CString port;
    port.Format(L"%u", other->Port());
    UpdateRow(0, IDC_DEVMANAGE_PORT, port);
    CommitAndReopen();
    EXPECT_EQ(0, EngineDevice(id).id);
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    const int movedId = devices[0].id;
    EXPECT_NE(id, movedId);
    EXPECT_EQ(other->Port(), devices[0].port);
    EXPECT_EQ(0, devices[0].loggedIn);
    std::vector<DEVICE_RECORD> loggedIn;
    EXPECT_EQ(-1, GetBackupEngine().GetLoggedInDevices(loggedIn)) << "the old session is closed";
    EXPECT_GE(GetBackupEngine().LoginDevice(movedId), 0);
}

TEST_F(DevManageDlgTest, NewCredentialsDropTheSessionAndQueueALogin) {
    AddThroughForm(L"gate", recorder->Port());
    CommitAndReopen();
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    ASSERT_EQ(1u, devices.size());
    const int id = devices[0].id;
    ASSERT_GE(GetBackupEngine().LoginDevice(id), 0);

    UpdateRow(0, IDC_DEVMANAGE_PASSWORD, L"other");
    CommitAndReopen();
    const DEVICE_RECORD changed = EngineDevice(id);
    EXPECT_EQ(id, changed.id);
    EXPECT_EQ(0, changed.loggedIn);
    EXPECT_STREQ("other", changed.password);
    EXPECT_EQ(std::vector<int>{id}, queued);
}

TEST_F(DevManageDlgTest, DeletingRemovesTheDeviceAndPurgesItsSchedules) {
    AddThroughForm(L"gate", recorder->Port());
    AddThroughForm(L"yard", recorder->Port() == 1 ? 2 : 1);
    CommitAndReopen();
    ASSERT_EQ(2, List().GetItemCount());
    const int gateId = static_cast<int>(List().GetItemData(0));
    const int yardId = static_cast<int>(List().GetItemData(1));
    EXPECT_EQ(gateId + 1, yardId) << "two new devices get consecutive ids";
    ASSERT_GE(GetBackupEngine().LoginDevice(gateId), 0);
    {
        CBackupScheduleStore schedules;
        BACKUP_SCHEDULE schedule;
        schedule.DevID = gateId;
        schedule.RunTime = {0, 0, 23, 59};
        schedules.AddAuto(schedule);
        schedule.DevID = yardId;
        schedules.AddAuto(schedule);
        ASSERT_EQ(0, schedules.Save(CString(temp.File(L"backupschedule.xml").c_str())));
    }

    // Delete stays disabled until a row is ticked; the header double-click ticks all.
    EXPECT_FALSE(dlg->GetDlgItem(IDC_DEVMANAGE_DELETE)->IsWindowEnabled());
    List().SetCheck(0, TRUE);
    EXPECT_EQ(1, dlg->GetCheckedCount());
    EXPECT_TRUE(dlg->GetDlgItem(IDC_DEVMANAGE_DELETE)->IsWindowEnabled());
    NMHEADERW doubleClick = {};
    doubleClick.hdr.hwndFrom = List().GetHeaderCtrl()->m_hWnd;
    doubleClick.hdr.code = HDN_ITEMDBLCLICKW;
    List().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(2, dlg->GetCheckedCount());
    List().SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
    EXPECT_EQ(0, dlg->GetCheckedCount());
    EXPECT_FALSE(dlg->GetDlgItem(IDC_DEVMANAGE_DELETE)->IsWindowEnabled());

    List().SetCheck(0, TRUE);
    Click(IDC_DEVMANAGE_DELETE);
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(L"1", List().GetItemText(0, 0)) << "rows renumbered";
    EXPECT_EQ(gateId, EngineDevice(gateId).id) << "nothing leaves the engine before OK";
    CommitAndReopen();
    EXPECT_EQ(0, EngineDevice(gateId).id);
    EXPECT_EQ(yardId, EngineDevice(yardId).id);
    std::vector<DEVICE_RECORD> loggedIn;
    EXPECT_EQ(-1, GetBackupEngine().GetLoggedInDevices(loggedIn));
    CBackupScheduleStore schedules;
    schedules.Load(CString(temp.File(L"backupschedule.xml").c_str()));
    std::vector<BACKUP_SCHEDULE> left;
    schedules.ListAll(left, FALSE);
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(yardId, left[0].DevID);
}

TEST_F(DevManageDlgTest, DeletedAndAddedAgainAtTheSameAddressKeepsItsId) {
    AddThroughForm(L"gate", recorder->Port());
    CommitAndReopen();
    const int id = static_cast<int>(List().GetItemData(0));
    List().SetCheck(0, TRUE);
    Click(IDC_DEVMANAGE_DELETE);
    ASSERT_EQ(0, List().GetItemCount());
    AddThroughForm(L"gate again", recorder->Port());
    CommitAndReopen();
    const DEVICE_RECORD back = EngineDevice(id);
    EXPECT_EQ(id, back.id);
    EXPECT_STREQ("gate again", back.title);
}

TEST_F(DevManageDlgTest, OtherUsersListsGoToTheirOwnFilesNotTheEngine) {
    const std::wstring bobDir = temp.File(L"bob");
    ASSERT_TRUE(CreateDirectoryW(bobDir.c_str(), nullptr));
    USER_INFO bob;
    bob.id = L"bob";
    bob.name = L"Bob";
    bob.systemdir = bobDir.c_str();
    ASSERT_EQ(0, GetBackupEngine().Users().AddUser(bob));
    dlg->RefreshView();
    CComboBox* users = static_cast<CComboBox*>(dlg->GetDlgItem(IDC_DEVMANAGE_USER));
    ASSERT_EQ(2, users->GetCount());
    EXPECT_TRUE(users->IsWindowEnabled());
    CString text;
    users->GetLBText(1, text);
    EXPECT_STREQ(L"bob - Bob", text);

    SelectCombo(IDC_DEVMANAGE_USER, 1);
    AddThroughForm(L"bobs gate", recorder->Port());
    CommitAndReopen();
    EXPECT_NE(std::string::npos, ReadWholeFile(bobDir + L"\\device.xml").find("bobs gate"));
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    EXPECT_TRUE(devices.empty());
}

TEST_F(DevManageDlgTest, TheHintLineNamesTheControlUnderTheMouseButNotAReadOnlyEdit) {
    auto hover = [this](int id) {
        MSG msg = {dlg->GetDlgItem(id)->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)};
        dlg->PreTranslateMessage(&msg);
        return Text(IDC_DEVMANAGE_HINT);
    };
    EXPECT_STREQ(L"Import device information form other XML file!", hover(IDC_DEVMANAGE_IMPORT));
    EXPECT_STREQ(L"Import device information form other XML file!", hover(IDC_DEVMANAGE_TITLE))
        << "a read-only edit leaves the hint as it was";
    Click(IDC_DEVMANAGE_ADD);
    EXPECT_STREQ(L"Please input device title!", hover(IDC_DEVMANAGE_TITLE));
}

TEST_F(DevManageDlgTest, EachBadInputGetsItsWarningAndNothingIsAdded) {
    struct CASE {
        const char* name;
        int loginType;  // combo index: 0 TCP, 1 self-registering
        bool ddns;
        int field;
        CString text;
        const wchar_t* warning;
    };
    const CString longName(L'a', 33);
    const CASE cases[] = {
        {"empty title", 0, false, IDC_DEVMANAGE_TITLE, L"", L"Title is empty!"},
        {"long title", 0, false, IDC_DEVMANAGE_TITLE, longName, L"Device name length can not be more than 32 (Wide Char:16)!"},
        {"long desc", 0, false, IDC_DEVMANAGE_DESC, CString(L'd', 257), L"Descant length can not be more than 256 (Wide Char:128)!"},
        {"long user", 0, false, IDC_DEVMANAGE_LOGINUSER, L"abcdefghi", L"Login device's user id length can not be more than 8 !"},
        {"passwords differ", 0, false, IDC_DEVMANAGE_CONFIRM, L"nimda", L"Two password is different!"},
        {"empty ip", 0, false, IDC_DEVMANAGE_IP, L"", L"IP is wrong!"},
        {"port too big", 0, false, IDC_DEVMANAGE_PORT, L"65536", L"Port can not be more than 65535 !"},
        {"empty card", 1, false, IDC_DEVMANAGE_CARDSN, L"", L"Please input card serial number!"},
        {"long card", 1, false, IDC_DEVMANAGE_CARDSN, longName, L"Card serial number length can not be more than 32 !"},
        {"no channels", 1, false, IDC_DEVMANAGE_CHANNELS, L"0", L"Please input device channel count!"},
        {"too many channels", 1, false, IDC_DEVMANAGE_CHANNELS, L"257", L"Please input device channel count!"},
        {"empty ddns server", 0, true, IDC_DEVMANAGE_DDNSIP, L"", L"IP is wrong!"},
        {"ddns port too big", 0, true, IDC_DEVMANAGE_DDNSPORT, L"99999", L"Port can not be more than 65535 !"},
        {"long ddns name", 0, true, IDC_DEVMANAGE_DDNSNAME, CString(L'n', 173), L"DDNS device's name length can not be more than 172 !"},
        {"title in list", 0, false, IDC_DEVMANAGE_TITLE, L"gate", L"Device Title or IP has in list!"},
    };
    AddThroughForm(L"gate", recorder->Port());
    for (const CASE& c : cases) {
        SCOPED_TRACE(c.name);
        Click(IDC_DEVMANAGE_RESET);
        Click(IDC_DEVMANAGE_ADD);
        FillForm(L"new", 4000);
        SelectCombo(IDC_DEVMANAGE_LOGINTYPE, c.loginType);
        if (c.loginType == 1) {
            SetText(IDC_DEVMANAGE_CARDSN, L"SN1");
            SetText(IDC_DEVMANAGE_CHANNELS, L"4");
        }
        if (c.ddns) {
            SetCheckBox(IDC_DEVMANAGE_USEDDNS, true);
            SetText(IDC_DEVMANAGE_DDNSIP, L"ddns.invalid");
            SetText(IDC_DEVMANAGE_DDNSNAME, L"dev");
        }
        SetText(c.field, c.text);
        boxes.Clear();
        Click(IDC_DEVMANAGE_ADD);
        ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }, 5000));
        EXPECT_EQ(std::wstring(c.warning), boxes.Last());
        EXPECT_EQ(CDevManageDlg::MODE_ADD, dlg->GetEditMode()) << "the form stays for correction";
        EXPECT_EQ(1, List().GetItemCount());
    }
    // The password check proper: both boxes long alike.
    Click(IDC_DEVMANAGE_RESET);
    Click(IDC_DEVMANAGE_ADD);
    FillForm(L"new", 4000);
    SetText(IDC_DEVMANAGE_PASSWORD, L"abcdefghi");
    SetText(IDC_DEVMANAGE_CONFIRM, L"abcdefghi");
    boxes.Clear();
    Click(IDC_DEVMANAGE_ADD);
    ASSERT_TRUE(WaitFor([&] { return !boxes.Texts().empty(); }, 5000));
    EXPECT_EQ(std::wstring(L"Login device's password length can not be more than 8 !"), boxes.Last());
}

TEST_F(DevManageDlgTest, AnUnreachableDeviceIsKeptWithAWarning) {
    Click(IDC_DEVMANAGE_ADD);
    FillForm(L"offline", 1);  // nothing listens on port 1
    Click(IDC_DEVMANAGE_ADD);
    EXPECT_EQ(CDevManageDlg::MODE_VIEW, dlg->GetEditMode());
    ASSERT_EQ(1, List().GetItemCount());
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_NE(std::wstring::npos, boxes.Last().find(L"offline"));
    EXPECT_EQ(0, dlg->SelectedList()->GetDevice(static_cast<int>(List().GetItemData(0))).channelCount);
}

TEST_F(DevManageDlgTest, ExportAndImportAndAFailedImportKeepsTheList) {
    AddThroughForm(L"gate", recorder->Port());
    AddThroughForm(L"yard", 2);
    const std::wstring exported = temp.File(L"exported.xml");
    dlg->chosenFile = exported.c_str();
    Click(IDC_DEVMANAGE_EXPORT);
    ASSERT_TRUE(PathExists(exported));
    EXPECT_NE(std::string::npos, ReadWholeFile(exported).find("yard"));

    // A file that does not read leaves the list as it was.
    const std::wstring broken = temp.File(L"broken.xml");
    ASSERT_TRUE(WriteWholeFile(broken, "<Organization><Device id=\"1001\" title=\"x\""));
    dlg->chosenFile = broken.c_str();
    boxes.Clear();
    Click(IDC_DEVMANAGE_IMPORT);
    EXPECT_EQ(2, List().GetItemCount());
    std::vector<std::wstring> texts = boxes.Texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(L"Import device XML File failed!", texts[1]);
    Click(IDC_DEVMANAGE_OK);
    std::vector<DEVICE_RECORD> devices;
    GetBackupEngine().GetAllDevices(devices);
    EXPECT_EQ(2u, devices.size()) << "OK after a failed import keeps every device";
    dlg->RefreshView();

    // Deleting both and importing the export brings them back.
    List().SetCheck(0, TRUE);
    List().SetCheck(1, TRUE);
    Click(IDC_DEVMANAGE_DELETE);
    ASSERT_EQ(0, List().GetItemCount());
    dlg->chosenFile = exported.c_str();
    Click(IDC_DEVMANAGE_IMPORT);
    ASSERT_EQ(2, List().GetItemCount());
    EXPECT_STREQ(L"gate", List().GetItemText(0, 1));
    EXPECT_STREQ(L"yard", List().GetItemText(1, 1));
}

TEST_F(DevManageDlgTest, SearchFindsTheRecorderAndAddsTheCheckedOnes) {
    CSimRecorder* found = StartRecorder("vorpl");
    CSimSearchResponder responder(found->Device().SearchResult("127.0.0.1", found->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    ASSERT_EQ(1, SetSearchTarget(responder.Port()));

    Click(IDC_DEVMANAGE_SEARCH);
    CSearchDeviceDlg& search = dlg->SearchDialog();
    EXPECT_TRUE(search.IsWindowVisible());
    CListCtrl& results = *static_cast<CListCtrl*>(search.GetDlgItem(IDC_SEARCHDEV_LIST));
    ASSERT_TRUE(WaitFor([&] { return results.GetItemCount() == 1 && responder.ProbeCount() >= 2; }));
    EXPECT_EQ(1, results.GetItemCount()) << "a device answering twice is listed once";
    EXPECT_STREQ(L"127.0.0.1", results.GetItemText(0, 1));
    CString port;
    port.Format(L"%u", found->Port());
    EXPECT_STREQ(port, results.GetItemText(0, 2));
    EXPECT_STREQ(L"02:51:56:00:00:01", results.GetItemText(0, 5));

    // The Add button follows the real check marks.
    CWnd* add = search.GetDlgItem(IDC_SEARCHDEV_ADD);
    EXPECT_FALSE(add->IsWindowEnabled());
    results.SetCheck(0, TRUE);
    EXPECT_TRUE(add->IsWindowEnabled());
    results.SetCheck(0, FALSE);
    results.SetCheck(0, FALSE);
    EXPECT_EQ(0, search.GetCheckedCount());
    EXPECT_FALSE(add->IsWindowEnabled());

    results.SetCheck(0, TRUE);
    search.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SEARCHDEV_ADD, BN_CLICKED), reinterpret_cast<LPARAM>(add->m_hWnd));
    ASSERT_EQ(1, List().GetItemCount());
    EXPECT_STREQ(L"127.0.0.1", List().GetItemText(0, 1));
    const DEVICE_RECORD added = dlg->SelectedList()->GetDevice(static_cast<int>(List().GetItemData(0)));
    EXPECT_STREQ("vorpl", added.user);
    EXPECT_EQ(3, added.channelCount) << "the one-off login read the channels";
    EXPECT_FALSE(results.GetCheck(0));
    EXPECT_FALSE(add->IsWindowEnabled());

    // The same device again is refused as a duplicate.
    results.SetCheck(0, TRUE);
    boxes.Clear();
    search.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SEARCHDEV_ADD, BN_CLICKED), reinterpret_cast<LPARAM>(add->m_hWnd));
    EXPECT_EQ(1, List().GetItemCount());
    std::vector<std::wstring> texts = boxes.Texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(L"Device Title or IP has in list!", texts[1]);

    // OK of the device dialog stops the search and hides its window.
    Click(IDC_DEVMANAGE_OK);
    EXPECT_FALSE(search.IsWindowVisible());
}

TEST_F(DevManageDlgTest, AResultArrivingAfterTheDialogClosedIsDropped) {
    CSimSearchResponder responder(recorder->Device().SearchResult("127.0.0.1", recorder->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    ASSERT_EQ(1, SetSearchTarget(responder.Port()));
    Click(IDC_DEVMANAGE_SEARCH);
    const HWND searchWindow = dlg->SearchDialog().GetSafeHwnd();
    dlg->DestroyWindow();
    dlg.reset();
    ASSERT_FALSE(IsWindow(searchWindow));

    // The engine's search goes on until stopped; its answers find no window.
    DEVICE_SEARCH_RESULT late = recorder->Device().SearchResult("127.0.0.1", recorder->Port());
    GetBackupEngine().QueueSearchResult(&late);
    PostMainWndMessage(WM_TW_SEARCH_RESULT, reinterpret_cast<WPARAM>(searchWindow), 0);
    PumpMessages();
    GetBackupEngine().StopDeviceSearch();

    // A new search starts with none of the earlier answers.
    dlg.reset(new CTestDevManageDlg());
    ASSERT_TRUE(dlg->Create(IDD_DEVMANAGE, nullptr));
    responder.Stop();
    ASSERT_EQ(1, SetSearchTarget(9));
    Click(IDC_DEVMANAGE_SEARCH);
    CListCtrl& results = *static_cast<CListCtrl*>(dlg->SearchDialog().GetDlgItem(IDC_SEARCHDEV_LIST));
    PostMainWndMessage(WM_TW_SEARCH_RESULT, reinterpret_cast<WPARAM>(dlg->SearchDialog().GetSafeHwnd()), 0);
    PumpMessages();
    EXPECT_EQ(0, results.GetItemCount());
}
