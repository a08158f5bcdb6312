// Closes the next message box a process shows, from another thread, so code
// that shows one can run in a test. Records the box's text.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

class BoxCloser {
public:
    // Watches for a top-level dialog of the process (0: this process) with the given caption.
    explicit BoxCloser(DWORD processId = 0, const wchar_t* caption = L"Dodavozi");
    // Stops watching; joins the thread.
    ~BoxCloser();
    BoxCloser(const BoxCloser&) = delete;
    BoxCloser& operator=(const BoxCloser&) = delete;

    // Waits until the watcher has finished (a box closed or the time-out);
    // returns whether a box was seen, with its text.
    bool Wait(std::wstring* text = nullptr);
    // Stops watching at once (for code that has returned, so any box it
    // showed is closed already); the same result as Wait.
    bool Stop(std::wstring* text = nullptr);

private:
    void Watch();

    DWORD m_processId;
    std::wstring m_caption;
    std::wstring m_text;
    volatile bool m_stop = false;
    bool m_seen = false;
    std::thread m_thread;
};
