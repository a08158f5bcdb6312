// The device dialog's form and files: hints, refused input, an unreachable
// device, export and import.
#include "DevManageDlgFixture.h"

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
        {"long title", 0, false, IDC_DEVMANAGE_TITLE, longName,
         L"Device name length can not be more than 32 (Wide Char:16)!"},
        {"long desc", 0, false, IDC_DEVMANAGE_DESC, CString(L'd', 257),
         L"Descant length can not be more than 256 (Wide Char:128)!"},
        {"long user", 0, false, IDC_DEVMANAGE_LOGINUSER, L"abcdefghi",
         L"Login device's user id length can not be more than 8 !"},
        {"passwords differ", 0, false, IDC_DEVMANAGE_CONFIRM, L"nimda", L"Two password is different!"},
        {"empty ip", 0, false, IDC_DEVMANAGE_IP, L"", L"IP is wrong!"},
        {"port too big", 0, false, IDC_DEVMANAGE_PORT, L"65536", L"Port can not be more than 65535 !"},
        {"empty card", 1, false, IDC_DEVMANAGE_CARDSN, L"", L"Please input card serial number!"},
        {"long card", 1, false, IDC_DEVMANAGE_CARDSN, longName, L"Card serial number length can not be more than 32 !"},
        {"no channels", 1, false, IDC_DEVMANAGE_CHANNELS, L"0", L"Please input device channel count!"},
        {"too many channels", 1, false, IDC_DEVMANAGE_CHANNELS, L"257", L"Please input device channel count!"},
        {"empty ddns server", 0, true, IDC_DEVMANAGE_DDNSIP, L"", L"IP is wrong!"},
        {"ddns port too big", 0, true, IDC_DEVMANAGE_DDNSPORT, L"99999", L"Port can not be more than 65535 !"},
        {"long ddns name", 0, true, IDC_DEVMANAGE_DDNSNAME, CString(L'n', 173),
         L"DDNS device's name length can not be more than 172 !"},
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

// A device file whose list holds no device is a list: importing it empties
// the working list without a complaint. A file with nothing in it is no
// device file and leaves the list alone.
TEST_F(DevManageDlgTest, ImportOfAListWithoutDevicesEmptiesTheWorkingList) {
    const struct {
        const char* content;
        int rowsAfter;
        size_t boxes;
    } cases[] = {
        {"", 1, 2},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n<Organization grade=\"1\" />\r\n", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        AddThroughForm(L"gate", 2);
        const std::wstring file = temp.File(L"import.xml");
        ASSERT_TRUE(WriteWholeFile(file, c.content));
        dlg->chosenFile = file.c_str();
        boxes.Clear();
        Click(IDC_DEVMANAGE_IMPORT);
        EXPECT_EQ(c.rowsAfter, List().GetItemCount());
        // The question first, then the failure when there is one.
        EXPECT_EQ(c.boxes, boxes.Texts().size());
        Click(IDC_DEVMANAGE_CANCEL);
        dlg->RefreshView();
    }
}
