#include "DialogTestSupport.h"

#include "app/core/SystemUtil.h"

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

void SetItemText(HWND dialog, int id, const std::wstring& text) { SetDlgItemTextW(dialog, id, text.c_str()); }

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

BOOL IsItemVisible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)); }

BOOL IsItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)); }

BOOL IsItemReadOnly(HWND dialog, int id) {
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY) != 0;
}

void SendHeaderDoubleClick(HWND list, int column) {
    NMHEADERW click = {};
    click.hdr.hwndFrom = ListView_GetHeader(list);
    click.hdr.idFrom = 0;
    click.hdr.code = HDN_ITEMDBLCLICKW;
    click.iItem = column;
    click.iButton = 0;
    // To the list, as its header sends it: the list passes it on to the dialog.
    SendMessageW(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[1024] = {};
    ListView_GetItemText(list, row, column, text, 1024);
    return text;
}

int ListRows(HWND list) { return ListView_GetItemCount(list); }

int SelectedRow(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }

void SelectListRow(HWND list, int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void Pump() { PumpMessages(); }

#include <atomic>
#include <thread>

namespace {

struct BOX_SEARCH {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BOX_SEARCH*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Never a message to a window of the test's own thread, which may be waiting.
    wchar_t caption[64] = {};
    InternalGetWindowText(window, caption, 64);
    if (owner != search->processId || !IsWindowVisible(window) || wcscmp(caption, L"Dodavozi") != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::vector<std::wstring> AnswerBoxes(int count, const std::function<void()>& action) {
    std::vector<std::wstring> texts;
    std::atomic<bool> done(false);
    std::atomic<bool> finished(false);
    std::thread answerer([&] {
        for (int waited = 0; waited < 1000 && !done && static_cast<int>(texts.size()) < count; ++waited) {
            BOX_SEARCH search = {GetCurrentProcessId(), nullptr};
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            if (!search.found) {
                Sleep(10);
                continue;
            }
            wchar_t text[512] = {};
            GetDlgItemTextW(search.found, 0xFFFF, text, 512);
            texts.push_back(text);
            PostMessageW(search.found, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 500 && IsWindow(search.found) && IsWindowVisible(search.found); ++i) Sleep(10);
            waited = 0;
        }
        finished = true;
    });
    action();
    done = true;
    // The answerer reads the box's text through messages: keep them flowing.
    while (!finished) {
        Pump();
        Sleep(1);
    }
    answerer.join();
    return texts;
}
