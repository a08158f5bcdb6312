// ReadListView, which the program tests read the running program's lists
// with, against list views of a thread of this process: a list rebuilt over
// and over while it is read, and an owner-data list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ProgramFolder.h"

namespace {

typedef std::vector<std::vector<std::wstring>> Rows;

const Rows kFirst = {{L"gate", L"10%"}, {L"yard", L"20%"}, {L"hall", L"30%"}};
const Rows kSecond = {{L"door", L"done"}, {L"roof", L"queued"}};

// Handles what another thread sent this thread, waiting a moment for it:
// one message of a reader between two steps of a rebuild.
void TakeSentMessage(DWORD waitMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_SENDMESSAGE);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

void AddTwoColumns(HWND list) {
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW header = {};
        header.mask = LVCF_WIDTH;
        header.cx = 100;
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
    }
}

// A report list view on a thread of its own; the thread keeps rebuilding it
// (all rows deleted, then inserted cell by cell) until stopped.
class RebuiltList {
public:
    RebuiltList() : m_thread([this] { Run(); }) {
        while (!m_list && !m_failed) Sleep(5);
    }
    ~RebuiltList() {
        m_stop = true;
        m_thread.join();
    }
    HWND List() const { return m_list; }
    int Rebuilds() const { return m_rebuilds; }

private:
    void Run() {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        HWND list = CreateWindowW(WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        if (!list) {
            m_failed = true;
            return;
        }
        AddTwoColumns(list);
        for (bool first = true; !m_stop; first = !first) {
            Fill(list, first ? kFirst : kSecond);
            ++m_rebuilds;
            // Handed out once whole: before its first fill the list is in
            // neither state, and a read then is no fault of the reader.
            if (!m_list) m_list = list;
            // Settled for a while, as the program's lists are between two
            // rebuilds: whole passes can be read now.
            for (int i = 0; i < 40 && !m_stop; ++i) TakeSentMessage(5);
        }
        DestroyWindow(list);
    }
    static void Fill(HWND list, const Rows& rows) {
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        TakeSentMessage(1);
        for (size_t row = 0; row < rows.size(); ++row) {
            for (int column = 0; column < 2; ++column) {
                LVITEMW item = {};
                item.mask = LVIF_TEXT;
                item.iItem = static_cast<int>(row);
                item.iSubItem = column;
                item.pszText = const_cast<LPWSTR>(rows[row][column].c_str());
                SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row,
                             reinterpret_cast<LPARAM>(&item));
                TakeSentMessage(1);
            }
        }
    }

    std::atomic<HWND> m_list{nullptr};
    std::atomic<bool> m_failed{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_rebuilds{0};
    std::thread m_thread;
};

TEST(ReadListView, AListRebuiltWhileReadComesBackWholeAsOneOfItsStates) {
    RebuiltList rebuilt;
    ASSERT_NE(nullptr, rebuilt.List());
    int first = 0, second = 0;
    while (rebuilt.Rebuilds() < 20) {
        const Rows rows = ReadListView(rebuilt.List(), GetCurrentProcessId(), 2);
        if (rows == kFirst) {
            ++first;
        } else if (rows == kSecond) {
            ++second;
        } else {
            ADD_FAILURE() << "a mixed read of " << rows.size() << " rows after " << rebuilt.Rebuilds() << " rebuilds";
            break;
        }
    }
    EXPECT_GT(first, 0);
    EXPECT_GT(second, 0);
}

// An owner-data list: its parent hands out each cell's text when asked.
LRESULT CALLBACK OwnerDataParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (info->hdr.code == LVN_GETDISPINFOW && (info->item.mask & LVIF_TEXT) &&
            info->item.iItem < static_cast<int>(kFirst.size())) {
            lstrcpynW(info->item.pszText, kFirst[info->item.iItem][info->item.iSubItem].c_str(), info->item.cchTextMax);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(ReadListView, ReadsAnOwnerDataList) {
    std::atomic<HWND> list{nullptr};
    std::atomic<bool> stop{false}, failed{false};
    std::thread owner([&] {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = OwnerDataParent;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ReadListViewOwnerDataParent";
        RegisterClassW(&wc);
        HWND parent =
            CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
        HWND made = parent ? CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0, 300, 200,
                                           parent, nullptr, wc.hInstance, nullptr)
                           : nullptr;
        if (!made) {
            failed = true;
            return;
        }
        AddTwoColumns(made);
        SendMessageW(made, LVM_SETITEMCOUNT, kFirst.size(), 0);
        list = made;
        while (!stop) TakeSentMessage(10);
        DestroyWindow(parent);
    });
    while (!list && !failed) Sleep(5);
    if (list) {
        EXPECT_EQ(kFirst, ReadListView(list, GetCurrentProcessId(), 2));
    }
    stop = true;
    owner.join();
    EXPECT_FALSE(failed);
}

}  // namespace
