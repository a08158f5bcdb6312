#include "BoxCloser.h"

namespace {

struct Search {
    DWORD processId;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    wchar_t caption[128] = {0};
    // Read without a message: GetWindowText would send one to the window's
    // thread, which may be waiting for this watcher to end.
    InternalGetWindowText(window, caption, 128);
    if (*search->caption != caption) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

BoxCloser::BoxCloser(DWORD processId, const wchar_t* caption)
    : m_processId(processId ? processId : GetCurrentProcessId()), m_caption(caption),
      m_thread([this] { Watch(); }) {}

BoxCloser::~BoxCloser() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

bool BoxCloser::Wait(std::wstring* text) {
    if (m_thread.joinable()) m_thread.join();
    if (text) *text = m_text;
    return m_seen;
}

bool BoxCloser::Stop(std::wstring* text) {
    m_stop = true;
    return Wait(text);
}

void BoxCloser::Watch() {
    for (int i = 0; i < 1000 && !m_stop; ++i) {
        Search search = {m_processId, &m_caption, nullptr};
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            wchar_t text[512] = {0};
            GetDlgItemTextW(search.found, 0xFFFF, text, 512);  // the box's static text
            m_text = text;
            m_seen = true;
            PostMessageW(search.found, WM_COMMAND, IDOK, 0);
            return;
        }
        Sleep(10);
    }
}
