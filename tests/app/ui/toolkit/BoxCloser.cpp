#include "BoxCloser.h"

#include "ProcessWindows.h"

BoxCloser::BoxCloser(DWORD processId, const wchar_t* caption, int button)
    : m_processId(processId ? processId : GetCurrentProcessId()),
      m_caption(caption),
      m_button(button),
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
        const HWND box = FindProcessWindow(m_processId, [this](HWND window) {
            wchar_t caption[128] = {0};
            // Read without a message: the window's thread may be waiting for this one.
            InternalGetWindowText(window, caption, 128);
            return m_caption == caption;
        });
        if (box) {
            wchar_t text[512] = {0};
            GetDlgItemTextW(box, 0xFFFF, text, 512);  // the box's static text
            m_text = text;
            m_seen = true;
            PostMessageW(box, WM_COMMAND, m_button, 0);
            return;
        }
        Sleep(10);
    }
}
