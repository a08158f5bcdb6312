#include "SentMessageCount.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

SentMessageCount* g_counting = nullptr;

}  // namespace

SentMessageCount::SentMessageCount()
    : m_hook(::SetWindowsHookExW(WH_CALLWNDPROC, &SentMessageCount::Count, nullptr, ::GetCurrentThreadId())) {
    g_counting = this;
}

SentMessageCount::~SentMessageCount() {
    if (m_hook) ::UnhookWindowsHookEx(m_hook);
    g_counting = nullptr;
}

LRESULT CALLBACK SentMessageCount::Count(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_counting) {
        const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        wchar_t className[64] = {};
        ::GetClassNameW(sent->hwnd, className, 64);
        ++g_counting->m_total;
        ++g_counting->m_byKind[{className, sent->message}];
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string SentMessageCount::Summary(int most) const {
    std::vector<std::pair<long, std::pair<std::wstring, UINT>>> kinds;
    for (const auto& kind : m_byKind) kinds.push_back({kind.second, kind.first});
    std::sort(kinds.rbegin(), kinds.rend());
    char text[128];
    snprintf(text, sizeof text, "%ld sent (", m_total);
    std::string summary = text;
    for (int i = 0; i < most && i < static_cast<int>(kinds.size()); ++i) {
        snprintf(text, sizeof text, "%s%ls 0x%04x x%ld", i ? ", " : "", kinds[i].second.first.c_str(),
                 kinds[i].second.second, kinds[i].first);
        summary += text;
    }
    return summary + ")";
}
