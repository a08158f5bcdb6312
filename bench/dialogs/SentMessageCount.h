// Counts the messages sent on this thread while it lives, by the window
// class they were sent to and the message: under Wine each of them passes
// the thread's hooks through the server, so the count is what a window's
// step costs beyond its own work. Installing the counter is itself a hook,
// so steps are counted in a run of their own, never in a timed one.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

class SentMessageCount {
public:
    SentMessageCount();
    ~SentMessageCount();
    SentMessageCount(const SentMessageCount&) = delete;
    SentMessageCount& operator=(const SentMessageCount&) = delete;

    long Total() const { return m_total; }
    // "total (class message xN, ...)" of the most frequent few.
    std::string Summary(int most) const;

private:
    static LRESULT CALLBACK Count(int code, WPARAM wParam, LPARAM lParam);

    HHOOK m_hook;
    long m_total = 0;
    std::map<std::pair<std::wstring, UINT>, long> m_byKind;
};
