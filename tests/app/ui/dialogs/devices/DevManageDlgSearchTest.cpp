// The device search dialog started from the device dialog, against a
// simulated search responder on 127.0.0.1.
#include "DevManageDlgFixture.h"

TEST_F(DevManageDlgTest, SearchFindsTheRecorderAndAddsTheCheckedOnes) {
    CSimRecorder* found = StartRecorder("vorpl");
    CSimSearchResponder responder(found->Device().SearchResult("127.0.0.1", found->Port()));
    ASSERT_TRUE(responder.Start("127.0.0.1", 0));
    ASSERT_EQ(1, SetSearchTarget(responder.Port()));

    EXPECT_EQ(nullptr, dlg->SearchDialog().GetSafeHwnd()) << "made when a search is first asked for";
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
